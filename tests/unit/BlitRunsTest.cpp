// The blitters copy whole stretches of a row at a time: stretches wholly opaque, wholly empty and
// mixed take different paths. Images made of such rows, at every width around the stretch sizes,
// clipped at every screen edge, in every mirror and blend mode, must draw exactly what the per-pixel
// closed forms give; so must tiles and the masked layer drawers.
#include <climits>
#include <string>

#include "Engine/Common/Layout.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Render/LayerDraw.h"
#include "Engine/Render/TileBlit.h"
#include "tests/unit/BlitReference.h"

namespace {

using blitref::OwnedImage;
using blitref::SpriteCall;

const u8 screenModes[] = {20, 24, 25};

// The kinds of row: wholly opaque, wholly empty, random holes, one opaque run inside, opaque but
// for one end pixel, alternating pixels.
enum RowKind { rowOpaque, rowEmpty, rowHoles, rowRun, rowEndHole, rowAlternate, rowKinds };

void FillRow(u8* row, int width, int kind, std::mt19937& random)
{
    for (int c = 0; c < width; ++c) {
        const u8 colour = (u8)(1 + random() % 255);
        bool solid = true;
        switch (kind) {
        case rowOpaque: break;
        case rowEmpty: solid = false; break;
        case rowHoles: solid = random() % 4 != 0; break;
        case rowRun: solid = c >= width / 5 && c < width - width / 3; break;
        case rowEndHole: solid = c != (kind + width) % 2 * (width - 1); break;
        default: solid = c % 2 == 0; break;
        }
        row[c] = solid ? colour : 0;
    }
}

class BlitRunsTest : public BlitFixture {
protected:
    std::mt19937 random{77};

    // An image whose row r is of kind (r + shift) % rowKinds.
    OwnedImage RowImage(int width, int height, int shift)
    {
        OwnedImage owned(width, height, (i16)-(width / 2), (i16)-(height / 2));
        for (int r = 0; r < height; ++r)
            FillRow(&owned.pixels[(size_t)(r * width)], width, (r + shift) % rowKinds, random);
        return owned;
    }

    static DrawSpriteFunction Slot(bool flipX, bool flipY)
    {
        return flipX ? (flipY ? rendererSlots.DrawSpriteFlipXY : rendererSlots.DrawSpriteFlipX)
                     : (flipY ? rendererSlots.DrawSpriteFlipY : rendererSlots.DrawSprite);
    }

    void RandomFrame()
    {
        for (size_t i = (size_t)screenWidth; i < (size_t)screenWidth * (screenHeight + 1); ++i)
            doubleBuffer[i] = random() & 0x00FFFFFF;
    }

    // Draws over whatever the frame holds (earlier draws make the blends' backgrounds vary).
    ::testing::AssertionResult SpriteMatches(const OwnedImage& owned, const SpriteCall& call)
    {
        blitref::Frame expected = Snapshot();
        blitref::DrawSprite(expected, owned.image, palette.data(), call);
        blendMode = call.mode;
        blendLevel = call.level;
        Slot(call.flipX, call.flipY)(&owned.image, call.scrollX, call.scrollY, call.x, call.y);
        RestDrawState();
        if (SameAsLive(expected))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << screenWidth << "x" << screenHeight << " image " << owned.image.width << "x" << owned.image.height
               << " flip " << call.flipX << call.flipY << " at " << call.x << "," << call.y << " mode " << call.mode
               << "/" << call.level << ": " << FirstDifference(expected);
    }
};

// Widths around the stretch sizes (1, 4 and 16 pixels), heights on both sides of the size where
// the add and mix blends scale the whole palette once, at every edge, mirror and blend mode.
TEST_F(BlitRunsTest, SpritesOfEveryRowKindMatchTheReference)
{
    const int widths[] = {1, 3, 4, 5, 15, 16, 17, 20, 31, 32, 33, 48, 63, 70};
    const int heights[] = {6, 30};
    const u32 levels[] = {0, 128, 255};
    for (u8 videoMode : screenModes) {
        SetVideoMode(videoMode);
        RandomFrame();
        const int W = screenWidth, H = screenHeight;
        int draw = 0;
        for (int width : widths)
            for (int height : heights) {
                const OwnedImage owned = RowImage(width, height, width);
                // Top-left corners crossing every edge, and wholly inside.
                const int lefts[] = {-width + 1, -width / 2, -1, 0, 7, W - width, W - width / 2 - 1, W - 1};
                const int tops[] = {-height + 1, -1, 0, 9, H - height, H - 1};
                for (int left : lefts)
                    for (int top : tops)
                        for (int flip = 0; flip < 4; ++flip, ++draw) {
                                // Each mode takes a quarter of the places, every mirror and edge in turn.
                                const u32 mode = (u32)(draw + draw / 4) % 4;
                                SpriteCall call{};
                                call.flipX = flip & 1, call.flipY = flip & 2;
                                call.mode = mode;
                                call.level = levels[(size_t)(draw / 16) % 3];
                                call.scrollX = 40, call.scrollY = -30;
                                call.x = left + 40 - (call.flipX ? owned.image.flippedOffsetX : owned.image.offsetX);
                                call.y = top - 30 - (call.flipY ? owned.image.flippedOffsetY : owned.image.offsetY);
                                ASSERT_TRUE(SpriteMatches(owned, call));
                            }
            }
    }
}

// Tiles of every row kind (several kinds in one tile, and tiles of one kind throughout), opaque
// and masked, at every edge of every screen size.
TEST_F(BlitRunsTest, TilesOfEveryRowKindMatchTheReference)
{
    std::vector<u8> pixels(256);
    TileRecord tile{};
    tile.pixels = pixels.data();
    for (u8 videoMode : screenModes) {
        SetVideoMode(videoMode);
        const int W = screenWidth, H = screenHeight;
        for (int shape = 0; shape < rowKinds + 1; ++shape) {
            for (int r = 0; r < 16; ++r)
                FillRow(&pixels[(size_t)(r * 16)], 16, shape < rowKinds ? shape : r % rowKinds, random);
            const int xs[] = {-15, -12, -5, -1, 0, 3, W - 16, W - 13, W - 4, W - 1};
            const int ys[] = {-15, -3, 0, 5, H - 16, H - 1};
            for (bool masked : {false, true})
                for (int sx : xs)
                    for (int sy : ys) {
                        for (size_t i = 0; i < (size_t)W * (H + 2); ++i)
                            doubleBuffer[i] = random() & 0xFFFFFF;
                        blitref::Frame expected = Snapshot();
                        for (int r = 0; r < 16; ++r)
                            for (int c = 0; c < 16; ++c) {
                                const int X = sx + c, Y = sy + r;
                                const u8 index = pixels[(size_t)(r * 16 + c)];
                                if (X >= 0 && X < W && Y >= 0 && Y < H && (!masked || index))
                                    expected.At(X, Y) = palette[index];
                            }
                        (masked ? rendererSlots.DrawTileMasked : rendererSlots.DrawTile)(&tile, 0, 0, sx, sy);
                        ASSERT_TRUE(SameAsLive(expected)) << W << "x" << H << " shape " << shape
                                                          << (masked ? " masked" : "") << " at " << sx << ", "
                                                          << sy << ": " << FirstDifference(expected);
                    }
        }
    }
}

// The masked drawer of every scroll mode against its opaque twin: with a colour for index 0 that
// no other entry has, the twin's frame names every pixel's tile index 0, so the masked frame must
// be the twin's with the background wherever that colour shows.
TEST_F(BlitRunsTest, MaskedLayerDrawersLeaveExactlyTheHoles)
{
    constexpr u32 records = 24;
    std::vector<u8> block(records * 256);
    std::vector<TileRecord> tiles(records);
    for (u32 t = 0; t < records; ++t) {
        for (int r = 0; r < 16; ++r)
            FillRow(&block[t * 256 + (size_t)r * 16], 16, t < rowKinds ? (int)t : (int)(r + t) % rowKinds, random);
        bool opaque = true;
        for (int p = 0; p < 256; ++p)
            opaque = opaque && block[t * 256 + (size_t)p];
        tiles[t] = TileRecord{&block[t * 256], (u8)opaque, 0};
    }
    std::vector<u32> colours(palette);
    colours[0] = 0x01ABCDEF;
    Palette tilePalette{1, 0, colours.data(), nullptr};
    TileSheet sheet{};
    sheet.useCount = 1;
    sheet.recordCount = records;
    sheet.tiles = tiles.data();
    sheet.palette = &tilePalette;
    TileSheet* sheets[1] = {&sheet};
    u8 flags[1] = {0};
    Layout layout{};
    layout.tileSheetCount = 1;
    layout.tileSheets = sheets;
    layout.paletteSelect = flags;
    Layout* const savedLayout = currentLayout;
    currentLayout = &layout;
    for (u8 videoMode : screenModes) {
        SetVideoMode(videoMode);
        const size_t size = (size_t)screenWidth * screenHeight;
        for (u8 mode = 0; mode <= ScrollPixelColumns; ++mode) {
            TileLayer layer{};
            ASSERT_TRUE(CreateLayer(&layer, mode, 40, 20));
            for (i32 i = 0; i < 40 * 20; ++i)
                layer.map[i] = (u16)(1 + random() % (records - 1)); // no empty cells: the twin skips none
            const u32 entries = LayerScrollEntryCount(mode, 40, 20);
            for (u32 e = 0; e < entries; ++e)
                layer.scrollOffsets[e] = (i32)(random() % 2000) - 1000;
            layer.layerScroll = (i32)(random() % 2000) - 1000;
            cameraLimits[0].rightBound = 40 * 16;
            cameraLimits[0].bottomBound = 20 * 16;
            scrollX = 37, scrollY = 21;
            std::vector<u32> background(size);
            for (u32& pixel : background)
                pixel = random() & 0xFFFFFF;
            std::copy(background.begin(), background.end(), frameBuffer);
            rendererSlots.DrawLayerOpaque[mode](&layer);
            std::vector<u32> expected(frameBuffer, frameBuffer + size);
            for (size_t i = 0; i < size; ++i)
                if (expected[i] == colours[0])
                    expected[i] = background[i];
            std::copy(background.begin(), background.end(), frameBuffer);
            rendererSlots.DrawLayer[mode](&layer);
            size_t wrong = 0, first = size;
            for (size_t i = 0; i < size; ++i)
                if (frameBuffer[i] != expected[i] && wrong++ == 0)
                    first = i;
            EXPECT_EQ(wrong, 0u) << screenWidth << "x" << screenHeight << " scroll mode " << (int)mode
                                 << " first at (" << first % screenWidth << ", " << first / screenWidth << ")";
            FreeLayer(&layer);
        }
    }
    currentLayout = savedLayout;
    currentTileSheet = nullptr;
    currentPalette = palette.data();
    scrollX = scrollY = 0;
}

} // namespace
