// Sprite animation sets: loading a manifest, sharing across stages, the restart rule, the players
// with their play modes, and the mirrored boxes and points.
#include <string>
#include <vector>

#include "Engine/Common/Debug.h"
#include "tests/unit/AssetFiles.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/TgaWriter.h"

namespace {

using datakit::ManAnimation;
using datakit::ManBox;
using datakit::ManFrame;
using datakit::Manifest;
using datakit::Rgb;

constexpr u16 sheetWidth = 64, sheetHeight = 32;

u8 SheetPixel(u32 x, u32 y)
{
    return (u8)((x + y * 3) % 250 + 1);
}

struct TestHeader {
    f32 x, y;
    u8 flipX, flipY;
};

// Five 8x8 frames side by side on the sheet, each lasting one tick.
ManAnimation FiveFrames(i8 playMode, i8 loopFrame)
{
    ManAnimation animation;
    animation.speed = 1;
    animation.playMode = playMode;
    animation.loopFrame = loopFrame;
    for (u16 f = 0; f < 5; ++f) {
        ManFrame frame;
        frame.srcX = (u16)(f * 8);
        frame.srcY = 4;
        frame.width = frame.height = 8;
        frame.offsetX = -4;
        frame.offsetY = -8;
        frame.duration = 1;
        frame.boxIndex = f % 2;
        animation.frames.push_back(frame);
    }
    return animation;
}

// The fixture set: animations 0-5 in play modes 0, 1, 2, 3, 7 and a timing animation; frame 0 of
// animation 0 has points and hits; animation 6 has a frame of width and height 0.
Manifest TestManifest()
{
    Manifest m;
    m.sheets = {{"sheet.tga", true, 5}};
    m.extraPalettes = {"extra.pal"};
    m.boxes = {{16, 16, 248, 240}, {10, 4, 2, 250}, {200, 10, 100, 0}};
    m.hitSets = {{{4, 4, 0, 0}, {2, 2, 1, 1}}, {{6, 6, 253, 0}}};
    m.animations = {FiveFrames(0, 2), FiveFrames(1, 0), FiveFrames(2, 2), FiveFrames(3, 0), FiveFrames(7, 0)};
    ManAnimation timing = FiveFrames(1, 0);
    timing.speed = 2;
    const u16 durations[] = {5, 1, 4, 3, 3};
    for (int f = 0; f < 5; ++f)
        timing.frames[f].duration = durations[f];
    m.animations.push_back(timing);
    ManAnimation empty;
    ManFrame zero;
    zero.offsetX = 3;
    zero.offsetY = -2;
    empty.frames = {zero};
    m.animations.push_back(empty);
    ManFrame& first = m.animations[0].frames[0];
    first.points = {{3, -4}, {-7, 9}};
    first.hits = {{1, 5, -6}, {0, 0, 0}};
    return m;
}

class AnimTest : public AssetFiles {
protected:
    Stage stageA{}, stageB{};
    AnimSet set{};
    const char* path = "Data/Sprites/Test/test.man";

    void SetUp() override
    {
        AssetFiles::SetUp();
        datakit::TgaImage sheet;
        sheet.width = sheetWidth;
        sheet.height = sheetHeight;
        for (u32 y = 0; y < sheetHeight; ++y)
            for (u32 x = 0; x < sheetWidth; ++x)
                sheet.pixels.push_back(SheetPixel(x, y));
        for (u32 i = 0; i < 8; ++i)
            sheet.colours.push_back(Rgb{(u8)(10 + i), (u8)(20 + i), (u8)(30 + i)});
        Write("Data/Sprites/Test/sheet.tga", datakit::MakeTga(sheet));
        Write("Data/Sprites/Test/extra.pal", datakit::MakeRawPalette({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}));
        Write(path, datakit::MakeManifest(TestManifest()));
        currentStage = &stageA;
    }

    void TearDown() override
    {
        forceFree = 1;
        FreeAnim(&set);
        AssetFiles::TearDown();
    }

    // A player on animation anim at frame 0, with no take-up pending.
    AnimPlayer PlayerOn(u16 anim)
    {
        AnimPlayer player{};
        player.set = &set;
        StartAnim(&player, anim);
        StartAnim(&player, anim); // the second start leaves the requested and taken-up animation equal
        EXPECT_EQ(player.activeAnimIndex, anim);
        return player;
    }
};

TEST_F(AnimTest, LoadsEveryPartOfTheManifest)
{
    const u64 firstHitSet = hitSetCounter;
    LoadAnim(path, &set);
    ASSERT_EQ(set.loaded, 1);
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_EQ(set.useCount, 1u);
    ASSERT_EQ(set.sheetCount, 1);
    EXPECT_STREQ(set.sheets[0]->name, "Data/Sprites/Test/sheet.tga");

    // The sheet's palette from its first five colour-map entries, then the raw palette file.
    ASSERT_EQ(set.paletteCount, 2);
    for (u32 i = 0; i < 5; ++i)
        EXPECT_EQ(set.palettes[0]->colours[i], 0xFF000000u | (10 + i) << 16 | (20 + i) << 8 | (30 + i));
    EXPECT_EQ(set.palettes[0]->colours[5], 0u);
    EXPECT_EQ(set.palettes[1]->colours[0], 0xFF010203u);
    EXPECT_EQ(set.palettes[1]->colours[2], 0xFF070809u);
    EXPECT_EQ(set.palettes[1]->rgb[5], 6);
    EXPECT_EQ(currentPalette, set.palettes[1]->colours);

    // Boxes: width, height, x, y become left, right, top, bottom in 8 bits.
    ASSERT_EQ(set.boxCount, 3);
    const AnimBox expectedBoxes[] = {{-8, 8, -16, 0}, {2, 12, -6, -2}, {100, 44, 0, 10}};
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(set.boxes[b].left, expectedBoxes[b].left) << b;
        EXPECT_EQ(set.boxes[b].right, expectedBoxes[b].right) << b;
        EXPECT_EQ(set.boxes[b].top, expectedBoxes[b].top) << b;
        EXPECT_EQ(set.boxes[b].bottom, expectedBoxes[b].bottom) << b;
    }
    ASSERT_EQ(set.hitSetCount, 2);
    EXPECT_EQ(set.hitSets[0].count, 2);
    EXPECT_EQ(set.hitSets[0].boxes[1].right, 3);
    EXPECT_EQ(set.hitSets[1].boxes[0].left, -3);
    // Hit boxes are numbered across the sets of the manifest; every set takes the next id.
    EXPECT_EQ(set.hitSets[0].rowIndex[0], 0);
    EXPECT_EQ(set.hitSets[0].rowIndex[1], 1);
    EXPECT_EQ(set.hitSets[1].rowIndex[0], 2);
    EXPECT_EQ(set.hitSets[0].id, firstHitSet);
    EXPECT_EQ(set.hitSets[1].id, firstHitSet + 1);
    EXPECT_EQ(hitSetCounter, firstHitSet + 2);

    ASSERT_EQ(set.animCount, 7);
    const Animation& five = set.animations[0];
    EXPECT_EQ(five.frameCount, 5);
    EXPECT_EQ(five.loopFrame, 2);
    EXPECT_EQ(set.animations[4].playMode, 7);
    for (u32 f = 0; f < 5; ++f) {
        const SpriteImage& image = five.frames[f].image;
        ASSERT_EQ(image.width, 8);
        ASSERT_EQ(image.height, 8);
        EXPECT_EQ(image.offsetX, -4);
        EXPECT_EQ(image.offsetY, -8);
        EXPECT_EQ(image.flippedOffsetX, -4);
        EXPECT_EQ(image.flippedOffsetY, 0);
        EXPECT_EQ(five.frames[f].box, &set.boxes[f % 2]);
        for (u32 y = 0; y < 8; ++y)
            for (u32 x = 0; x < 8; ++x)
                ASSERT_EQ(image.pixels[image.rowStarts[y] + x], SheetPixel(f * 8 + x, 4 + y)) << f;
    }
    const AnimFrame& first = five.frames[0];
    ASSERT_EQ(first.pointCount, 2);
    EXPECT_EQ(first.points[1].x, -7);
    ASSERT_EQ(first.hitCount, 2);
    EXPECT_EQ(first.hits[0].hitSet, 1);
    EXPECT_EQ(first.hits[0].dy, -6);

    // A frame of width and height 0 gets a 1x1 image; its mirrored offsets use the 0s as read.
    const SpriteImage& zero = set.animations[6].frames[0].image;
    EXPECT_EQ(zero.width, 1);
    EXPECT_EQ(zero.height, 1);
    EXPECT_EQ(zero.flippedOffsetX, -3);
    EXPECT_EQ(zero.flippedOffsetY, 2);
}

TEST_F(AnimTest, SharedAcrossStagesAndKeptOnRestart)
{
    // Stage A loads the set, then stage B loads it before A unloads.
    LoadAnim(path, &set);
    Sheet* sheet = set.sheets[0];
    previousStage = &stageA;
    currentStage = &stageB;
    LoadAnim(path, &set);
    EXPECT_EQ(set.useCount, 2u);
    EXPECT_STREQ(debugText, "Anim at Data/Sprites/Test/test.man already loaded...\n");
    EXPECT_EQ(sheet->useCount, 1u); // the shared contents hold their sheet once
    // B restarts: its unload does not run and no new reference is taken.
    previousStage = &stageB;
    LoadAnim(path, &set);
    EXPECT_EQ(set.useCount, 2u);

    FreeAnim(&set); // A's unload
    EXPECT_EQ(set.loaded, 1);
    EXPECT_EQ(set.useCount, 1u);
    AnimPlayer player = PlayerOn(0);
    EXPECT_NE(CurrentAnimFrame(&player), nullptr);
    FreeAnim(&set); // B's unload
    EXPECT_EQ(set.loaded, 0);
    EXPECT_EQ(set.animations, nullptr);
    EXPECT_EQ(sheetSlots[0], nullptr);
    EXPECT_EQ(paletteSlots[0], nullptr);
    EXPECT_EQ(paletteSlots[1], nullptr);
    EXPECT_EQ(CurrentAnimFrame(&player), nullptr);

    // At shutdown the force-free flag frees a set whatever its count.
    previousStage = &stageA;
    LoadAnim(path, &set);
    currentStage = &stageA;
    previousStage = &stageB;
    LoadAnim(path, &set);
    ASSERT_EQ(set.useCount, 2u);
    forceFree = 1;
    FreeAnim(&set);
    EXPECT_EQ(set.loaded, 0);
}

TEST_F(AnimTest, PlayModes)
{
    LoadAnim(path, &set);
    struct Case {
        const char* name;
        u16 anim;
        u16 startFrame;
        std::vector<std::pair<u16, u8>> steps; // frame and finished after each update
    };
    const Case cases[] = {
        {"0 forward, back to the loop frame", 0, 0, {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {2, 1}, {3, 0}, {4, 0}, {2, 1}}},
        {"1 forward, holds the last frame", 1, 0, {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1}, {4, 1}}},
        {"2 backward, back to the loop frame", 2, 4, {{3, 0}, {2, 0}, {1, 0}, {0, 0}, {2, 1}, {1, 0}}},
        {"2 from frame 0", 2, 0, {{2, 1}, {1, 0}, {0, 0}, {2, 1}}},
        {"3 backward, holds frame 0", 3, 4, {{3, 0}, {2, 0}, {1, 0}, {0, 0}, {0, 1}, {0, 1}}},
        {"above 3: backward, holds without finishing", 4, 4, {{3, 0}, {2, 0}, {1, 0}, {0, 0}, {0, 0}, {0, 0}}},
    };
    for (const Case& c : cases) {
        AnimPlayer player = PlayerOn(c.anim);
        SetAnim(&player, &set, c.anim, c.startFrame, 1);
        ASSERT_EQ(player.frameIndex, c.startFrame) << c.name;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const u16 before = player.frameIndex;
            UpdateAnimPlayer(&player);
            EXPECT_EQ(player.frameIndex, c.steps[i].first) << c.name << " update " << i;
            EXPECT_EQ(player.finished, c.steps[i].second) << c.name << " update " << i;
            EXPECT_EQ(player.prevFrameIndex, before) << c.name << " update " << i;
        }
    }
}

TEST_F(AnimTest, FramesLastUntilTheSpeedUsesTheirDurationUp)
{
    LoadAnim(path, &set);
    // Speed 2 over durations 5, 1, 4, 3: a frame steps when its timer reaches 0 or below, and the
    // next frame starts from its whole duration.
    AnimPlayer player = PlayerOn(5);
    const u16 frames[] = {0, 0, 1, 2, 2, 3};
    const i16 timers[] = {3, 1, 1, 4, 2, 3};
    for (int i = 0; i < 6; ++i) {
        UpdateAnimPlayer(&player);
        EXPECT_EQ(player.frameIndex, frames[i]) << i;
        EXPECT_EQ(player.timer, timers[i]) << i;
    }
    player.paused = 1;
    UpdateAnimPlayer(&player);
    EXPECT_EQ(player.frameIndex, 3);
    EXPECT_EQ(player.timer, 3);
}

TEST_F(AnimTest, SetAnimTakesEffectAtTheNextUpdate)
{
    LoadAnim(path, &set);
    AnimPlayer player = PlayerOn(0);
    UpdateAnimPlayer(&player);
    UpdateAnimPlayer(&player);
    ASSERT_EQ(player.frameIndex, 2);

    // Another animation at frame 3: shown until the next update, which restarts it at frame 0.
    SetAnim(&player, &set, 1, 3, 0);
    EXPECT_EQ(player.animation, &set.animations[1]);
    EXPECT_EQ(player.frameIndex, 3);
    EXPECT_EQ(player.prevFrameIndex, 2);
    EXPECT_EQ(CurrentAnimFrame(&player), &set.animations[1].frames[3]);
    UpdateAnimPlayer(&player);
    EXPECT_EQ(player.activeAnimIndex, 1);
    EXPECT_EQ(player.frameIndex, 0);
    EXPECT_EQ(player.prevFrameIndex, 0xFFFF);
    EXPECT_EQ(player.timer, 1);
    UpdateAnimPlayer(&player);
    EXPECT_EQ(player.frameIndex, 1);

    // The animation already playing, without force: nothing changes.
    SetAnim(&player, &set, 1, 4, 0);
    EXPECT_EQ(player.frameIndex, 1);
    // With force: jumps to the frame and keeps timing from there.
    SetAnim(&player, &set, 1, 3, 1);
    EXPECT_EQ(player.frameIndex, 3);
    UpdateAnimPlayer(&player);
    EXPECT_EQ(player.frameIndex, 4);

    // Indices past the tables are clamped where the player takes them.
    SetAnim(&player, &set, 99, 99, 1);
    EXPECT_EQ(player.animIndex, 6);
    EXPECT_EQ(player.frameIndex, 0);
    SetAnim(&player, &set, 2, 99, 1);
    EXPECT_EQ(player.frameIndex, 4);

    // A set that is not loaded is not taken.
    AnimSet unloaded{};
    SetAnim(&player, &unloaded, 0, 0, 1);
    EXPECT_EQ(player.set, &set);
}

TEST_F(AnimTest, ContinueAnimGoesOnFromTheFrameItGives)
{
    LoadAnim(path, &set);
    AnimPlayer player = PlayerOn(0);
    UpdateAnimPlayer(&player);
    ASSERT_EQ(player.frameIndex, 1);

    // Another animation at frame 3: the next updates time frame 3 and go on to 4, no restart.
    ContinueAnim(&player, &set, 1, 3);
    EXPECT_EQ(player.animation, &set.animations[1]);
    EXPECT_EQ(player.frameIndex, 3);
    EXPECT_EQ(player.prevFrameIndex, 1);
    UpdateAnimPlayer(&player);
    EXPECT_EQ(player.activeAnimIndex, 1);
    EXPECT_EQ(player.frameIndex, 4);
    EXPECT_EQ(player.prevFrameIndex, 3);

    // The animation already shown keeps its frame, as SetAnim without force.
    ContinueAnim(&player, &set, 1, 0);
    EXPECT_EQ(player.frameIndex, 4);
    // A restart requested before it in the same tick is not left pending either.
    SetAnim(&player, &set, 2, 0, 0);
    ContinueAnim(&player, &set, 2, 2);
    UpdateAnimPlayer(&player);
    EXPECT_EQ(player.activeAnimIndex, 2);
    EXPECT_NE(player.prevFrameIndex, 0xFFFF) << "the request was taken up as a restart";

    // Indices are clamped; a set that is not loaded is not taken.
    ContinueAnim(&player, &set, 99, 99);
    EXPECT_EQ(player.animIndex, 6);
    EXPECT_EQ(player.activeAnimIndex, 6);
    EXPECT_EQ(player.frameIndex, 0);
    AnimSet unloaded{};
    ContinueAnim(&player, &unloaded, 0, 3);
    EXPECT_EQ(player.set, &set);
    EXPECT_EQ(player.animIndex, 6);
}

TEST_F(AnimTest, BoxesAndPointsMirrorWithTheObject)
{
    LoadAnim(path, &set);
    AnimPlayer player = PlayerOn(0);
    struct Case {
        f32 x, y;
        u8 flipX, flipY;
        u16 frame; // frame 0 uses box 0 (-8, 8, -16, 0), frame 1 box 1 (2, 12, -6, -2)
        i64 left, right, top, bottom;
    };
    const Case cases[] = {
        {100.5f, 50.25f, 1, 0, 0, 92, 108, 34, 50},
        {100.5f, 50.25f, 0, 0, 1, 102, 112, 44, 48},
        {100.5f, 50.25f, 1, 0, 1, 88, 98, 44, 48},
        {100.5f, 50.25f, 0, 1, 1, 102, 112, 52, 56},
        {-10.5f, 0.0f, 0, 0, 1, -8, 1, -6, -2}, // truncated toward zero
    };
    for (const Case& c : cases) {
        SetAnim(&player, &set, 0, c.frame, 1);
        const TestHeader header{c.x, c.y, c.flipX, c.flipY};
        i64 box[4];
        GetAnimFrameBox(box, &header, &player);
        EXPECT_EQ(box[0], c.left) << c.x << " flip " << (int)c.flipX << (int)c.flipY << " frame " << c.frame;
        EXPECT_EQ(box[1], c.right) << c.x << " flip " << (int)c.flipX << (int)c.flipY << " frame " << c.frame;
        EXPECT_EQ(box[2], c.top) << c.x << " flip " << (int)c.flipX << (int)c.flipY << " frame " << c.frame;
        EXPECT_EQ(box[3], c.bottom) << c.x << " flip " << (int)c.flipX << (int)c.flipY << " frame " << c.frame;
    }

    // Points (3, -4) and (-7, 9) on frame 0; a number past the last gives the last.
    SetAnim(&player, &set, 0, 0, 1);
    struct PointCase {
        u8 flipX, flipY, n;
        f32 x, y;
    };
    const PointCase points[] = {{0, 0, 0, 13, 16}, {1, 0, 0, 7, 16}, {0, 1, 0, 13, 24}, {0, 0, 5, 3, 29},
                                {1, 1, 1, 17, 11}};
    for (const PointCase& p : points) {
        const TestHeader header{10.0f, 20.0f, p.flipX, p.flipY};
        const AnimFramePoint point = GetAnimFramePoint(&header, &player, p.n);
        EXPECT_EQ(point.x, p.x) << (int)p.n << " flip " << (int)p.flipX << (int)p.flipY;
        EXPECT_EQ(point.y, p.y) << (int)p.n << " flip " << (int)p.flipX << (int)p.flipY;
    }
    SetAnim(&player, &set, 0, 1, 1);
    const TestHeader header{10.0f, 20.0f, 0, 0};
    const AnimFramePoint none = GetAnimFramePoint(&header, &player, 0);
    EXPECT_EQ(none.x, 0.0f);
    EXPECT_EQ(none.y, 0.0f);
}

TEST_F(AnimTest, DamagedManifestsAreReportedAndNeverReadOutside)
{
    struct Case {
        const char* name;
        bool loaded;
        const char* box; // part of the one "Palvic Error" box, or the whole text when exact
        bool exact;
    };
    const Case cases[] = {
        {"missing manifest", false, "Data/Sprites/Test/none.man", true},
        {"animation count past the file", false, "Animation count 65535 runs past the end of the file", false},
        {"sheet count does not fit", false, "Its sheet count 144 does not fit its field", false},
        {"file cut short", false, "runs past the end of the file", false},
        {"hit set count does not fit", false, "The box count 130 of hit set 0 does not fit its field", false},
        {"sheet index past the table", true, "Frame 1 of animation 0 names sheet 3 of 1", false},
        {"box index past the table", true, "Frame 0 of animation 1 names box 9 of 3", false},
        {"hit set index past the table", true, "Frame 0 of animation 0 names hit set 7 of 2", false},
        {"loop frame past the frames", true, "Animation 0 loops to frame 9 of 5", false},
        {"cut-out outside its sheet", true, "Load Offsets - 60,4-68,12", false},
        {"missing raw palette", true, "Data/Sprites/Test/test.man", true},
        {"animation without frames", true, nullptr, false},
    };
    for (const Case& c : cases) {
        headless::ClearShownBoxes();
        const std::string name = c.name;
        Manifest m = TestManifest();
        if (name == "sheet index past the table") {
            m.animations[0].frames[1].sheetIndex = 3;
            m.animations[0].frames[2].sheetIndex = 4; // a second bad index: still one box
        } else if (name == "box index past the table") {
            m.animations[1].frames[0].boxIndex = 9;
        } else if (name == "hit set index past the table") {
            m.animations[0].frames[0].hits.push_back({7, 0, 0});
        } else if (name == "loop frame past the frames") {
            m.animations[0].loopFrame = 9;
        } else if (name == "cut-out outside its sheet") {
            m.animations[0].frames[0].srcX = 60;
        } else if (name == "missing raw palette") {
            m.extraPalettes = {"none.pal"};
        } else if (name == "hit set count does not fit") {
            m.hitSets[0].assign(130, ManBox{1, 1, 0, 0});
        } else if (name == "animation without frames") {
            m.animations[3].frames.clear();
        }
        std::vector<u8> bytes = datakit::MakeManifest(m);
        if (name == "animation count past the file")
            bytes[0] = bytes[1] = 0xFF;
        else if (name == "sheet count does not fit")
            bytes[2] = 0x90;
        else if (name == "file cut short")
            bytes.resize(bytes.size() - 40);
        Write(path, bytes);

        AnimSet damaged{};
        LoadAnim(name == "missing manifest" ? "Data/Sprites/Test/none.man" : path, &damaged);
        EXPECT_EQ(damaged.loaded, c.loaded ? 1 : 0) << c.name;
        EXPECT_EQ(damaged.useCount, 1u) << c.name;
        const std::vector<std::string> boxes = ErrorBoxes();
        if (c.box) {
            ASSERT_EQ(boxes.size(), 1u) << c.name;
            if (c.exact)
                EXPECT_EQ(boxes[0], c.box) << c.name;
            else
                EXPECT_NE(boxes[0].find(c.box), std::string::npos) << c.name << ": " << boxes[0];
        } else {
            EXPECT_TRUE(boxes.empty()) << c.name;
        }

        if (name == "sheet index past the table") {
            const SpriteImage& image = damaged.animations[0].frames[1].image;
            for (u32 i = 0; i < 64; ++i)
                EXPECT_EQ(image.pixels[i], 0);
        } else if (name == "box index past the table") {
            AnimPlayer player{};
            SetAnim(&player, &damaged, 1, 0, 1);
            const TestHeader header{40.0f, 30.0f, 0, 0};
            i64 box[4];
            GetAnimFrameBox(box, &header, &player);
            EXPECT_EQ(box[0], 40);
            EXPECT_EQ(box[3], 30);
        } else if (name == "hit set index past the table") {
            EXPECT_EQ(damaged.animations[0].frames[0].hitCount, 2);
        } else if (name == "loop frame past the frames") {
            EXPECT_EQ(damaged.animations[0].loopFrame, 0);
        } else if (name == "missing raw palette") {
            ASSERT_EQ(damaged.paletteCount, 2);
            EXPECT_EQ(damaged.palettes[1]->colours[0], 0u);
        } else if (name == "animation without frames") {
            AnimPlayer player{};
            player.set = &damaged;
            StartAnim(&player, 3);
            for (int i = 0; i < 4; ++i)
                UpdateAnimPlayer(&player);
            const AnimFrame* frame = CurrentAnimFrame(&player);
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(frame->image.width, 1);
            EXPECT_EQ(player.frameIndex, 0);
        }

        FreeAnim(&damaged);
        EXPECT_EQ(damaged.useCount, 0u) << c.name;
        EXPECT_EQ(damaged.loaded, 0) << c.name;
        for (u32 s = 0; s < sheetSlotCount; ++s)
            EXPECT_EQ(sheetSlots[s], nullptr) << c.name << ": sheet " << s << " still held";
        for (u32 p = 0; p < paletteSlotCount; ++p)
            EXPECT_EQ(paletteSlots[p], nullptr) << c.name << ": palette " << p << " still held";
    }
}

} // namespace
