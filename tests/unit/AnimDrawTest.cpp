// DrawAnimFrame: the current frame, at the truncated position, through the slot of the flips.
#include "Engine/Render/AnimDraw.h"
#include "tests/unit/BlitReference.h"

namespace {

struct Header {
    f32 x, y;
    u8 flipX, flipY;
};

class AnimDrawTest : public BlitFixture {
protected:
    // Two frames of 2x1: frame 0 is indices 1, 2 and frame 1 is indices 3, 4.
    u8 pixels[2][2] = {{1, 2}, {3, 4}};
    u32 rowStarts[1] = {0};
    AnimFrame frames[2] = {};
    Animation animation = {};
    AnimPlayer player = {};

    void SetUp() override
    {
        BlitFixture::SetUp();
        for (int f = 0; f < 2; ++f) {
            SpriteImage& image = frames[f].image;
            image.width = 2, image.height = 1;
            image.pixels = pixels[f];
            image.rowStarts = rowStarts;
            image.offsetX = 0, image.offsetY = 0;
            image.flippedOffsetX = -2, image.flippedOffsetY = -1;
        }
        animation.frameCount = 2;
        animation.frames = frames;
        player.animation = &animation;
        player.frameIndex = 1;
        player.playing = 1;
        scrollX = scrollY = 0;
    }
    void TearDown() override
    {
        scrollX = scrollY = 0;
        BlitFixture::TearDown();
    }
    u32 At(int x, int y) const { return frameBuffer[rowOffsets[y] + x]; }
};

TEST_F(AnimDrawTest, CurrentFrameAtTheTruncatedPositionInItsFlips)
{
    struct Case {
        f32 x, y;
        u8 flipX, flipY;
        int left, top;    // where the frame's two pixels land
        u8 first, second; // their indices, left to right
    };
    const Case cases[] = {
        {10.9f, 20.2f, 0, 0, 10, 20, 3, 4},
        {-0.5f, 5.0f, 0, 0, 0, 5, 3, 4},   // truncated toward zero: drawn at x = 0
        {10.0f, 20.0f, 1, 0, 8, 20, 4, 3}, // mirrored left of the position
        {10.0f, 20.0f, 0, 1, 10, 19, 3, 4},
        {10.0f, 20.0f, 1, 1, 8, 19, 4, 3},
    };
    for (const Case& c : cases) {
        memset(frameBuffer, 0, frameBytes);
        const Header header{c.x, c.y, c.flipX, c.flipY};
        DrawAnimFrame(&player, &header);
        EXPECT_EQ(At(c.left, c.top), palette[c.first]) << c.x << "," << c.y;
        EXPECT_EQ(At(c.left + 1, c.top), palette[c.second]) << c.x << "," << c.y;
    }
    // The global scroll is taken off, and a transform set before applies (doubled here).
    memset(frameBuffer, 0, frameBytes);
    scrollX = 100, scrollY = -50;
    const Header header{110.0f, -40.0f, 0, 0};
    drawFlags = drawFlagRotateScale;
    spriteScaleX = spriteScaleY = 1024;
    DrawAnimFrame(&player, &header);
    RestDrawState();
    EXPECT_EQ(At(10, 10), palette[3]);
    EXPECT_EQ(At(11, 10), palette[3]);
    EXPECT_EQ(At(12, 11), palette[4]);
}

TEST_F(AnimDrawTest, NothingWithoutAPlayingPlayerOrAFrame)
{
    const Header header{10.0f, 10.0f, 0, 0};
    const blitref::Frame before = Snapshot();
    DrawAnimFrame<Header>(nullptr, &header);
    DrawAnimFrame<Header>(&player, nullptr);
    player.playing = 0;
    DrawAnimFrame(&player, &header);
    player.playing = 1;
    player.frameIndex = 2; // past the frames
    DrawAnimFrame(&player, &header);
    player.animation = nullptr;
    DrawAnimFrame(&player, &header);
    const Header far{1e30f, -1e30f, 0, 0}; // clamped, off screen
    player.animation = &animation;
    player.frameIndex = 0;
    DrawAnimFrame(&player, &far);
    EXPECT_TRUE(SameAsLive(before)) << FirstDifference(before);
}

} // namespace
