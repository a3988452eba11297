// The Ogg Vorbis decoder the music stream plays through (stb_vorbis, compiled once in Vorbis.cpp).
#pragma once
#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_PUSHDATA_API
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>

#include <cstddef>

#include "Engine/Common/Types.h"

// What one open may ask for in all: a decoder's state is a few hundred KiB, so an open that needs
// more fails as out of memory. Fuzzing lowers it, so that no input's open fills memory.
constexpr size_t defaultVorbisOpenLimit = 16u << 20;
extern size_t vorbisOpenLimit;

// Opens a decoder on an image in memory (stb_vorbis_open_memory); null with *error set when the
// image is no Ogg Vorbis stream, and then nothing it allocated stays behind.
stb_vorbis* VorbisOpen(const u8* data, u32 size, int* error);

// The next sample of the first two channels, taken from the decoder's buffered frame; the next frame
// is decoded when that is used up. A mono stream gives its one channel on both sides. Returns false
// at the end of the stream, on a decode error and for a frame of no samples.
//
// This reads the same buffered range as the library's own sample readers, so a seek to a sample
// lands exactly on it.
bool VorbisNextSamples(stb_vorbis* decoder, f32* first, f32* second);
