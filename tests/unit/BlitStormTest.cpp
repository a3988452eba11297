// A storm of random draws through every slot, far-off and hostile values included, leaves the
// guard rows above and below the frame untouched (run it under the sanitizers too).
#include <climits>

#include "Engine/Common/Layout.h"
#include "Engine/Render/Lines.h"
#include "tests/unit/BlitReference.h"

namespace {

class BlitStormTest : public BlitFixture {
protected:
    std::mt19937 random{77};

    i32 Value(i32 near)
    {
        switch (random() % 8) {
        case 0: return (i32)random(); // anything at all
        case 1: return (random() & 1) ? INT_MIN : INT_MAX;
        default: return (i32)(random() % (u32)(3 * near)) - near;
        }
    }
};

TEST_F(BlitStormTest, GuardRowsStayUntouched)
{
    std::vector<u8> texture(256 * 256, 1);
    currentTexture = texture.data();
    std::vector<u8> tilePixels(256);
    TileRecord tile{};
    tile.pixels = tilePixels.data();

    for (u8 mode : {20, 24, 25}) {
        SetVideoMode(mode);
        const int W = screenWidth, H = screenHeight;
        std::vector<blitref::OwnedImage> images;
        for (int i = 0; i < 16; ++i) {
            images.emplace_back(1 + (int)(random() % 255), 1 + (int)(random() % 64),
                                (i16)(random() % 512 - 256), (i16)(random() % 512 - 256));
            for (u8& p : images.back().pixels)
                p = (u8)random();
        }
        images.emplace_back(255, 255, INT16_MIN, INT16_MAX); // offsets at their limits
        for (u8& p : images.back().pixels)
            p = 1;
        for (u8& p : tilePixels)
            p = (u8)random();

        for (int i = 0; i < 3000; ++i) {
            blendMode = random() % 5;
            blendLevel = random() % 300;
            drawFlags = (random() & 1) ? drawFlagRotateScale : 0;
            spriteScaleX = (random() % 4 == 0) ? Value(70000) : 64 + (i32)(random() % 4000);
            spriteScaleY = (random() % 4 == 0) ? Value(70000) : spriteScaleX;
            spriteAngle = Value(1000);
            cameraLimits[0].wrapX = random() & 1;
            cameraLimits[0].wrapWidth = Value(2 * W);
            cameraLimits[0].wrapY = random() & 1;
            cameraLimits[0].wrapHeight = Value(2 * H);
            const blitref::OwnedImage& owned = images[random() % images.size()];
            const i32 scrollX = Value(1000), scrollY = Value(1000);
            const u8 colour = (u8)random();
            switch (random() % 10) {
            case 0: rendererSlots.DrawSprite(&owned.image, scrollX, scrollY, Value(W), Value(H)); break;
            case 1: rendererSlots.DrawSpriteFlipX(&owned.image, scrollX, scrollY, Value(W), Value(H)); break;
            case 2: rendererSlots.DrawSpriteFlipY(&owned.image, scrollX, scrollY, Value(W), Value(H)); break;
            case 3: rendererSlots.DrawSpriteFlipXY(&owned.image, scrollX, scrollY, Value(W), Value(H)); break;
            case 4:
                (random() & 1 ? rendererSlots.DrawTile : rendererSlots.DrawTileMasked)(
                    &tile, scrollX, scrollY, Value(W), Value(H));
                break;
            case 5:
                lineX0 = Value(W), lineY0 = Value(H), lineX1 = Value(W), lineY1 = Value(H);
                if (rendererSlots.ClipLine(&lineX0, &lineY0, &lineX1, &lineY1)) {
                    rendererSlots.DrawLine(lineX0, lineY0, lineX1, lineY1, colour);
                    rendererSlots.DrawHLine(lineX0, lineY0, lineX1, colour);
                    rendererSlots.DrawVLine(lineX0, lineY0, lineY1, colour);
                }
                break;
            case 6: rendererSlots.FillRect(Value(W), Value(H), Value(W), Value(H), colour); break;
            case 7: // unclipped calls: what lies off the frame is left out
                rendererSlots.DrawHLine(Value(W), Value(H), Value(W), colour);
                rendererSlots.DrawVLine(Value(W), Value(H), Value(H), colour);
                rendererSlots.DrawLine(Value(W), Value(H), Value(W), Value(H), colour);
                break;
            default: // the 640x480 pair, also left in place by the other modes
                if (rendererSlots.DrawTextureLine) {
                    rendererSlots.DrawTextureLine(Value(W), Value(256), Value(256), Value(W), Value(256),
                                                  Value(256), Value(H));
                    rendererSlots.ScanTextureEdge(Value(W), Value(H), Value(256), Value(256), Value(W),
                                                  Value(H), Value(256), Value(256));
                }
                break;
            }
        }
        bool guardsClear = true;
        for (int x = 0; x < W; ++x)
            guardsClear = guardsClear && doubleBuffer[x] == 0 &&
                          doubleBuffer[(size_t)(H + 1) * W + x] == 0;
        EXPECT_TRUE(guardsClear) << W << "x" << H;
        // The storm did draw: the frame is not what the mode switch left.
        bool drawn = false;
        for (int i = 0; i < W * H && !drawn; ++i)
            drawn = frameBuffer[i] != 0;
        EXPECT_TRUE(drawn) << W << "x" << H;
    }
    currentTexture = nullptr;
}

} // namespace
