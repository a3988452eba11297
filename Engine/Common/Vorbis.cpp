// stb_vorbis's implementation, compiled once for every target. It is third-party code included
// from a system include folder, so our warning flags do not apply to it.
//
// Its allocations go through the tracking functions below: an open that fails on a damaged file
// can return without freeing all it took (a sparse codebook's temporary lengths), and a track is
// opened again at every stage start, so the blocks of a failed open are freed here.
//
// They also refuse what no track needs: a damaged header can ask for any size up to 2^64 (a count
// from the file times a pointer size, passed through an int), and a decoder's state is a few
// hundred KiB, so an open that asks for more than vorbisOpenLimit in all fails as out of memory.
#include <cassert>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>
#if defined(__MINGW32__)
#include <malloc.h>
#else
#include <alloca.h>
#endif

#include "Engine/Common/LittleEndian.h"
#include "Engine/Common/Types.h"

// Vorbis.h declares it, but that header cannot come before the library's implementation.
extern size_t vorbisOpenLimit;

namespace {

struct alignas(std::max_align_t) TrackedBlock {
    TrackedBlock* previous;
    TrackedBlock* next;
};

TrackedBlock openBlocks = {&openBlocks, &openBlocks}; // the blocks taken by the open under way
bool trackingOpen;
size_t openBytes; // asked for by the open under way, freed blocks included

// Whether a request fits what an open may take; counted while an open is under way.
bool Affordable(size_t size)
{
    if (size > vorbisOpenLimit || (trackingOpen && openBytes + size > vorbisOpenLimit))
        return false;
    if (trackingOpen)
        openBytes += size;
    return true;
}

// The library turns powers and roots of header values into ints through floor(); on a hostile
// header (a codebook of thousands of dimensions) the value is infinite and the conversion
// undefined. Its values are checked against an entry count below 2^24, so a floor held
// within +-2^30 decides every check as the true value would and keeps the conversion defined.
double BoundedFloor(double value)
{
    constexpr double bound = 1073741824.0;
    if (value != value)
        return 0.0;
    return value < -bound ? -bound : value > bound ? bound : std::floor(value);
}

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
    if (!Affordable(size))
        return nullptr;
    // Zeroed: a failed open frees lists it had not filled yet.
    TrackedBlock* block = (TrackedBlock*)calloc(1, sizeof(TrackedBlock) + size);
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
    if (!Affordable(size))
        return nullptr;
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
#define floor(value) BoundedFloor(value)
#define STB_VORBIS_NO_PUSHDATA_API
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>
#undef malloc
#undef free
#undef realloc
#undef floor

#include "Engine/Common/Vorbis.h"

size_t vorbisOpenLimit = defaultVorbisOpenLimit;

namespace {

// The comment header, checked before the library reads it: when one of its allocations fails it
// frees every comment its count names, through a list that is null or not yet filled. So the
// counts and lengths must lie inside the packet, and the packet must be small enough (an eighth of
// the open's limit) that what it makes the library allocate (at most four times its size, and
// these are an open's first allocations) stays under that limit.

// Gathers the second packet the way the library reads it: the first page holds the first packet
// alone, the second starts on the next page and runs on through pages until a segment below 255
// bytes. False when the pages are damaged or end first, or the packet is past the limit.
bool CommentPacket(const u8* data, u32 size, std::vector<u8>* packet)
{
    u32 at = 0;
    for (u32 page = 0; at < size; ++page) {
        if (size - at < 27 || memcmp(data + at, "OggS", 4) != 0)
            return false;
        const u32 segments = data[at + 26];
        if (size - at - 27 < segments)
            return false;
        u32 body = at + 27 + segments;
        for (u32 s = 0; s < segments; ++s) {
            const u32 length = data[at + 27 + s];
            if (size - body < length)
                return false;
            if (page > 0) {
                packet->insert(packet->end(), data + body, data + body + length);
                if (packet->size() > vorbisOpenLimit / 8)
                    return false;
                if (length < 255)
                    return true;
            }
            body += length;
        }
        at = body;
    }
    return false;
}

// False when the comment header names more than it holds; a header the library refuses on its own
// (no comment packet tag) passes, as it allocates nothing.
bool CommentHeaderFits(const u8* data, u32 size)
{
    std::vector<u8> packet;
    if (!CommentPacket(data, size, &packet))
        return false;
    if (packet.size() < 7 || packet[0] != 3 || memcmp(packet.data() + 1, "vorbis", 6) != 0)
        return true;
    size_t at = 7;
    const auto lengthFits = [&](bool counted) {
        if (packet.size() - at < 4)
            return false;
        const u32 length = Le32(packet.data() + at);
        at += 4;
        if (length > 0x7FFFFFFFu)
            return !counted; // a negative count names no comments
        if (counted)
            return (u64)length * 4 <= packet.size() - at;
        if (length > packet.size() - at)
            return false;
        at += length;
        return true;
    };
    if (!lengthFits(false))
        return false;
    const size_t countAt = at;
    if (!lengthFits(true))
        return false;
    const u32 count = Le32(packet.data() + countAt);
    for (u32 i = 0; count <= 0x7FFFFFFFu && i < count; ++i)
        if (!lengthFits(false))
            return false;
    return true;
}

} // namespace

stb_vorbis* VorbisOpen(const u8* data, u32 size, int* error)
{
    if (!CommentHeaderFits(data, size)) {
        *error = VORBIS_invalid_setup;
        return nullptr;
    }
    trackingOpen = true;
    openBytes = 0;
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
