#include "Engine/Common/Sound.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Engine/Common/CopyText.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/LittleEndian.h"
#include "Engine/Platform/Audio.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Common/StageSwitch.h"

Sound** soundSlots;
u32 soundSlotCount;
MusicTrack** musicSlots;
u32 musicSlotCount;

SoundQueue soundQueue;
SoundStopList soundStopList;
u8 audioRequestPending;

u8 musicStopRequest;
u8 musicChangeRequest;
const AssetReader* requestedMusic;
const AssetReader* requestedNextMusic;
u32 musicLoopSample = 0xFFFFFFFFu;
const Sound* voice0Request;

namespace {

const char* const silentSoundPath = "Data/SFX/Global/Silent.wav";

// A stage that restarts itself loads its assets again without having freed them: those loads
// take no new reference.
bool StageRestarting()
{
    return currentStage && currentStage == previousStage;
}

// The first free entry of a slot table, growing it by one when there is none. False when the
// table cannot grow.
template <typename Record>
bool TakeSlot(Record**& slots, u32& count, u32* slot)
{
    for (u32 i = 0; i < count; ++i) {
        if (!slots[i]) {
            *slot = i;
            return true;
        }
    }
    Record** grown = (Record**)realloc(slots, sizeof(Record*) * (count + 1));
    if (!grown)
        return false;
    slots = grown;
    slots[count] = nullptr;
    *slot = count++;
    return true;
}

// Reads the current asset file whole into a heap block; null when it cannot be held.
u8* ReadCurrentFile(u32* size)
{
    *size = AssetFileSize();
    u8* data = (u8*)malloc(*size ? *size : 1);
    if (data && *size)
        PackReadBytes(data, *size);
    return data;
}

// Reads an effect file whole. A missing effect reads the silent sound instead, so it loads as
// silence under its own name.
u8* ReadEffectFile(const char* path, u32* size)
{
    if (!OpenAssetFile(path) && !OpenAssetFile(silentSoundPath)) {
        ShowMessageBox("Couldn't open default silent sound effect", "Palvic Error", BoxOk);
        return nullptr;
    }
    u8* data = ReadCurrentFile(size);
    CloseAssetFile();
    return data;
}

void FreeSoundRecord(Sound* sound)
{
    free(sound->samples);
    free(sound->name);
    free(sound);
}

void FreeMusicRecord(MusicTrack* track)
{
    CloseAssetReader(&track->image);
    free(track->name);
    free(track);
}

// Removes every trace of a sound that is about to be freed: its voices stop now, its pending
// plays and stops go, and voice 0 is not handed it (voice 0 itself is never mixed). A freed sound must never be read, and the stop
// list alone cannot promise that when it is full.
void ForgetSound(u16 id, const Sound* sound)
{
    for (int v = 1; v < 16; ++v) {
        if (soundVoices[v].id == id) {
            soundVoices[v].position = nullptr;
            soundVoices[v].id = 0;
            soundVoices[v].loop = 0;
        }
    }
    if (voice0Request == sound)
        voice0Request = nullptr;
    for (u32 i = 0; i < 16; ++i)
        if (soundQueue.id[i] == id)
            soundQueue.id[i] = 0;
    u8 kept = 0;
    for (u32 i = 0; i < soundStopList.count && i < 16; ++i)
        if (soundStopList.ids[i] != id)
            soundStopList.ids[kept++] = soundStopList.ids[i];
    soundStopList.count = kept;
}

} // namespace

u32 LoadSound(const char* path)
{
    for (u32 slot = 0; slot < soundSlotCount; ++slot) {
        Sound* sound = soundSlots[slot];
        if (sound && sound->name && strcmp(sound->name, path) == 0) {
            if (!StageRestarting())
                ++sound->useCount;
            FormatDebugText("Sound %s duplicate - %d", path, (int)slot);
            return slot;
        }
    }
    u32 slot;
    if (!TakeSlot(soundSlots, soundSlotCount, &slot))
        return 0;
    Sound* sound = (Sound*)calloc(1, sizeof(Sound));
    if (!sound)
        return 0;
    sound->useCount = 1;
    sound->slot = slot;
    soundSlots[slot] = sound;
    LoadWav(path, sound);
    sound->name = CopyText(path);
    FormatDebugText("Sound %s loaded - %d", path, (int)slot);
    return slot;
}

void FreeSound(u32 id)
{
    if (id >= soundSlotCount || !soundSlots[id])
        return;
    Sound* sound = soundSlots[id];
    if (sound->useCount > 1) {
        --sound->useCount;
        return;
    }
    sound->useCount = 0;
    StopSound((u16)id);
    ForgetSound((u16)id, sound);
    FreeSoundRecord(sound);
    soundSlots[id] = nullptr;
}

i32 LoadWav(const char* path, Sound* sound)
{
    u32 size = 0;
    u8* data = ReadEffectFile(path, &size);
    if (!data)
        return 0;
    const i32 result = ParseWav(path, data, size, sound);
    free(data);
    return result;
}

i32 ReadWavHeader(const char* path, const u8* data, u32 size, WavHeader* header)
{
    if (size < 12 || memcmp(data + 8, "WAVE", 4) != 0) {
        printf("%s isn't a wave file\n", path);
        return 0;
    }
    // Walk the chunks to the data chunk, taking the format fields on the way. Every step is
    // checked against the file's size, so a truncated or lying header ends the walk.
    bool haveFormat = false;
    bool haveData = false;
    u64 at = 12;
    while (at + 8 <= size) {
        const u8* chunk = data + at;
        const u32 chunkBytes = Le32(chunk + 4);
        if (memcmp(chunk, "fmt ", 4) == 0 && chunkBytes >= 16 && at + 8 + 16 <= size) {
            header->channels = Le16(chunk + 10);
            header->sampleRate = Le32(chunk + 12);
            header->bitsPerSample = Le16(chunk + 22);
            haveFormat = true;
        } else if (memcmp(chunk, "data", 4) == 0) {
            header->dataOffset = (u32)(at + 8);
            header->dataBytes = chunkBytes;
            haveData = true;
            break;
        }
        at += 8 + (u64)chunkBytes + (chunkBytes & 1);
    }
    // Files whose chunk sizes do not add up still carry their tag: look for it.
    if (!haveData) {
        for (u32 i = 12; i + 8 <= size; ++i) {
            if (memcmp(data + i, "data", 4) == 0) {
                header->dataOffset = i + 8;
                header->dataBytes = Le32(data + i + 4);
                haveData = true;
                break;
            }
        }
    }
    // Without a format chunk the fields are where the common 44-byte header keeps them.
    if (!haveFormat && size >= 36) {
        header->channels = Le16(data + 22);
        header->sampleRate = Le32(data + 24);
        header->bitsPerSample = Le16(data + 34);
        haveFormat = true;
    }
    if (!haveData || !haveFormat) {
        printf("%s has no %s chunk\n", path, haveData ? "format" : "data");
        return 0;
    }
    return 1;
}

i32 ParseWav(const char* path, const u8* data, u32 size, Sound* sound)
{
    WavHeader header = {};
    if (!ReadWavHeader(path, data, size, &header))
        return 0;
    // A data chunk longer than the file is cut to what the file holds.
    const u32 held = size - header.dataOffset;
    const u32 bytes = header.dataBytes < held ? header.dataBytes : held;
    sound->channels = header.channels;
    sound->sampleRate = header.sampleRate;
    sound->bitsPerSample = header.bitsPerSample;
    const bool wide = header.bitsPerSample == 16;
    const u32 frameBytes = (header.channels == 2 ? 2u : 1u) * (wide ? 2u : 1u);
    sound->length = bytes / frameBytes;
    sound->samples = (i8*)malloc(sound->length);
    if (!sound->samples && sound->length) {
        sound->length = 0;
        return 0;
    }
    ConvertWavSamples(data + header.dataOffset, sound);
    sound->loopStart = sound->samples;
    sound->end = sound->samples + sound->length;
    return 1;
}

void ConvertWavSamples(const u8* data, Sound* sound)
{
    const bool wide = sound->bitsPerSample == 16;
    const bool stereo = sound->channels == 2;
    i8* out = sound->samples;
    for (u32 i = 0; i < sound->length; ++i) {
        if (!stereo && !wide) {
            out[i] = (i8)(data[i] ^ 0x80);
        } else if (!stereo) {
            out[i] = (i8)data[2 * i + 1];
        } else if (!wide) {
            const int left = (i8)(data[2 * i] ^ 0x80);
            const int right = (i8)(data[2 * i + 1] ^ 0x80);
            out[i] = (i8)((left + right) >> 1);
        } else {
            const int left = (i8)data[4 * i + 1];
            const int right = (i8)data[4 * i + 3];
            out[i] = (i8)((left + right) >> 1);
        }
    }
}

void QueueSound(u16 id)
{
    QueueSoundAt(id, 0u);
}

void QueueSoundAt(u16 id, u32 frequency)
{
    if (soundQueue.count >= 16)
        return;
    audioRequestPending = 1;
    soundQueue.id[soundQueue.count] = id;
    soundQueue.loop[soundQueue.count] = 0;
    soundQueue.frequency[soundQueue.count] = frequency;
    ++soundQueue.count;
}

void QueueSoundAt(u16 id, f32 frequency)
{
    QueueSoundAt(id, frequency > 0.0f && frequency < 4.0e9f ? (u32)frequency : 0u);
}

void StopSound(u16 id)
{
    if (id == 0)
        return;
    // Entry 0 keeps its id: the refill starts it and then silences it through the stop list.
    for (u32 i = 1; i < 16; ++i)
        if (soundQueue.id[i] == id)
            soundQueue.id[i] = 0;
    for (u32 i = 0; i < soundStopList.count && i < 16; ++i)
        if (soundStopList.ids[i] == id)
            return;
    for (u32 i = 0; i < 16; ++i) {
        if ((i >= 1 && soundVoices[i].id == id) || soundQueue.id[i] == id) {
            if (soundStopList.count < 16)
                soundStopList.ids[soundStopList.count++] = id;
            audioRequestPending = 1;
            return;
        }
    }
}

u32 LoadMusic(const char* path, u32 loopSample)
{
    for (u32 slot = 0; slot < musicSlotCount; ++slot) {
        MusicTrack* track = musicSlots[slot];
        if (track && track->name && strcmp(track->name, path) == 0) {
            if (!StageRestarting())
                ++track->useCount;
            FormatDebugText("Music %s duplicate - %d", path, (int)slot);
            return slot;
        }
    }
    u32 slot;
    if (!TakeSlot(musicSlots, musicSlotCount, &slot))
        return 0;
    // Zeroed, so a missing file leaves an empty image that opens nothing and frees nothing.
    MusicTrack* track = (MusicTrack*)calloc(1, sizeof(MusicTrack));
    if (!track)
        return 0;
    track->useCount = 1;
    track->slot = slot;
    track->kind = 0;
    track->loopSample = loopSample;
    musicSlots[slot] = track;
    OpenAssetReaderWhole(path, &track->image);
    track->name = CopyText(path);
    FormatDebugText("Music %s loaded - %d", path, (int)slot);
    return slot;
}

u32 LoadMusic(const char* path, u32, u32 loopSample)
{
    return LoadMusic(path, loopSample);
}

void FreeMusic(u32 slot)
{
    if (slot >= musicSlotCount || !musicSlots[slot])
        return;
    // Every release stops the music, whether or not it was the last reference.
    musicStopRequest = 1;
    voice0Request = soundSlotCount > 0 ? soundSlots[0] : nullptr;
    musicChangeRequest = 0;
    requestedMusic = requestedNextMusic = nullptr;
    audioRequestPending = 1;
    MusicTrack* track = musicSlots[slot];
    if (track->useCount > 1) {
        --track->useCount;
        return;
    }
    FreeMusicRecord(track);
    musicSlots[slot] = nullptr;
}

void PlayMusic(u32 slot)
{
    musicStopRequest = 1;
    const MusicTrack* track = slot < musicSlotCount ? musicSlots[slot] : nullptr;
    if (!track || track->kind > 1)
        return;
    requestedMusic = requestedNextMusic = &track->image;
    voice0Request = nullptr;
    audioRequestPending = 1;
    musicChangeRequest = 1;
    musicLoopSample = track->loopSample;
}

void FreeSoundTables()
{
    for (u32 slot = 0; slot < soundSlotCount; ++slot) {
        if (soundSlots[slot]) {
            ForgetSound((u16)slot, soundSlots[slot]);
            FreeSoundRecord(soundSlots[slot]);
        }
    }
    free(soundSlots);
    soundSlots = nullptr;
    soundSlotCount = 0;
    for (u32 slot = 0; slot < musicSlotCount; ++slot)
        if (musicSlots[slot])
            FreeMusicRecord(musicSlots[slot]);
    free(musicSlots);
    musicSlots = nullptr;
    musicSlotCount = 0;
    soundQueue = SoundQueue{};
    soundStopList = SoundStopList{};
    audioRequestPending = musicStopRequest = musicChangeRequest = 0;
    requestedMusic = requestedNextMusic = nullptr;
    voice0Request = nullptr;
}
