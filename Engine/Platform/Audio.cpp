#include "Engine/Platform/Audio.h"

#include <cstring>

#include "Engine/Common/Debug.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/Vorbis.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Platform/Platform.h"

SoundVoice soundVoices[16];
i16 sfxVolume = 64;
u8 nextStreamHalf;

stb_vorbis* musicDecoder;
stb_vorbis* currentMusicDecoder;
stb_vorbis* nextMusicDecoder;
const u8* currentMusicImage;

u8 soundDeviceOpen;

namespace {

// Without a device the halves fall due by this clock instead, so the queue, the voices and the
// music move on exactly as they would with sound.
bool silentClockMilli;
i64 silentClockStart;
i64 silentClockFrequency;

void StartSilentClock()
{
    i64 frequency = 0;
    if (PerfFrequency(&frequency) && frequency > 0) {
        silentClockMilli = false;
        silentClockFrequency = frequency;
        silentClockStart = PerfCounter();
    } else {
        silentClockMilli = true;
        silentClockFrequency = 1000;
        silentClockStart = MilliTime();
    }
}

u32 SilentClockCursor()
{
    i64 elapsed;
    if (silentClockMilli)
        elapsed = (u32)(MilliTime() - (u32)silentClockStart);
    else
        elapsed = PerfCounter() - silentClockStart;
    if (elapsed < 0)
        elapsed = 0;
    // Whole frames played, kept exact by taking the remainder before it can overflow.
    const i64 ringFrames = streamBufferBytes / 4;
    const i64 period = silentClockFrequency * ringFrames; // counts for one trip round the ring
    const i64 within = elapsed % period;
    const i64 frame = within / silentClockFrequency * streamRate % ringFrames +
                      within % silentClockFrequency * streamRate / silentClockFrequency;
    return (u32)(frame % ringFrames) * 4;
}

void ClearVoice(SoundVoice& voice)
{
    voice.position = nullptr;
    voice.id = 0;
    voice.loop = 0;
}

// The image a decoder may be opened on: a file read whole. A record whose file was missing has no
// data and opens nothing.
stb_vorbis* OpenMusicImage(const AssetReader* image, int* error)
{
    *error = VORBIS__no_error;
    if (!image->data || image->size == 0 || image->size > 0x7FFFFFFFu) {
        *error = VORBIS_unexpected_eof;
        return nullptr;
    }
    return VorbisOpen(image->data, image->size, error);
}

void OpenRequestedMusic()
{
    // A change without a stop would lose the open decoders; close them first.
    if (currentMusicDecoder || nextMusicDecoder)
        FreeMusicStreams();
    if (requestedMusic) {
        int error = 0;
        stb_vorbis* decoder = OpenMusicImage(requestedMusic, &error);
        if (decoder) {
            musicDecoder = currentMusicDecoder = decoder;
            currentMusicImage = requestedMusic->data;
            soundVoices[0].paused = 0;
            musicFadeStep = 0.0f;
            musicVolume = 64;
        } else {
            FormatDebugText("vorbis_open_memory error: %d", error);
        }
    }
    const AssetReader* opened = requestedMusic;
    requestedMusic = nullptr;
    if (requestedNextMusic) {
        if (requestedNextMusic == opened) {
            nextMusicDecoder = currentMusicDecoder;
        } else {
            int error = 0;
            nextMusicDecoder = OpenMusicImage(requestedNextMusic, &error);
            if (!nextMusicDecoder)
                FormatDebugText("(next) vorbis_open_memory error: %d", error);
        }
        requestedNextMusic = nullptr;
    }
}

void StartQueuedPlays()
{
    for (u32 i = 0; i < soundQueue.count && i < 16; ++i) {
        const u16 id = soundQueue.id[i];
        if (id == 0 || sfxMuted)
            continue;
        const Sound* sound = id < soundSlotCount ? soundSlots[id] : nullptr;
        // A sound without samples (its file was not a wave) plays nothing, and one of no length
        // has no sample to read.
        if (!sound || !sound->samples || sound->end <= sound->samples)
            continue;
        SoundVoice* voice = nullptr;
        for (int v = 1; v < 16 && !voice; ++v)
            if (soundVoices[v].id == id && !soundVoices[v].paused)
                voice = &soundVoices[v];
        for (int v = 1; v < 16 && !voice; ++v)
            if (soundVoices[v].id == 0)
                voice = &soundVoices[v];
        if (!voice)
            continue;
        voice->paused = 0;
        voice->position = sound->samples;
        voice->loopStart = sound->loopStart;
        voice->end = sound->end;
        voice->id = id;
        voice->loop = soundQueue.loop[i];
        voice->phase = mixRate;
        voice->rate = soundQueue.frequency[i] ? soundQueue.frequency[i] : sound->sampleRate;
    }
    soundQueue.count = 0;
}

void ApplyStopList()
{
    for (u32 i = 0; i < soundStopList.count && i < 16; ++i) {
        for (int v = 1; v < 16; ++v) {
            if (soundVoices[v].id == soundStopList.ids[i]) {
                ClearVoice(soundVoices[v]);
                break;
            }
        }
    }
    soundStopList.count = 0;
}

void ServeVoice0Request()
{
    const Sound* sound = voice0Request;
    voice0Request = nullptr;
    SoundVoice& voice = soundVoices[0];
    voice.position = sound->samples;
    voice.loopStart = sound->loopStart;
    voice.end = sound->end;
    voice.rate = sound->sampleRate;
    voice.phase = mixRate;
    voice.paused = 0;
}

// The library's fast conversion: the nearest integer to sample x 32768 (ties to even), clamped.
// Music reaches the mixer at 8 bits.
inline i16 MusicSample(f32 sample)
{
    if (!(sample > -2.0f))
        sample = -2.0f; // also catches NaN
    if (sample > 2.0f)
        sample = 2.0f;
    f32 shifted = sample + 384.0f; // 1.5 x 2^8: the low mantissa bits hold sample x 2^15
    i32 bits;
    memcpy(&bits, &shifted, sizeof(bits));
    i32 value = bits - 0x43C00000;
    if (value < -32768)
        value = -32768;
    if (value > 32767)
        value = 32767;
    return (i16)(value >> 8);
}

inline u32 Pack(const i16 pair[2])
{
    return (u32)(u16)pair[0] | (u32)(u16)pair[1] << 16;
}

} // namespace

void InitSound()
{
    for (SoundVoice& voice : soundVoices)
        voice = SoundVoice{};
    nextStreamHalf = 0;
    const u32 opened = OpenSoundRing(streamBufferBytes, streamRate);
    if (opened & SoundRingReported) {
        // Told already, in the platform's own words.
    } else if (opened & SoundRingNoDevice) {
        ShowMessageBox("DirectSoundCreate Error", "DirectSound Error", BoxOk);
    } else if (opened & SoundRingNoPriority) {
        ShowMessageBox("SetCooperativeLevel Error", "DirectSound Error", BoxOk);
    }
    soundDeviceOpen = (opened & (SoundRingNoDevice | SoundRingNoBuffer)) ? 0 : 1;
    if (!soundDeviceOpen)
        StartSilentClock();
}

void RefillSoundStream()
{
    u32 cursor = 0;
    if (!soundDeviceOpen)
        cursor = SilentClockCursor();
    else if (!SoundPlayCursor(&cursor))
        return;

    u32 offset;
    if (nextStreamHalf == 1 && cursor >= streamHalfBytes) {
        nextStreamHalf = 0;
        offset = 0;
    } else if (nextStreamHalf == 0 && cursor < streamHalfBytes) {
        nextStreamHalf = 1;
        offset = streamHalfBytes;
    } else {
        return;
    }

    if (!soundDeviceOpen) {
        static i16 discarded[streamHalfFrames * 2];
        FillAudioBlock(discarded);
        return;
    }
    switch (WriteSoundRegion(offset, streamHalfBytes, FillAudioBlock)) {
    case SoundWriteOk:
        break;
    case SoundWriteLockFailed:
        ShowMessageBox(offset == 0 ? "Error locking streaming DS buffer 1" : "Error locking streaming DS buffer 2",
                       "DirectSound Error", BoxOk);
        break;
    case SoundWritePartial:
        ShowMessageBox(offset == 0 ? "Unable to fully lock streaming DS buffer 1"
                                   : "Unable to fully lock streaming DS buffer 2",
                       "DirectSound Error", BoxOk);
        break;
    }
}

void FillAudioBlock(i16* frames)
{
    if (musicStopRequest) {
        FreeMusicStreams();
        musicStopRequest = 0;
    }
    if (musicChangeRequest) {
        musicChangeRequest = 0;
        OpenRequestedMusic();
    }
    if (audioRequestPending) {
        audioRequestPending = 0;
        StartQueuedPlays();
        ApplyStopList();
        if (voice0Request)
            ServeVoice0Request();
    }

    const u32 musicGain = (u32)(i32)musicVolume;
    const u32 effectGain = (u32)(i32)sfxVolume;
    for (u32 i = 0; i < streamHalfFrames; ++i) {
        i16 music[2] = {0, 0};
        if (!musicMuted && musicDecoder) {
            if (!GetMusicSamplePair(music)) {
                music[0] = music[1] = 0;
                // A seek that fails, or a stream that gives nothing after it, ends the music:
                // retrying it would cost a seek on every frame from now on.
                if (musicLoopSample == 0xFFFFFFFFu || !stb_vorbis_seek(musicDecoder, musicLoopSample) ||
                    !GetMusicSamplePair(music)) {
                    musicDecoder = nullptr;
                    music[0] = music[1] = 0;
                }
            }
        }
        i16 effects[2];
        MixSoundChannels(effects);
        // Both channels scaled by one multiplication, as the lanes of one 32-bit integer: a
        // borrow of the left lane reaches the right one, and nothing is clamped.
        const u32 out = Pack(music) * musicGain + Pack(effects) * effectGain;
        frames[2 * i] = (i16)(u16)out;
        frames[2 * i + 1] = (i16)(u16)(out >> 16);
    }
}

void MixSoundChannels(i16 out[2])
{
    u16 left = 0, right = 0;
    for (int v = 15; v >= 1; --v) {
        SoundVoice& voice = soundVoices[v];
        if (voice.paused || !voice.position)
            continue;
        const u16 sample = (u16)(i16)*voice.position;
        left = (u16)(left + sample);
        right = (u16)(right + sample);
        voice.phase += voice.rate;
        while (voice.phase >= mixRate) {
            voice.phase -= mixRate;
            ++voice.position;
            if (voice.position >= voice.end) {
                if (voice.loop && voice.loopStart < voice.end) {
                    voice.position = voice.loopStart;
                } else {
                    ClearVoice(voice);
                    break;
                }
            }
        }
    }
    out[0] = (i16)left;
    out[1] = (i16)right;
}

i32 GetMusicSamplePair(i16 out[2])
{
    f32 first, second;
    if (!musicDecoder || !VorbisNextSamples(musicDecoder, &first, &second))
        return 0;
    out[0] = MusicSample(first);
    out[1] = MusicSample(second);
    return 1;
}

void FreeMusicStreams()
{
    // Both pointers are cleared as they are closed, so a later stop finds nothing to close again.
    if (nextMusicDecoder && nextMusicDecoder != currentMusicDecoder)
        stb_vorbis_close(nextMusicDecoder);
    nextMusicDecoder = nullptr;
    if (currentMusicDecoder)
        stb_vorbis_close(currentMusicDecoder);
    currentMusicDecoder = nullptr;
    currentMusicImage = nullptr;
    musicDecoder = nullptr;
}

void ShutdownSound()
{
    FreeMusicStreams();
    if (soundDeviceOpen)
        CloseSoundRing();
    soundDeviceOpen = 0;
    for (SoundVoice& voice : soundVoices)
        voice = SoundVoice{};
}
