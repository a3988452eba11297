// Sound effects and music tracks: their slot tables, the sound queue, the stop list and the music
// requests. Nothing here plays anything; the audio refill (Engine/Platform/Audio.h) drains the
// queue, the stop list and the requests on the game thread.
#pragma once
#include "Engine/Common/AssetReader.h"
#include "Engine/Common/Types.h"

// A loaded effect, converted to signed 8-bit mono. Sound id 0 is the silent sound of start-up, so
// the queue and the voices use 0 for "none".
struct Sound {
    u32 useCount;
    u32 slot;
    char* name; // heap copy of the path
    i8* samples; // length samples (heap); null when the file was not a wave
    i8* loopStart;
    i8* end; // samples + length
    u32 length; // sample frames
    u32 sampleRate;
    u16 bitsPerSample;
    u16 channels;
};

extern Sound** soundSlots;
extern u32 soundSlotCount;

struct MusicTrack {
    u32 useCount;
    u32 slot;
    char* name;
    u8 kind; // 0, the only kind made
    u32 loopSample; // where the stream goes on at its end; 0xFFFFFFFF = stop at the end
    AssetReader image; // the whole .ogg file
};

extern MusicTrack** musicSlots;
extern u32 musicSlotCount;

struct SoundQueue {
    u16 id[16]; // 0 = cancelled
    u8 loop[16];
    u32 frequency[16]; // Hz; 0 = the sound's own rate
    u8 count;
};
extern SoundQueue soundQueue;

struct SoundStopList {
    u16 ids[16];
    u8 count;
};
extern SoundStopList soundStopList;

// Set by every writer of the queue, the stop list and the music requests.
extern u8 audioRequestPending;

extern u8 musicStopRequest;
extern u8 musicChangeRequest;
extern const AssetReader* requestedMusic;
extern const AssetReader* requestedNextMusic;
extern u32 musicLoopSample;
extern const Sound* voice0Request;

// What LoadWav takes from a file's header.
struct WavHeader {
    u32 dataOffset; // first sample byte
    u32 dataBytes;  // as the chunk says (may be more than the file holds)
    u16 channels;
    u32 sampleRate;
    u16 bitsPerSample;
};

u32 LoadSound(const char* path);
void FreeSound(u32 id);

// Reads a whole WAV image into the sound; 1 on success, 0 when it is no RIFF WAVE with a data chunk
// (the sound keeps no samples). The loader's step after the file has been read.
i32 ParseWav(const char* path, const u8* data, u32 size, Sound* sound);
i32 LoadWav(const char* path, Sound* sound);
// Finds the format fields and the data chunk; 1 or 0.
i32 ReadWavHeader(const char* path, const u8* data, u32 size, WavHeader* header);
// Converts frames of the file's samples (8 or 16 bits, mono or stereo) to signed 8-bit mono.
void ConvertWavSamples(const u8* data, Sound* sound);

// Appends a play of the sound at its own rate; a full queue drops it.
void QueueSound(u16 id);
// The same at another pitch: frequency in Hz, 0 for the sound's own rate.
void QueueSoundAt(u16 id, u32 frequency);
// A pitch worked out in floating point; one outside what the queue holds plays at the sound's own rate.
void QueueSoundAt(u16 id, f32 frequency);
void StopSound(u16 id);

u32 LoadMusic(const char* path, u32 loopSample);
// The form the stages use: the second argument is always 0 and not read.
u32 LoadMusic(const char* path, u32 unused, u32 loopSample);
void FreeMusic(u32 slot);
void PlayMusic(u32 slot);

// Shutdown: frees every sound and track still held, and both tables.
void FreeSoundTables();
