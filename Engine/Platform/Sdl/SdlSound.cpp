// The sound ring on SDL: a buffer that SDL's audio callback plays round and round, with the play
// cursor it leaves behind, so the shell refills it half by half exactly as it refills the
// DirectSound streaming buffer.
#include <SDL.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Engine/Platform/Platform.h"

namespace {

SDL_AudioDeviceID soundDevice;
u8* ring;
u32 ringBytes;
i16* staging;          // a region is mixed here, then copied in while the callback waits
std::atomic<u32> playCursor; // byte offset the callback reads next

void SDLCALL PlayRing(void*, Uint8* stream, int length)
{
    u32 at = playCursor.load(std::memory_order_relaxed);
    while (length > 0) {
        const u32 run = ringBytes - at < (u32)length ? ringBytes - at : (u32)length;
        memcpy(stream, ring + at, run);
        stream += run;
        length -= (int)run;
        at = at + run == ringBytes ? 0 : at + run;
    }
    playCursor.store(at, std::memory_order_release);
}

void FreeRing()
{
    free(ring);
    free(staging);
    ring = nullptr;
    staging = nullptr;
    ringBytes = 0;
}

// ALSA writes its own account of a failed open to standard error, line by line, before SDL gives up
// on it: eight lines on a machine without a sound card, ahead of the one that matters. Its handler
// is quietened in the library SDL loads, unless SDL_AUDIO_ALSA_DEBUG (SDL's own switch for talk
// about ALSA) asks for the details. The library stays loaded for the life of the process, so the
// handler holds whenever SDL opens it.
void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietenAlsa()
{
    static bool done;
    if (done || SDL_getenv("SDL_AUDIO_ALSA_DEBUG"))
        return;
    done = true;
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa)
        return; // no ALSA here, so nothing of it to hear
    typedef void (*ErrorHandler)(const char*, int, const char*, int, const char*, ...);
    typedef int (*SetErrorHandler)(ErrorHandler);
    if (SetErrorHandler set = (SetErrorHandler)dlsym(alsa, "snd_lib_error_set_handler"))
        set(SilentAlsaError);
}

// Without a device the game runs silent. A box with DirectSound's name in it would tell a player on
// Linux nothing and hold up the start, so SDL's own reason goes to standard error instead.
u32 NoDevice()
{
    fprintf(stderr, "No sound device (%s): the game runs silent.\n", SDL_GetError());
    return SoundRingNoDevice | SoundRingReported;
}

} // namespace

u32 OpenSoundRing(u32 bytes, u32 rate)
{
    // The device plays at the mixer's own 44100 Hz: the DirectSound buffer's 44025 is a rate no
    // sound card here offers, and SDL would only resample to reach it.
    (void)rate;
    if (bytes == 0 || bytes % 4 != 0)
        return SoundRingNoBuffer;
    QuietenAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0)
        return NoDevice();
    ring = (u8*)calloc(bytes, 1);
    staging = (i16*)malloc(bytes);
    if (!ring || !staging) {
        FreeRing();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return SoundRingNoBuffer;
    }
    ringBytes = bytes;
    playCursor.store(0);

    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = 44100;
    wanted.format = AUDIO_S16LSB;
    wanted.channels = 2;
    wanted.samples = 512;
    wanted.callback = PlayRing;
    SDL_AudioSpec got;
    // No changes allowed: SDL converts to whatever the device wants.
    soundDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
    if (!soundDevice) {
        const u32 result = NoDevice();
        FreeRing();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return result;
    }
    SDL_PauseAudioDevice(soundDevice, 0);
    return SoundRingOpened;
}

void CloseSoundRing()
{
    if (soundDevice) {
        SDL_CloseAudioDevice(soundDevice);
        soundDevice = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    FreeRing();
}

bool SoundPlayCursor(u32* offset)
{
    if (!soundDevice)
        return false;
    *offset = playCursor.load(std::memory_order_acquire);
    return true;
}

SoundWrite WriteSoundRegion(u32 offset, u32 bytes, void (*fill)(i16* frames))
{
    if (!soundDevice || offset > ringBytes || bytes > ringBytes - offset)
        return SoundWriteLockFailed;
    fill(staging);
    SDL_LockAudioDevice(soundDevice);
    memcpy(ring + offset, staging, bytes);
    SDL_UnlockAudioDevice(soundDevice);
    return SoundWriteOk;
}
