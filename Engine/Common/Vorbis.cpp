// stb_vorbis's implementation, compiled once for every target. It is third-party code included
// from a system include folder, so our warning flags do not apply to it.
//
// Its allocations go through the tracking functions below: an open that fails on a damaged file
// can return without freeing all it took (a sparse codebook's temporary lengths), and a track is
// opened again at every stage start, so the blocks of a failed open are freed here.
#include <cassert>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#if defined(__MINGW32__)
#include <malloc.h>
#else
#include <alloca.h>
#endif

#include "Engine/Common/Types.h"

namespace {

struct alignas(std::max_align_t) TrackedBlock {
    TrackedBlock* previous;
    TrackedBlock* next;
};

TrackedBlock openBlocks = {&openBlocks, &openBlocks}; // the blocks taken by the open under way
bool trackingOpen;

void Unlink(TrackedBlock* block)
{
    block->previous->next = block->next;
    block->next->previous = block->previous;
    block->previous = block->next = block;
}

void Link(TrackedBlock* block)
{
    if (!trackingOpen) {
        block->previous = block->next = block;
        return;
    }
    block->previous = openBlocks.previous;
    block->next = &openBlocks;
    openBlocks.previous->next = block;
    openBlocks.previous = block;
}

void* TrackedMalloc(size_t size)
{
    TrackedBlock* block = (TrackedBlock*)malloc(sizeof(TrackedBlock) + size);
    if (!block)
        return nullptr;
    Link(block);
    return block + 1;
}

void TrackedFree(void* memory)
{
    if (!memory)
        return;
    TrackedBlock* block = (TrackedBlock*)memory - 1;
    Unlink(block);
    free(block);
}

void* TrackedRealloc(void* memory, size_t size)
{
    if (!memory)
        return TrackedMalloc(size);
    TrackedBlock* block = (TrackedBlock*)memory - 1;
    Unlink(block);
    TrackedBlock* moved = (TrackedBlock*)realloc(block, sizeof(TrackedBlock) + size);
    if (!moved) {
        Link(block);
        return nullptr;
    }
    Link(moved);
    return moved + 1;
}

} // namespace

#define malloc(size) TrackedMalloc(size)
#define free(memory) TrackedFree(memory)
#define realloc(memory, size) TrackedRealloc(memory, size)
#define STB_VORBIS_NO_PUSHDATA_API
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>
#undef malloc
#undef free
#undef realloc

#include "Engine/Common/Vorbis.h"

stb_vorbis* VorbisOpen(const u8* data, u32 size, int* error)
{
    trackingOpen = true;
    stb_vorbis* decoder = stb_vorbis_open_memory(data, (int)size, error, nullptr);
    trackingOpen = false;
    // Whatever the failed open left behind is freed; a decoder keeps its blocks until it is closed.
    while (openBlocks.next != &openBlocks) {
        TrackedBlock* block = openBlocks.next;
        Unlink(block);
        if (!decoder)
            free(block);
    }
    return decoder;
}

bool VorbisNextSamples(stb_vorbis* decoder, f32* first, f32* second)
{
    if (decoder->channel_buffer_start >= decoder->channel_buffer_end) {
        if (decoder->eof)
            return false;
        // A failed decode clears the buffered range itself.
        if (stb_vorbis_get_frame_float(decoder, nullptr, nullptr) <= 0)
            return false;
        if (decoder->channel_buffer_start >= decoder->channel_buffer_end)
            return false;
    }
    const int at = decoder->channel_buffer_start++;
    *first = decoder->channel_buffers[0][at];
    *second = decoder->channels > 1 ? decoder->channel_buffers[1][at] : *first;
    return true;
}
