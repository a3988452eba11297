// The sound ring on DirectSound: the device, the primary buffer's format and one looping streaming
// buffer that the shell refills half by half.
#include "Engine/Platform/Win32/Win32Internal.h"

#include <mmsystem.h>

#include <dsound.h>

#include "Engine/Platform/Platform.h"

namespace {

typedef HRESULT(WINAPI* DirectSoundCreateProc)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);

// The device's secondary buffers; buffer 0 is the streaming buffer.
struct SoundBufferSet {
    IDirectSound* device;
    u32 count;
    u32 current;
    IDirectSoundBuffer* buffers[1];
};

HMODULE soundLibrary;
IDirectSound* soundDevice;
IDirectSoundBuffer* primaryBuffer;
SoundBufferSet soundBufferSet;
IDirectSoundBuffer* streamBuffer; // the buffer playing, once started

WAVEFORMATEX PcmFormat(u32 rate)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = rate * 4;
    return format;
}

void CreateStreamBuffer(SoundBufferSet* set, u32 bytes, u32 rate)
{
    WAVEFORMATEX format = PcmFormat(rate);
    DSBUFFERDESC description = {};
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY |
                          DSBCAPS_LOCSOFTWARE;
    description.dwBufferBytes = bytes;
    description.lpwfxFormat = &format;
    if (FAILED(set->device->CreateSoundBuffer(&description, &set->buffers[0], nullptr)))
        set->buffers[0] = nullptr;
}

DWORD BufferStatus(IDirectSoundBuffer* buffer)
{
    DWORD status = 0;
    if (FAILED(buffer->GetStatus(&status)))
        status = 0;
    return status;
}

// The current buffer, or the next one when it is playing (stopped and rewound if that plays too).
// A lost buffer is restored; one that cannot be is no use.
IDirectSoundBuffer* GetFreeSoundBuffer(SoundBufferSet* set)
{
    if (set->count == 0)
        return nullptr;
    IDirectSoundBuffer* buffer = set->buffers[set->current];
    if (!buffer)
        return nullptr;
    DWORD status = BufferStatus(buffer);
    if (status & DSBSTATUS_PLAYING) {
        set->current = (set->current + 1) % set->count;
        buffer = set->buffers[set->current];
        if (!buffer)
            return nullptr;
        status = BufferStatus(buffer);
        if (status & DSBSTATUS_PLAYING) {
            buffer->Stop();
            buffer->SetCurrentPosition(0);
        }
    }
    if ((status & DSBSTATUS_BUFFERLOST) && FAILED(buffer->Restore()))
        return nullptr;
    return buffer;
}

HRESULT LockRegion(u32 offset, u32 bytes, void** first, DWORD* firstBytes, void** second, DWORD* secondBytes)
{
    HRESULT result = streamBuffer->Lock(offset, bytes, first, firstBytes, second, secondBytes, 0);
    // A buffer lost to another program comes back with Restore; its contents are rewritten anyway.
    if (result == DSERR_BUFFERLOST && SUCCEEDED(streamBuffer->Restore()))
        result = streamBuffer->Lock(offset, bytes, first, firstBytes, second, secondBytes, 0);
    return result;
}

} // namespace

u32 OpenSoundRing(u32 bytes, u32 rate)
{
    soundBufferSet = SoundBufferSet{};
    streamBuffer = nullptr;

    soundLibrary = LoadLibraryA("dsound.dll");
    DirectSoundCreateProc create =
        soundLibrary ? (DirectSoundCreateProc)(void*)GetProcAddress(soundLibrary, MAKEINTRESOURCEA(1)) : nullptr;
    if (!create || FAILED(create(nullptr, &soundDevice, nullptr)) || !soundDevice) {
        soundDevice = nullptr;
        if (soundLibrary)
            FreeLibrary(soundLibrary);
        soundLibrary = nullptr;
        return SoundRingNoDevice;
    }

    u32 result = SoundRingOpened;
    if (FAILED(soundDevice->SetCooperativeLevel(mainWindow, DSSCL_PRIORITY)))
        result |= SoundRingNoPriority;

    DSBUFFERDESC primary = {};
    primary.dwSize = sizeof(DSBUFFERDESC);
    primary.dwFlags = DSBCAPS_PRIMARYBUFFER;
    if (SUCCEEDED(soundDevice->CreateSoundBuffer(&primary, &primaryBuffer, nullptr)) && primaryBuffer) {
        WAVEFORMATEX format = PcmFormat(44100);
        primaryBuffer->SetFormat(&format);
    } else {
        primaryBuffer = nullptr;
    }

    soundBufferSet.device = soundDevice;
    soundBufferSet.count = 1;
    CreateStreamBuffer(&soundBufferSet, bytes, rate);
    IDirectSoundBuffer* buffer = soundBufferSet.buffers[0];
    if (!buffer) {
        CloseSoundRing();
        return result | SoundRingNoBuffer;
    }

    // The whole ring starts silent, so nothing but silence plays before the first refill.
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (SUCCEEDED(buffer->Lock(0, bytes, &first, &firstBytes, &second, &secondBytes, 0))) {
        if (first)
            ZeroMemory(first, firstBytes);
        if (second)
            ZeroMemory(second, secondBytes);
        buffer->Unlock(first, firstBytes, second, secondBytes);
    }
    streamBuffer = GetFreeSoundBuffer(&soundBufferSet);
    if (!streamBuffer || FAILED(streamBuffer->Play(0, 0, DSBPLAY_LOOPING))) {
        CloseSoundRing();
        return result | SoundRingNoBuffer;
    }
    BufferStatus(streamBuffer);
    return result;
}

void CloseSoundRing()
{
    for (u32 i = 0; i < soundBufferSet.count; ++i) {
        if (soundBufferSet.buffers[i]) {
            soundBufferSet.buffers[i]->Stop();
            soundBufferSet.buffers[i]->Release();
            soundBufferSet.buffers[i] = nullptr;
        }
    }
    soundBufferSet.device = nullptr;
    streamBuffer = nullptr;
    if (primaryBuffer) {
        primaryBuffer->Release();
        primaryBuffer = nullptr;
    }
    if (soundDevice) {
        soundDevice->Release();
        soundDevice = nullptr;
    }
    if (soundLibrary) {
        FreeLibrary(soundLibrary);
        soundLibrary = nullptr;
    }
}

bool SoundPlayCursor(u32* offset)
{
    DWORD play = 0, write = 0;
    if (!streamBuffer || FAILED(streamBuffer->GetCurrentPosition(&play, &write)))
        return false;
    *offset = play;
    return true;
}

SoundWrite WriteSoundRegion(u32 offset, u32 bytes, void (*fill)(i16* frames))
{
    if (!streamBuffer)
        return SoundWriteLockFailed;
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (FAILED(LockRegion(offset, bytes, &first, &firstBytes, &second, &secondBytes)) || !first)
        return SoundWriteLockFailed;
    if (firstBytes < bytes) {
        // Whatever was granted is handed back as it was.
        streamBuffer->Unlock(first, firstBytes, second, secondBytes);
        return SoundWritePartial;
    }
    fill((i16*)first);
    streamBuffer->Unlock(first, firstBytes, second, secondBytes);
    return SoundWriteOk;
}
