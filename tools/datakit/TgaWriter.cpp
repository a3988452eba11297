#include "tools/datakit/TgaWriter.h"

#include "tools/datakit/Bytes.h"

namespace datakit {

namespace {

void PutRunLength(std::vector<u8>& out, const std::vector<u8>& pixels)
{
    const size_t n = pixels.size();
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && pixels[i + run] == pixels[i])
            ++run;
        if (run >= 2) {
            out.push_back((u8)(0x80 | (run - 1)));
            out.push_back(pixels[i]);
            i += run;
            continue;
        }
        // A raw packet up to the next pair of equal pixels.
        size_t raw = 1;
        while (i + raw < n && raw < 128 && !(i + raw + 1 < n && pixels[i + raw] == pixels[i + raw + 1]))
            ++raw;
        out.push_back((u8)(raw - 1));
        out.insert(out.end(), pixels.begin() + (long)i, pixels.begin() + (long)(i + raw));
        i += raw;
    }
}

} // namespace

std::vector<u8> MakeTga(const TgaImage& image, const TgaOptions& options)
{
    std::vector<u8> out;
    out.push_back((u8)options.id.size());
    out.push_back(1); // a colour map is present
    out.push_back(options.type);
    PutLe16(out, options.firstEntry);
    PutLe16(out, (u16)image.colours.size());
    out.push_back(options.entryBits);
    PutLe16(out, 0);
    PutLe16(out, 0);
    PutLe16(out, image.width);
    PutLe16(out, image.height);
    out.push_back(8);
    out.push_back(options.topFirst ? 0x20 : 0x00);
    out.insert(out.end(), options.id.begin(), options.id.end());

    for (const Rgb& c : image.colours) {
        if (options.entryBits == 16) {
            PutLe16(out, (u16)((c[0] >> 3) << 10 | (c[1] >> 3) << 5 | (c[2] >> 3)));
        } else {
            out.push_back(c[2]);
            out.push_back(c[1]);
            out.push_back(c[0]);
            if (options.entryBits == 32)
                out.push_back(255);
        }
    }

    std::vector<u8> rows(image.pixels);
    if (!options.topFirst)
        for (u32 r = 0; r < image.height; ++r)
            for (u32 x = 0; x < image.width; ++x)
                rows[(size_t)r * image.width + x] = image.pixels[(size_t)(image.height - 1 - r) * image.width + x];
    if (options.type == 9)
        PutRunLength(out, rows);
    else
        out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

} // namespace datakit
