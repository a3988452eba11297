// Input demos: player 1's masks recorded tick by tick into "test.dem" and played back, from a
// known demoSeed that also seeds the game's random numbers, so a stretch of play repeats exactly.
//
// "test.dem" is big-endian: the u32 seed, then per tick the recording player's held and pressed
// masks. Its length gives the number of ticks.
#pragma once
#include <cstddef>

#include "Engine/Common/Types.h"

// The u32 read on the playback, big-endian; 10 at or past the end of the data.
u32 ReadU32BE();

// Starts a recording into "test.dem" in the working directory, ending a running demo first.
// False when the file cannot be created: then nothing records.
bool StartDemoRecording();

// Starts playing "test.dem" back (the data pack first, then the loose file), ending a running demo
// first. False when the file is missing or too short to hold the seed: then nothing plays.
bool StartDemoPlayback();

// The same from bytes already in memory (copied).
bool StartDemoPlaybackFromBytes(const u8* bytes, size_t size);

// Ends a running demo (closes the recording, releases the playback) and puts player 1 back on
// the devices.
void StopDemo();

bool DemoRecording();
bool DemoPlaying();

// The tick's masks of a playback player. False once the demo holds no further whole tick: the
// playback has then ended.
bool DemoReadMasks(u32* held, u32* pressed);

// Appends a recording player's masks for this tick.
void DemoWriteMasks(u32 held, u32 pressed);

// The demo keys, served with the hotkeys: F10 plays back (with Control held: records); F11, or
// player 1's own Start during a playback, stops.
void ServeDemoKeys();
