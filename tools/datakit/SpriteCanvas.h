#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/TgaWriter.h"

// Helpers the art writers share: writing a file of the data set, boxes, the dark rim, cropping a
// painted cell, packing frames in shelves, the debug outline colours, a picture painted pixel by
// pixel and 8-bit sound samples.
namespace datakit {

inline constexpr double pi = 3.14159265358979323846;

struct Pt {
    double x, y;
};

// The point `length` away from `from` along `angle`, in 256ths of a turn (64 = down).
Pt Along(Pt from, double angle, double length);

// Writes dir/path, saying on stderr when it cannot.
bool PutFile(const std::string& dir, const std::string& path, const std::vector<u8>& bytes);

// A box from its edges, relative to the object's position.
ManBox BoxOf(int left, int right, int top, int bottom);

// The debug view's box outline colours at 64-69 of a sprite palette.
void SetDebugBoxColours(std::vector<Rgb>& colours);

// A dark rim (ink) on every clear pixel beside a painted one that is not ink itself, so a shape
// reads on any background. Index 0 is clear.
void OutlineShapes(std::vector<u8>& pixels, int width, int height, u8 ink);

// A painted frame cropped to its pixels, with its place relative to the object's position.
struct Cropped {
    int width = 1, height = 1, offsetX = 0, offsetY = 0;
    std::vector<u8> pixels = std::vector<u8>(1, 0);
};

// Crops a cell of width x height whose pixel (0, 0) lies at (cellLeft, cellTop); a cell with
// nothing painted gives one clear pixel at the position.
Cropped Crop(const std::vector<u8>& pixels, int cellLeft, int cellTop, int cellWidth, int cellHeight);

// Frames packed left to right in shelves on a sheet of a fixed width that grows downward.
struct ShelfPacker {
    TgaImage* sheet;
    int x = 0, y = 0, shelfHeight = 0;

    explicit ShelfPacker(TgaImage& image) : sheet(&image) {}
    // Copies the frame onto the sheet; the frame gets its source, size and offset.
    ManFrame Add(const Cropped& crop);
    // Sets the sheet's height to the rows packed so far.
    void Finish();
};

// A picture painted pixel by pixel: width x height palette indices, 0 clear; what falls outside it
// is dropped, and reads outside it are clear.
struct PixelCanvas {
    int width, height;
    std::vector<u8> pixels;

    PixelCanvas(int w, int h) : width(w), height(h), pixels((size_t)w * h, 0) {}
    void Set(int x, int y, u8 c)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[(size_t)y * width + x] = c;
    }
    u8 Get(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height ? pixels[(size_t)y * width + x] : 0;
    }
    // The pixels whose centres lie within r of (cx, cy).
    void Disc(double cx, double cy, double r, u8 c)
    {
        for (int y = (int)(cy - r) - 1; y <= (int)(cy + r) + 1; ++y)
            for (int x = (int)(cx - r) - 1; x <= (int)(cx + r) + 1; ++x)
                if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= r)
                    Set(x, y, c);
    }
};

// 8-bit unsigned samples (around 128) of a wave in -1..1 at `amplitude`: count samples, the wave
// asked for each index.
std::vector<i16> Synth8(size_t count, double amplitude, const std::function<double(size_t i)>& wave);

} // namespace datakit
