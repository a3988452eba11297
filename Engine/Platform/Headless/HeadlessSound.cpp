// The headless sound ring: no device; the play cursor is the virtual clock's, and what the shell
// writes is kept.
#include "Engine/Platform/Headless/Headless.h"
#include "Engine/Platform/Headless/HeadlessSound.h"

namespace {

u32 openResult = SoundRingOpened;
SoundWrite writeResult = SoundWriteOk;
bool cursorReadable = true;

bool ringOpen;
u32 ringRate;
i64 ringStart;
std::vector<u8> ring;
std::vector<headless::SoundRegionWrite> writes;
std::vector<i16> stream;
std::vector<i16> fillBuffer;
u32 callCount;

} // namespace

namespace headless {

void SetSoundOpenResult(u32 result) { openResult = result; }
void SetSoundWriteResult(SoundWrite result) { writeResult = result; }
void SetSoundCursorReadable(bool readable) { cursorReadable = readable; }
bool SoundRingOpen() { return ringOpen; }
u32 SoundRingRate() { return ringRate; }
const std::vector<u8>& SoundRing() { return ring; }
const std::vector<SoundRegionWrite>& SoundWrites() { return writes; }
const std::vector<i16>& SoundStream() { return stream; }
u32 SoundCallCount() { return callCount; }

void ClearSoundRecord()
{
    std::vector<headless::SoundRegionWrite>().swap(writes);
    std::vector<i16>().swap(stream);
}

void ResetSound()
{
    openResult = SoundRingOpened;
    writeResult = SoundWriteOk;
    cursorReadable = true;
    ringOpen = false;
    ringRate = 0;
    ring.clear();
    writes.clear();
    stream.clear();
    callCount = 0;
}

} // namespace headless

u32 OpenSoundRing(u32 bytes, u32 rate)
{
    ++callCount;
    ring.assign(bytes, 0);
    writes.clear();
    stream.clear();
    ringOpen = !(openResult & (SoundRingNoDevice | SoundRingNoBuffer));
    ringRate = rate;
    ringStart = headless::Counter();
    return openResult;
}

void CloseSoundRing()
{
    ++callCount;
    ringOpen = false;
}

bool SoundPlayCursor(u32* offset)
{
    ++callCount;
    if (!ringOpen || !cursorReadable || ring.empty())
        return false;
    const i64 elapsed = headless::Counter() - ringStart;
    const i64 frames = (elapsed > 0 ? elapsed : 0) * ringRate / headless::counterFrequency;
    *offset = (u32)(frames * 4 % (i64)ring.size());
    return true;
}

SoundWrite WriteSoundRegion(u32 offset, u32 bytes, void (*fill)(i16* frames))
{
    ++callCount;
    if (!ringOpen || offset + (u64)bytes > ring.size())
        return SoundWriteLockFailed;
    if (writeResult != SoundWriteOk)
        return writeResult;
    fillBuffer.assign(bytes / 2, 0);
    fill(fillBuffer.data());
    for (u32 i = 0; i < bytes / 2; ++i) {
        ring[offset + 2 * i] = (u8)fillBuffer[i];
        ring[offset + 2 * i + 1] = (u8)((u16)fillBuffer[i] >> 8);
    }
    writes.push_back({offset, bytes});
    stream.insert(stream.end(), fillBuffer.begin(), fillBuffer.end());
    return SoundWriteOk;
}
