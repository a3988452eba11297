#include "tools/datakit/SpriteCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/datakit/Bytes.h"

namespace datakit {

Pt Along(Pt from, double angle, double length)
{
    const double a = angle * 2.0 * pi / 256.0;
    return {from.x + std::cos(a) * length, from.y + std::sin(a) * length};
}

bool PutFile(const std::string& dir, const std::string& path, const std::vector<u8>& bytes)
{
    if (WriteFile(dir + "/" + path, bytes))
        return true;
    fprintf(stderr, "datakit: cannot write %s/%s\n", dir.c_str(), path.c_str());
    return false;
}

ManBox BoxOf(int left, int right, int top, int bottom)
{
    return ManBox{(u8)(right - left), (u8)(bottom - top), (u8)(i8)left, (u8)(i8)top};
}

void SetDebugBoxColours(std::vector<Rgb>& colours)
{
    colours[64] = {160, 160, 160};
    colours[65] = {0, 255, 0};
    colours[66] = {255, 40, 40};
    colours[67] = {255, 255, 0};
    colours[69] = {255, 0, 255};
}

void OutlineShapes(std::vector<u8>& pixels, int width, int height, u8 ink)
{
    const std::vector<u8> before = pixels;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            if (before[(size_t)row * width + column] != 0)
                continue;
            const int near[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const auto& n : near) {
                const int c = column + n[0], r = row + n[1];
                if (c < 0 || c >= width || r < 0 || r >= height)
                    continue;
                const u8 v = before[(size_t)r * width + c];
                if (v != 0 && v != ink) {
                    pixels[(size_t)row * width + column] = ink;
                    break;
                }
            }
        }
}

Cropped Crop(const std::vector<u8>& pixels, int cellLeft, int cellTop, int cellWidth, int cellHeight)
{
    int left = cellWidth, right = -1, top = cellHeight, bottom = -1;
    for (int row = 0; row < cellHeight; ++row)
        for (int column = 0; column < cellWidth; ++column)
            if (pixels[(size_t)row * cellWidth + column] != 0) {
                left = std::min(left, column);
                right = std::max(right, column);
                top = std::min(top, row);
                bottom = std::max(bottom, row);
            }
    Cropped out;
    if (right < 0)
        return out;
    out.width = right - left + 1;
    out.height = bottom - top + 1;
    out.offsetX = left + cellLeft;
    out.offsetY = top + cellTop;
    out.pixels.assign((size_t)out.width * out.height, 0);
    for (int row = 0; row < out.height; ++row)
        for (int column = 0; column < out.width; ++column)
            out.pixels[(size_t)row * out.width + column] = pixels[(size_t)(row + top) * cellWidth + column + left];
    return out;
}

ManFrame ShelfPacker::Add(const Cropped& crop)
{
    const int sheetWidth = sheet->width;
    if (x + crop.width > sheetWidth) {
        x = 0;
        y += shelfHeight;
        shelfHeight = 0;
    }
    const int height = y + std::max(shelfHeight, crop.height);
    if ((int)sheet->pixels.size() < height * sheetWidth)
        sheet->pixels.resize((size_t)height * sheetWidth, 0);
    for (int row = 0; row < crop.height; ++row)
        std::copy_n(&crop.pixels[(size_t)row * crop.width], crop.width,
                    &sheet->pixels[(size_t)(y + row) * sheetWidth + x]);

    ManFrame frame;
    frame.srcX = (u16)x;
    frame.srcY = (u16)y;
    frame.width = (u8)crop.width;
    frame.height = (u8)crop.height;
    frame.offsetX = (i8)crop.offsetX;
    frame.offsetY = (i8)crop.offsetY;
    x += crop.width;
    shelfHeight = std::max(shelfHeight, crop.height);
    return frame;
}

void ShelfPacker::Finish()
{
    if (sheet->width)
        sheet->height = (u16)(sheet->pixels.size() / sheet->width);
}

std::vector<i16> Synth8(size_t count, double amplitude, const std::function<double(size_t i)>& wave)
{
    std::vector<i16> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = (i16)std::lround(128.0 + std::clamp(wave(i), -1.0, 1.0) * amplitude);
    return out;
}

} // namespace datakit
