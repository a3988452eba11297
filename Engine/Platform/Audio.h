// Audio output: the looping stream refilled half by half, the 15-voice effect mixer and the music
// stream. Everything here runs on the game thread (set-up on the main thread before it exists).
#pragma once
#include "Engine/Common/Types.h"

struct Sound;
struct stb_vorbis;

// The stream: 16-bit stereo frames in a looping ring of two halves.
constexpr u32 streamBufferBytes = 23520;
constexpr u32 streamHalfBytes = 11760;
constexpr u32 streamHalfFrames = 2940;
constexpr u32 streamRate = 44025; // the rate the ring plays at
constexpr u32 mixRate = 44100;    // the clock voices step against

struct SoundVoice {
    const i8* position; // next sample; null = silent
    const i8* loopStart;
    const i8* end; // one past the last sample
    u32 id;        // sound id playing; 0 = free
    u8 loop;
    u8 paused; // neither mixed nor stepped
    u32 rate;  // samples a second
    u32 phase; // stepping accumulator against mixRate
};

// Voice 0 is reserved and never mixed; voices 1-15 play effects.
extern SoundVoice soundVoices[16];
extern i16 sfxVolume; // 64 = full
// Which half the next refill writes: 1 = the first (bytes 0-11759), 0 = the second.
extern u8 nextStreamHalf;

// The music decoder being played (null = no music), the one kept for closing, and the next one.
extern stb_vorbis* musicDecoder;
extern stb_vorbis* currentMusicDecoder;
extern stb_vorbis* nextMusicDecoder;
extern const u8* currentMusicImage;

// True while the stream plays on a device; false when start-up found none and the game runs silent.
extern u8 soundDeviceOpen;

// The audio step of platform start-up: opens the ring and starts it. A missing device shows its box
// and the game goes on silent, with the mixer running on a clock of its own.
void InitSound();

// The refill step of the game loop: when the play cursor has left a half, mixes it.
void RefillSoundStream();

// Applies the requests since the last half, then mixes one half: streamHalfFrames frames of left
// and right samples.
void FillAudioBlock(i16* frames);

// One output frame of the effect voices (left, right).
void MixSoundChannels(i16 out[2]);

// The next music pair (left, right, each -128..127); 0 at the end of the stream or on an error.
i32 GetMusicSamplePair(i16 out[2]);

// Closes the music decoders.
void FreeMusicStreams();

// Closes the music and the ring and clears the voices (shutdown; start-up may follow again).
void ShutdownSound();
