#include "Engine/Common/Tga.h"

#include <cstdlib>
#include <cstring>

#include "Engine/Common/AssetError.h"
#include "Engine/Common/DataPack.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"

namespace {

constexpr u32 headerSize = 18;

// The file's bytes; reads past its end give 0 (only the colour map reads there, for the entries
// a short map does not have).
struct Bytes {
    const u8* data;
    u32 size;
    u8 At(u64 offset) const { return offset < size ? data[offset] : 0; }
};

void FreePixels(Sheet* sheet)
{
    free(sheet->pixels);
    sheet->pixels = nullptr;
}

bool CutShort(const char* path, Sheet* sheet)
{
    FreePixels(sheet);
    ReportAssetError("TGA image %s is cut short: its pixel data ends before %u x %u pixels", path, sheet->width,
                     sheet->height);
    return false;
}

// Type 9: packets h < 128 copy the next h + 1 bytes, others repeat the next byte (h & 127) + 1
// times. Writing stops at the last pixel.
bool DecodeRunLength(const char* path, const Bytes& file, u32 at, Sheet* sheet, u32 total)
{
    u8* out = sheet->pixels;
    u32 written = 0;
    bool overrun = false;
    while (written < total) {
        if (at >= file.size)
            return CutShort(path, sheet);
        const u8 h = file.data[at++];
        u32 count = (u32)(h & 127) + 1;
        if (count > total - written) {
            overrun = true;
            count = total - written;
        }
        if (h < 128) {
            if (file.size - at < count)
                return CutShort(path, sheet);
            memcpy(out + written, file.data + at, count);
            at += (u32)(h & 127) + 1;
        } else {
            if (at >= file.size)
                return CutShort(path, sheet);
            memset(out + written, file.data[at++], count);
        }
        written += count;
    }
    if (overrun)
        ReportAssetError("TGA image %s has a run-length packet that runs past its last pixel", path);
    return true;
}

void ReadColourMap(const Bytes& file, u32 at, u32 first, u32 entryBits, Sheet* sheet)
{
    if (first >= 256)
        return;
    const u32 entryBytes = entryBits / 8;
    for (u32 e = first; e < 256; ++e) {
        const u64 p = at + (u64)(e - first) * entryBytes;
        u8* rgb = sheet->colourMap[e];
        if (entryBits == 16) {
            const u32 v = file.At(p) | (u32)file.At(p + 1) << 8;
            rgb[0] = (u8)(((v >> 10) & 31) * 2);
            rgb[1] = (u8)(((v >> 5) & 31) * 2);
            rgb[2] = (u8)((v & 31) * 2);
        } else if (entryBits == 24 || entryBits == 32) {
            rgb[0] = file.At(p + 2);
            rgb[1] = file.At(p + 1);
            rgb[2] = file.At(p);
        } else {
            return;
        }
    }
}

} // namespace

i32 LoadTga(const char* path, Sheet* sheet, u32 setPalette)
{
    if (!OpenAssetFile(path))
        return 0;
    Bytes file{nullptr, AssetFileSize()};
    u8* data = (u8*)malloc((size_t)file.size + 1);
    if (!data) {
        CloseAssetFile();
        ReportAssetError("TGA image %s does not fit in memory", path);
        return 0;
    }
    PackReadBytes(data, file.size);
    CloseAssetFile();
    file.data = data;

    const u32 idLength = file.At(0);
    const u32 type = file.At(2);
    const u32 first = file.At(3) | (u32)file.At(4) << 8;
    const u32 length = file.At(5) | (u32)file.At(6) << 8;
    const u32 entryBits = file.At(7);
    sheet->width = (u16)(file.At(12) | file.At(13) << 8);
    sheet->height = (u16)(file.At(14) | file.At(15) << 8);
    const u8 descriptor = file.At(17);
    if (type != 1 && type != 9) {
        free(data);
        return 0;
    }

    const u32 w = sheet->width, h = sheet->height;
    const u32 total = w * h;
    const u32 colourMapAt = headerSize + idLength;
    const u64 pixelsAt = colourMapAt + (u64)(entryBits / 8) * length;
    // Check the pixel data against the file before allocating for it: a damaged header must not
    // ask for gigabytes. A run-length byte gives at most 128 pixels.
    const u64 available = pixelsAt < file.size ? file.size - pixelsAt : 0;
    if (file.size < headerSize || (type == 1 && available < total) || (type == 9 && available * 128 < total)) {
        CutShort(path, sheet);
        free(data);
        return 0;
    }
    u8* pixels = (u8*)realloc(sheet->pixels, (size_t)total + 1);
    if (!pixels) {
        FreePixels(sheet);
        free(data);
        ReportAssetError("TGA image %s does not fit in memory", path);
        return 0;
    }
    sheet->pixels = pixels;
    pixels[total] = 0;
    if (type == 1) {
        memcpy(pixels, data + pixelsAt, total);
    } else if (!DecodeRunLength(path, file, (u32)pixelsAt, sheet, total)) {
        free(data);
        return 0;
    }

    // Bit 5 of the descriptor clear: the rows were stored bottom first.
    if (!(descriptor & 0x20) && h > 1) {
        u8* turned = (u8*)malloc((size_t)total + 1);
        if (turned) {
            for (u32 r = 0; r < h; ++r)
                memcpy(turned + (size_t)r * w, pixels + (size_t)(h - 1 - r) * w, w);
            turned[total] = 0;
            free(pixels);
            sheet->pixels = turned;
        }
    }

    ReadColourMap(file, colourMapAt, first, entryBits, sheet);
    free(data);

    u32 last = first + length; // one past the last entry to copy
    if (last > 256) {
        ReportAssetError("TGA image %s has a colour map that runs past 256 entries (first %u, length %u)", path, first,
                         length);
        last = 256;
    }
    if (setPalette)
        for (u32 e = first; e < last; ++e)
            SetCurrentPaletteColour(e, sheet->colourMap[e][0], sheet->colourMap[e][1], sheet->colourMap[e][2]);
    return 1;
}
