// Where the full-screen picture goes: the frame's own shape, centred, at whole multiples.
#include <gtest/gtest.h>

#include "Engine/Platform/Sdl/SdlPlatform.h"

namespace {

TEST(SdlVideoTest, FullscreenPictureKeepsTheFrameShapeAtWholeMultiples)
{
    const struct {
        i32 displayWidth, displayHeight, frameWidth, frameHeight;
        PictureBox box;
    } rows[] = {
        // 424x240: 3x on a 16:10 laptop screen (bars on all four sides), 4x on 1080p, 2x exactly.
        {1280, 800, 424, 240, {4, 40, 1272, 720, true}},
        {1920, 1080, 424, 240, {112, 60, 1696, 960, true}},
        {1280, 720, 424, 240, {4, 0, 1272, 720, true}},
        {848, 480, 424, 240, {0, 0, 848, 480, true}},
        {1024, 768, 424, 240, {88, 144, 848, 480, true}},
        // The other frame sizes: the tighter side decides.
        {1280, 800, 320, 240, {160, 40, 960, 720, true}},
        {1280, 800, 640, 480, {320, 160, 640, 480, true}},
        // Smaller than the frame: the largest box of its shape, no longer whole.
        {400, 300, 424, 240, {0, 37, 400, 226, false}},
        {300, 100, 424, 240, {61, 0, 177, 100, false}},
        // Nothing sensible to fit: the whole display, never a negative size.
        {0, 0, 424, 240, {0, 0, 0, 0, false}},
        {1280, 800, 0, 240, {0, 0, 1280, 800, false}},
    };
    for (const auto& row : rows) {
        const PictureBox box =
            FullscreenPictureBox(row.displayWidth, row.displayHeight, row.frameWidth, row.frameHeight);
        EXPECT_EQ(box.x, row.box.x) << row.displayWidth << "x" << row.displayHeight;
        EXPECT_EQ(box.y, row.box.y) << row.displayWidth << "x" << row.displayHeight;
        EXPECT_EQ(box.width, row.box.width) << row.displayWidth << "x" << row.displayHeight;
        EXPECT_EQ(box.height, row.box.height) << row.displayWidth << "x" << row.displayHeight;
        EXPECT_EQ(box.whole, row.box.whole) << row.displayWidth << "x" << row.displayHeight;
    }
}

} // namespace
