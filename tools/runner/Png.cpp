#include "tools/runner/Png.h"

#include <cstdio>
#include <vector>

namespace {

u32 Crc32(const u8* data, size_t size, u32 crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBe32(std::vector<u8>& out, u32 v)
{
    out.push_back((u8)(v >> 24));
    out.push_back((u8)(v >> 16));
    out.push_back((u8)(v >> 8));
    out.push_back((u8)v);
}

void PutChunk(std::vector<u8>& out, const char* type, const std::vector<u8>& data)
{
    PutBe32(out, (u32)data.size());
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

} // namespace

bool WritePng(const std::string& path, const u32* pixels, u32 width, u32 height)
{
    std::vector<u8> raw;
    raw.reserve((size_t)(width * 3 + 1) * height);
    for (u32 y = 0; y < height; ++y) {
        raw.push_back(0); // no filter
        for (u32 x = 0; x < width; ++x) {
            const u32 p = pixels[(size_t)y * width + x];
            raw.push_back((u8)(p >> 16));
            raw.push_back((u8)(p >> 8));
            raw.push_back((u8)p);
        }
    }
    // zlib stream of stored blocks.
    std::vector<u8> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t len = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        z.push_back(pos + len == raw.size() ? 1 : 0);
        z.push_back((u8)len);
        z.push_back((u8)(len >> 8));
        z.push_back((u8)~len);
        z.push_back((u8)(~len >> 8));
        z.insert(z.end(), raw.begin() + (long)pos, raw.begin() + (long)(pos + len));
        pos += len;
    } while (pos < raw.size());
    u32 a = 1, b = 0;
    for (u8 byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBe32(z, (b << 16) | a);

    std::vector<u8> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<u8> header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", {});

    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    return fclose(file) == 0 && written;
}
