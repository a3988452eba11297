// Parallax scenery: where the copies of a sprite land on screen for the parallax factors, the
// repeat flags and the scroll, and the sprite of no width that has nothing to step by.
#include <gtest/gtest.h>

#include <vector>

#include "Engine/Common/ObjectType.h"
#include "Game/World/ParaSprite.h"

namespace {

constexpr i32 screenW = 424, screenH = 240;

struct Sprite {
    ObjectHeader header{};
    ParaSpriteRecord record{};

    Sprite(f32 x, f32 y, f64 parallaxX, f64 parallaxY, u8 repeatX, u8 repeatY)
    {
        header.x = x;
        header.y = y;
        record.header = &header;
        record.parallaxX = parallaxX;
        record.parallaxY = parallaxY;
        record.repeatX = repeatX;
        record.repeatY = repeatY;
    }
};

TEST(ParaSpriteTest, FactorZeroScrollsWithTheWorldAndFactorOneStaysOnScreen)
{
    for (i32 scroll : {0, 37, 500, -90}) {
        Sprite world(100.0f, 50.0f, 0.0, 0.0, 0, 0);
        const ParaSpriteTiling a = ParaSpriteLayout(&world.record, 16, scroll, scroll / 2, screenW, screenH);
        EXPECT_EQ(a.x, 100.0 - scroll);
        EXPECT_EQ(a.y, 50.0 - scroll / 2);

        Sprite fixed(100.0f, 50.0f, 1.0, 1.0, 0, 0);
        const ParaSpriteTiling b = ParaSpriteLayout(&fixed.record, 16, scroll, scroll / 2, screenW, screenH);
        EXPECT_EQ(b.x, 100.0);
        EXPECT_EQ(b.y, 50.0);
        // Without repetition the copies fill from the sprite's own place to the right and down.
        EXPECT_EQ(b.across, (u32)((screenW - 100 + 15) / 16));
        EXPECT_EQ(b.down, (u32)((screenH - 50 + 15) / 16));
    }
    Sprite half(0.0f, 0.0f, 0.5, 0.25, 0, 0);
    const ParaSpriteTiling h = ParaSpriteLayout(&half.record, 16, 200, 400, screenW, screenH);
    EXPECT_EQ(h.x, -100.0);
    EXPECT_EQ(h.y, -300.0);
    // Without repetition the grid runs from the sprite's own place, here above and left of the screen.
    EXPECT_EQ(h.across, 33u);
    EXPECT_EQ(h.down, 34u);
}

TEST(ParaSpriteTest, ARepeatedSpriteCoversTheScreenEdgeAtAnyScroll)
{
    struct Case {
        u8 repeatX, repeatY;
        i32 width;
    };
    const std::vector<Case> cases = {{1, 0, 32}, {0, 1, 32}, {1, 1, 24}, {1, 0, 1}, {1, 1, 500}};
    for (const Case& c : cases)
        for (i32 scroll : {0, 1, 31, 32, 33, 1000, -7, -1000, 123456}) {
            Sprite sprite(70.0f, -45.0f, 0.3, 0.6, c.repeatX, c.repeatY);
            const ParaSpriteTiling t = ParaSpriteLayout(&sprite.record, c.width, scroll, scroll, screenW, screenH);
            SCOPED_TRACE(testing::Message() << "repeat " << (int)c.repeatX << (int)c.repeatY << " width " << c.width
                                            << " scroll " << scroll);
            if (c.repeatX) {
                EXPECT_GT(t.x, -(f64)c.width);
                EXPECT_LE(t.x, 0.0);
                EXPECT_GE(t.x + (f64)t.across * c.width, (f64)screenW);
                EXPECT_LT(t.x + (f64)(t.across - 1) * c.width, (f64)screenW);
            }
            if (c.repeatY) {
                EXPECT_GT(t.y, -(f64)c.width);
                EXPECT_LE(t.y, 0.0);
                EXPECT_GE(t.y + (f64)t.down * c.width, (f64)screenH);
            }
            if (c.repeatX && !c.repeatY) {
                EXPECT_EQ(t.down, 1u);
            }
            if (c.repeatY && !c.repeatX) {
                EXPECT_EQ(t.across, 1u);
            }
        }
}

TEST(ParaSpriteTest, ASpriteOfNoWidthHasNoCopies)
{
    for (i32 width : {0, -5}) {
        Sprite sprite(10.0f, 10.0f, 0.5, 0.5, 1, 1);
        const ParaSpriteTiling t = ParaSpriteLayout(&sprite.record, width, 300, 20, screenW, screenH);
        EXPECT_EQ(t.across, 0u);
        EXPECT_EQ(t.down, 0u);
    }
}

} // namespace
