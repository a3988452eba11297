// Controls of the headless sound ring: a ring whose play cursor follows the virtual clock, and
// everything written into it, kept for tests.
#pragma once
#include <vector>

#include "Engine/Common/Types.h"
#include "Engine/Platform/Platform.h"

namespace headless {

// What the next OpenSoundRing reports (SoundRingOpened at first). With SoundRingNoDevice or
// SoundRingNoBuffer no ring opens.
void SetSoundOpenResult(u32 result);
// What the next writes report (SoundWriteOk at first); a failed or partial write fills nothing.
void SetSoundWriteResult(SoundWrite result);
// Whether the play cursor can be read (true at first).
void SetSoundCursorReadable(bool readable);

bool SoundRingOpen();
u32 SoundRingRate();
// The ring's bytes now.
const std::vector<u8>& SoundRing();
struct SoundRegionWrite {
    u32 offset, bytes;
};
// Every region written since the ring opened, and the frames (left, right) in the order written.
const std::vector<SoundRegionWrite>& SoundWrites();
const std::vector<i16>& SoundStream();
// Forgets (and frees) the regions and frames written so far; the ring plays on. A long run keeps no
// record that way.
void ClearSoundRecord();
// Calls that reached the ring, kept while no ring is open too: a game without a device makes none.
u32 SoundCallCount();

// Back to the state of a fresh process: no ring, and the controls at their first values.
void ResetSound();

} // namespace headless
