// The player's drawing: which layers each body animation brings (seen on a probe set whose every
// frame is one pixel at a place of its own), frame indices held inside their animations, the blink
// while invulnerable, the health glow's timing, the placement preview and the debug view; and the
// data kit's player set that the drawing and the boxes rely on.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Common/Anim.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Sound.h"
#include "Engine/Render/DrawState.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/PlayerArt.h"
#include "tools/datakit/TgaWriter.h"

extern u8 forceFree;

namespace {

const char* const probeSetPath = "Data/Probe/Probe.man";
const char* const playerSetPath = "Data/Sprites/Players/Player.man";
constexpr i32 playerX = 200, playerY = 100;
constexpr u16 probeAnimations = 61;
constexpr u16 probeSpinFrames = 3; // fewer than the rope's angle can name

constexpr u16 probeWhipArm = 18, probeArmFrames = 41;
constexpr u32 probeArmColour = 0xFF0000;

// The probe set: frame f of animation a is one white pixel at (a - 30, f - 20) from the position,
// so a lit pixel tells which animation and frame were drawn. Animation 8 has 3 frames, 10 has 5,
// 12-17 have 4, the others 2. The whip arm (18) is red instead, frame f a pixel f px along x: turned
// and chosen by the hand offset it lands on the hand.
datakit::Manifest ProbeManifest()
{
    datakit::Manifest m;
    m.sheets = {{"Probe.tga", true, 3}};
    m.boxes = {datakit::ManBox{14, 32, (u8)-7, (u8)-16}};
    for (u16 a = 0; a < probeAnimations; ++a) {
        datakit::ManAnimation animation;
        animation.speed = 256;
        const bool arm = a == probeWhipArm;
        const int frames = arm ? probeArmFrames : a == 8 ? probeSpinFrames : a == 10 ? 5 : (a >= 12 && a <= 17) ? 4 : 2;
        for (int f = 0; f < frames; ++f) {
            datakit::ManFrame frame;
            frame.width = frame.height = 1;
            frame.srcX = arm ? 1 : 0;
            frame.offsetX = (i8)(arm ? f : a - 30);
            frame.offsetY = (i8)(arm ? 0 : f - 20);
            frame.duration = 256;
            animation.frames.push_back(frame);
        }
        m.animations.push_back(animation);
    }
    return m;
}

PlayerRecord* previewed;
u32 previewCount;
void CountPreview(void* instance)
{
    previewed = (PlayerRecord*)instance;
    ++previewCount;
}

class PlayerDrawTest : public HeadlessGame, protected TestFolder {
protected:
    AnimSet probeSet{};
    ObjectHeader header{};
    PlayerRecord player{};
    WhipRecord whip{};
    u32 savedPlaceableCount = 0;

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-playerdraw-");
        forceFree = 0;
        scrollX = scrollY = 0;
        debugView = 0;
        savedPlaceableCount = placeableTypeCount;
        ASSERT_TRUE(datakit::WritePlayerData("."));
        datakit::TgaImage sheet;
        sheet.width = sheet.height = 4;
        sheet.pixels.assign(16, 1);
        sheet.pixels[1] = 2;
        sheet.colours = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}};
        Write("Data/Probe/Probe.tga", datakit::MakeTga(sheet));
        Write(probeSetPath, datakit::MakeManifest(ProbeManifest()));
        LoadAnim(probeSetPath, &probeSet);
        ASSERT_TRUE(probeSet.loaded);
        LoadAnim(playerSetPath, &playerAnimSet);
        ASSERT_TRUE(playerAnimSet.loaded);

        header.x = (f32)playerX;
        header.y = (f32)playerY;
        header.scaleX = header.scaleY = 1.0f;
        header.groundContact = 1;
        player.header = &header;
        UseSet(&probeSet);
        Clear();
    }

    void TearDown() override
    {
        placeableTypeCount = savedPlaceableCount;
        debugView = 0;
        FreeAnim(&probeSet);
        FreeAnim(&playerAnimSet);
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    void UseSet(AnimSet* set)
    {
        player.anim = AnimPlayer{};
        player.anim.set = set;
        StartAnim(&player.anim, 4);
        player.overlay = AnimPlayer{};
        player.overlay.set = set;
    }

    void Show(u16 body, u16 frame = 0)
    {
        StartAnim(&player.anim, body);
        player.anim.frameIndex = frame;
    }

    void Overlay(u16 animation, u16 frame, u8 attackState)
    {
        StartAnim(&player.overlay, animation);
        player.overlay.frameIndex = frame;
        player.attackState = attackState;
    }

    // A whip in the given state, read through the player's own accessor, with the rope out to the
    // given length (8.8; 0 none) from the hand offset.
    void Whip(u32 state, u16 angle = 0, i32 extension = 0, i32 handX = 0, i32 handY = 0)
    {
        player.whip = &whip;
        whip.state = state;
        player.ropeAngle = angle;
        player.whipExtension = extension;
        player.handOffsetX = handX;
        player.handOffsetY = handY;
    }

    static void Clear() { memset(frameBuffer, 0, frameBytes); }
    static u32 Pixel(i32 x, i32 y) { return frameBuffer[rowOffsets[y] + x] & 0xFFFFFF; }

    // The (animation, frame) pairs whose probe pixel is lit around (x, y); the whip arm is found
    // by its colour (WhipArmAt).
    static std::set<std::pair<int, int>> Drawn(i32 x = playerX, i32 y = playerY)
    {
        std::set<std::pair<int, int>> drawn;
        for (int a = 0; a < probeAnimations; ++a)
            for (int f = 0; f < 13; ++f)
                if (a != probeWhipArm && Pixel(x + a - 30, y + f - 20) == 0xFFFFFF)
                    drawn.insert({a, f});
        return drawn;
    }

    // Where the probe's whip arm lit its pixel, relative to the player; {-99, -99} when it did not.
    static std::pair<int, int> WhipArmAt()
    {
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                if (Pixel(x, y) == probeArmColour)
                    return {x - playerX, y - playerY};
        return {-99, -99};
    }

    static u32 LitPixels()
    {
        u32 lit = 0;
        for (i32 y = 0; y < screenHeight; ++y)
            for (i32 x = 0; x < screenWidth; ++x)
                lit += Pixel(x, y) != 0;
        return lit;
    }

    static void ExpectDrawStateAtRest()
    {
        EXPECT_EQ(drawFlags, 0u);
        EXPECT_EQ(blendMode, 0u);
        EXPECT_EQ(blendLevel, 255u);
        EXPECT_EQ(spriteScaleX, 512);
        EXPECT_EQ(spriteScaleY, 512);
        EXPECT_EQ(spriteAngle, 0);
    }
};

typedef std::set<std::pair<int, int>> Layers;

TEST_F(PlayerDrawTest, EachBodyAnimationBringsItsLayers)
{
    struct Case {
        const char* what;
        u16 body, frame;
        i32 overlay; // -1 none
        u16 overlayFrame;
        u8 attackState;
        Layers expected;
    };
    const Case cases[] = {
        {"stand", 4, 0, -1, 0, 0, {{4, 0}, {0, 0}, {2, 0}}},
        {"stand, first swing", 4, 0, 30, 1, 1, {{4, 0}, {30, 1}, {29, 1}}},
        {"stand, a throw", 4, 0, 21, 1, 0, {{4, 0}, {21, 1}}},
        {"walk", 12, 3, -1, 0, 0, {{12, 3}, {13, 3}, {14, 3}}},
        {"walk, second swing", 12, 1, 32, 0, 2, {{12, 1}, {32, 0}, {31, 0}}},
        {"air attack", 44, 1, -1, 0, 1, {{44, 1}, {43, 1}}},
        {"rising", 49, 1, -1, 0, 0, {{49, 1}, {47, 1}, {48, 1}}},
        {"falling, swing", 55, 1, 34, 1, 1, {{55, 1}, {34, 1}, {33, 1}}},
        {"hang", 59, 1, -1, 0, 0, {{59, 1}}},
        {"slide", 41, 1, -1, 0, 0, {{41, 1}}},
        {"tumble", 37, 1, -1, 0, 0, {{37, 1}}},
    };
    for (const Case& c : cases) {
        player = PlayerRecord{};
        player.header = &header;
        UseSet(&probeSet);
        Show(c.body, c.frame);
        if (c.overlay >= 0)
            Overlay((u16)c.overlay, c.overlayFrame, c.attackState);
        else
            player.attackState = c.attackState;
        Whip(0);
        Clear();
        PlayerDraw(&player);
        EXPECT_EQ(Drawn(), c.expected) << c.what;
        EXPECT_EQ(WhipArmAt(), (std::pair{-99, -99})) << c.what;
        ExpectDrawStateAtRest();
    }
}

// While the whip draws its rope (thrown, held out, coming back, hooked, zipping), every pose that
// holds the whip in a layer of its own puts the whip arm in place of the whip hand, turned and
// stretched by the hand offset so that it ends where the rope starts; whatever the whip's angle
// says, which is held y down in a throw and y up on the rope.
TEST_F(PlayerDrawTest, WhipArmEndsAtTheRopeInEveryPoseAndWhipState)
{
    struct Pose {
        const char* what;
        u16 body, frame;
        Layers layers; // without the whip's
        i32 whipHand;  // the whip-hand layer's animation, -1 none
    };
    const Pose poses[] = {
        {"stand", 4, 0, {{4, 0}, {0, 0}}, 2},
        {"stand left", 5, 0, {{5, 0}, {1, 0}}, 3},
        {"walk", 12, 3, {{12, 3}, {13, 3}}, 14},
        {"walk left", 15, 2, {{15, 2}, {16, 2}}, 17},
        {"rising", 49, 1, {{49, 1}, {47, 1}}, 48},
        {"falling left", 58, 0, {{58, 0}, {56, 0}}, 57},
        {"hang", 59, 1, {{59, 1}}, -1},
        {"slide", 41, 1, {{41, 1}}, -1},
    };
    struct State {
        const char* what;
        u32 state;
        i32 extension;
        i32 handX, handY;
        u16 angle; // as the whip keeps it: y down in a throw, y up on the rope
    };
    const State states[] = {
        {"idle", 0, 0, 31, 1, 0},
        {"thrown forward, going out", 0, 4096, 31, 1, 0 << 8},
        {"held out, up and left", 1, 24576, -26, -17, 160 << 8},
        {"coming back from a throw down", 2, 8192, 1, 25, 64 << 8},
        {"let go of an anchor up and left", 3, 8192, -15, -14, 96 << 8},
        {"swinging under the anchor", 4, 20480, 0, -21, 64 << 8},
        {"zipping to a floor hook down and right", 5, 4096, 15, 14, 224 << 8},
    };
    for (const Pose& pose : poses)
        for (const State& state : states) {
            player = PlayerRecord{};
            player.header = &header;
            UseSet(&probeSet);
            Show(pose.body, pose.frame);
            Whip(state.state, state.angle, state.extension, state.handX, state.handY);
            Clear();
            PlayerDraw(&player);
            const bool out = state.extension != 0 || state.state != 0;
            Layers expected = pose.layers;
            if (!out && pose.whipHand >= 0)
                expected.insert({pose.whipHand, pose.frame});
            EXPECT_EQ(Drawn(), expected) << pose.what << ", " << state.what;
            const auto [x, y] = WhipArmAt();
            if (out) {
                EXPECT_LE(std::abs(x - state.handX), 1) << pose.what << ", " << state.what << ": " << x;
                EXPECT_LE(std::abs(y - state.handY), 1) << pose.what << ", " << state.what << ": " << y;
            } else {
                EXPECT_EQ(x, -99) << pose.what << ", " << state.what;
            }
            ExpectDrawStateAtRest();
        }
    // A throw's overlay holds the whip itself while the rope goes out: no whip arm beside it.
    Show(4);
    Overlay(21, 6, 0);
    Whip(0, 0, 4096, 31, 1);
    Clear();
    PlayerDraw(&player);
    EXPECT_EQ(Drawn(), (Layers{{4, 0}, {21, 1}}));
    EXPECT_EQ(WhipArmAt(), (std::pair{-99, -99}));
}

TEST_F(PlayerDrawTest, HurtShakesAndWalkSpeedFollowsTheGround)
{
    Show(10, 2);
    player.actor.shakeX = 3.0f;
    player.actor.shakeY = -2.0f;
    PlayerDraw(&player);
    EXPECT_EQ(Drawn(playerX + 3, playerY - 2), (Layers{{10, 2}}));

    for (const auto& [speed, expected] : {std::pair{0.0f, 128}, {-2.5f, 268}, {8.0f, 576}}) {
        Show(12);
        header.groundSpeed = speed;
        PlayerDraw(&player);
        EXPECT_EQ(player.anim.speed, expected) << speed;
    }
}

TEST_F(PlayerDrawTest, FrameIndicesStayInsideTheirAnimations)
{
    // The rope spin picks its frame from the rope's angle: past the 3 frames of the probe set it
    // shows the last; facing left counts down from 12.
    struct Case {
        u8 facing;
        u16 angle; // 8.8
        u16 bodyFrame;
        int expectedFrame;
    };
    const Case cases[] = {
        {0, 0 << 8, 1, 0},
        {0, 15 << 8, 0, 1},
        {0, 120 << 8, 0, probeSpinFrames - 1}, // frame 12 of 3
        {0, 128 << 8, 0, probeSpinFrames - 1},
        {1, 120 << 8, 2, 0},                   // 12 - 12
        {1, 0 << 8, 0, probeSpinFrames - 1},   // frame 12 of 3
    };
    for (const Case& c : cases) {
        Show(8, c.bodyFrame);
        player.facing = c.facing;
        Whip(4, c.angle);
        Clear();
        PlayerDraw(&player);
        EXPECT_EQ(Drawn(), (Layers{{8, c.expectedFrame}}))
            << "facing " << (int)c.facing << " angle " << (c.angle >> 8);
    }
    // A body frame past its animation (hurt's landing jump) and layers shorter than the body.
    player.whip = nullptr;
    Show(10, 40);
    Clear();
    PlayerDraw(&player);
    EXPECT_EQ(Drawn(), (Layers{{10, 4}}));
    Show(49, 7); // the rising layers have 2 frames
    Clear();
    PlayerDraw(&player);
    EXPECT_EQ(Drawn(), (Layers{{49, 1}, {47, 1}, {48, 1}}));
    // An overlay index past the set names its last animation.
    Show(4);
    Overlay(200, 9, 1);
    Clear();
    PlayerDraw(&player);
    EXPECT_EQ(Drawn(), (Layers{{4, 0}, {60, 1}, {59, 1}}));
}

// The data kit's art as the drawing shows it: the hero's gloves where the whip's drawing starts the
// rope (the player's position plus the hand offset) with the body hanging beyond them, at every angle
// of the rope spin for either facing, a rope running down to a floor hook too; the end of the whip's
// handle there for every hand offset the whip arm is given and in every throw from its release on.
TEST_F(PlayerDrawTest, TheHeroHoldsTheRopeWhereTheRopeStarts)
{
    UseSet(&playerAnimSet);
    constexpr u32 glove = 0xE8B060, handle = 0x80502C, shirt = 0x3864E0;
    typedef std::pair<double, double> Point;
    const auto found = [](std::initializer_list<u32> colours) {
        std::vector<Point> at;
        for (i32 y = playerY - 48; y <= playerY + 48; ++y)
            for (i32 x = playerX - 48; x <= playerX + 48; ++x)
                if (std::find(colours.begin(), colours.end(), Pixel(x, y)) != colours.end())
                    at.push_back({x - playerX, y - playerY});
        return at;
    };
    const auto distance = [](Point a, Point b) { return std::hypot(a.first - b.first, a.second - b.second); };
    // The end of what the hero holds: the grip's pixel farthest from the position.
    const auto gripEnd = [&]() {
        const std::vector<Point> grip = found({glove, handle});
        Point end{0, 0};
        for (const Point& p : grip)
            if (distance(p, {0, 0}) > distance(end, {0, 0}))
                end = p;
        return end;
    };

    // The glove nearest the rope's end (the leading hand), and how far past the glove farthest from
    // it (the trailing hand) the body's middle lies along the rope from its anchor: both hands reach
    // for the rope, the body hangs beyond them.
    const auto bodyPastHands = [&](i32 hx, i32 hy, Point* leading) {
        const std::vector<Point> gloves = found({glove}), body = found({shirt});
        if (gloves.empty() || body.empty())
            return -99.0;
        Point trailing = *leading = gloves[0];
        for (const Point& g : gloves) {
            if (distance(g, {hx, hy}) < distance(*leading, {hx, hy}))
                *leading = g;
            if (distance(g, {hx, hy}) > distance(trailing, {hx, hy}))
                trailing = g;
        }
        Point middle{0, 0};
        for (const Point& b : body)
            middle = {middle.first + b.first / body.size(), middle.second + b.second / body.size()};
        return ((middle.first - trailing.first) * -hx + (middle.second - trailing.second) * -hy) / std::hypot(hx, hy);
    };

    // The rope spin: the rope's angle (y up, 64 the anchor straight above) every 5 steps round the
    // turn; the hand offset 21 px toward the anchor as the rope's step sets it.
    for (u8 facing : {0, 1})
        for (int angle = 0; angle < 256; angle += 5) {
            const u8 toward = (u8)(256 - angle); // on screen, y down
            const i32 hx = cosTable[toward] * 21 / 256, hy = sinTable[toward] * 21 / 256;
            player.facing = facing;
            Show(facing ? 9 : 8);
            Whip(4, (u16)(angle << 8), 20480, hx, hy);
            Clear();
            PlayerDraw(&player);
            Point hand;
            const double past = bodyPastHands(hx, hy, &hand);
            // A frame serves 10 steps of angle: up to 5 steps, 2.5 px at the hands, off its middle.
            EXPECT_LE(distance(hand, {hx, hy}), 3.0) << "facing " << (int)facing << " angle " << angle;
            EXPECT_GE(past, 6.0) << "facing " << (int)facing << " angle " << angle;
            ExpectDrawStateAtRest();
        }

    // The hang, towed toward what the whip holds, flying in each of eight directions with either
    // facing (a diagonal throw can hook against it); the hand offset 21 px along the flight.
    for (u8 facing : {0, 1})
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                if (!dx && !dy)
                    continue;
                const i32 hx = (i32)(21 * dx / std::hypot(dx, dy)), hy = (i32)(21 * dy / std::hypot(dx, dy));
                player.facing = facing;
                header.vx = 3.0f * (f32)dx;
                header.vy = 3.0f * (f32)dy;
                Show(facing ? 60 : 59);
                Whip(5, 0, 8192, hx, hy);
                Clear();
                PlayerDraw(&player);
                Point hand;
                const std::string what = "facing " + std::to_string(facing) + " flying " + std::to_string(dx) + "," +
                                         std::to_string(dy);
                EXPECT_LE(distance(gripEnd(), {hx, hy}), 1.5) << what;
                EXPECT_GE(bodyPastHands(hx, hy, &hand), 6.0) << what;
            }
    header.vx = header.vy = 0.0f;
    player.facing = 0;

    // The whip arm over the standing body, at the throw table's hand offsets and on a rope every 16
    // steps round the turn.
    std::vector<std::pair<i32, i32>> offsets = {{-26, -17}, {24, -17}, {1, -29}, {-3, -29}, {-24, 15},
                                                {22, 15},   {1, 25},   {-3, 25}, {31, 1},   {-31, 1}};
    for (int toward = 0; toward < 256; toward += 16)
        offsets.push_back({cosTable[toward] * 21 / 256, sinTable[toward] * 21 / 256});
    for (const auto& [hx, hy] : offsets) {
        Show(4);
        Whip(2, 0, 8192, hx, hy);
        Clear();
        PlayerDraw(&player);
        const Point end = gripEnd();
        EXPECT_LE(distance(end, {hx, hy}), 1.5) << hx << "," << hy << ": " << end.first << "," << end.second;
    }

    // The throws from the release (frame 5) on, over the standing body of their facing.
    struct Throw {
        u16 overlay;
        i32 hx, hy;
    };
    const Throw throws[] = {{19, 1, -29},  {20, 24, -17},  {21, 31, 1},  {22, 22, 15},  {23, 1, 25},
                            {24, -3, -29}, {25, -26, -17}, {26, -31, 1}, {27, -24, 15}, {28, -3, 25}};
    for (const Throw& t : throws)
        for (u16 frame = 5; frame <= 7; ++frame) {
            Show(t.overlay < 24 ? 4 : 5);
            Overlay(t.overlay, frame, 0);
            Whip(0, 0, 4096, t.hx, t.hy);
            Clear();
            PlayerDraw(&player);
            const Point end = gripEnd();
            EXPECT_LE(distance(end, {t.hx, t.hy}), 1.5)
                << t.overlay << "/" << frame << ": " << end.first << "," << end.second;
        }
}

TEST_F(PlayerDrawTest, BlinksFourFramesOffFourOnWhileInvulnerable)
{
    UseSet(&playerAnimSet);
    Show(4);
    std::string seen;
    for (int invulnerable = 35; invulnerable >= 0; --invulnerable) {
        player.invulnerable = (u16)invulnerable;
        Clear();
        PlayerDraw(&player);
        seen += LitPixels() > 100 ? '#' : '.';
    }
    // 35 down to 0: bit 2 is set for 39-36 (none here), 31-28, 23-20, 15-12, 7-4.
    EXPECT_EQ(seen, "####....####....####....####....####");
}

TEST_F(PlayerDrawTest, HealthGlowRisesOverAbout85FramesAndFadesOver255)
{
    UseSet(&playerAnimSet);
    Show(4);
    PlayerDraw(&player);
    const std::vector<u32> plain(frameBuffer, frameBuffer + frameBytes / 4);
    auto brighter = [&plain]() {
        u32 count = 0;
        for (size_t i = 0; i < plain.size(); ++i)
            if ((frameBuffer[i] & 0xFFFFFF) != (plain[i] & 0xFFFFFF))
                ++count;
        return count;
    };

    player.healthFlash = 1;
    header.flash = 0;
    int rising = 0, fading = 0;
    u32 changedAtPeak = 0;
    while (player.healthFlash == 1 && rising < 1000) {
        Clear();
        PlayerDraw(&player);
        ++rising;
    }
    EXPECT_EQ(rising, 86); // 85 steps of 3 to 255, then the wrap
    EXPECT_EQ(header.flash, 255);
    while (player.healthFlash == 2 && fading < 1000) {
        Clear();
        PlayerDraw(&player);
        if (fading == 0)
            changedAtPeak = brighter();
        ++fading;
    }
    EXPECT_EQ(fading, 255);
    EXPECT_EQ(header.flash, 0);
    EXPECT_GT(changedAtPeak, 100u); // drawn twice more, added on top
    Clear();
    PlayerDraw(&player);
    EXPECT_EQ(brighter(), 0u); // over: the plain player again
    ExpectDrawStateAtRest();
}

TEST_F(PlayerDrawTest, PlacementModeDrawsOnlyThePreview)
{
    ObjectType previewType{};
    previewType.EditorPreview = CountPreview;
    placeableTypes[0] = &previewType;
    placeableTypeCount = 1;
    previewCount = 0;
    previewed = nullptr;
    player.editing = 1;
    player.editorType = 0;
    PlayerDraw(&player);
    EXPECT_EQ(previewCount, 1u);
    EXPECT_EQ(previewed, &player);
    EXPECT_TRUE(Drawn().empty());
    // A type without a preview, then a type index past the list: the player itself is drawn.
    previewType.EditorPreview = nullptr;
    PlayerDraw(&player);
    EXPECT_TRUE(Drawn().empty());
    player.editorType = 1;
    PlayerDraw(&player);
    EXPECT_EQ(previewCount, 1u);
    EXPECT_FALSE(Drawn().empty());
}

TEST_F(PlayerDrawTest, DebugViewOutlinesTheHitboxByGroundContact)
{
    UseSet(&playerAnimSet);
    Show(4);
    header.hitboxLeft = -7;
    header.hitboxRight = 7;
    header.hitboxTop = -16;
    header.hitboxBottom = 16;
    header.rotation = 9.0f;
    PlayerDraw(&player);
    EXPECT_EQ(Pixel(playerX - 7, playerY - 16), 0u); // off in play
    debugView = 1;
    for (const auto& [ground, colour] : {std::pair{1u, 0x00FF00u}, {0u, 0xFF2828u}}) {
        header.groundContact = ground;
        Clear();
        PlayerDraw(&player);
        EXPECT_EQ(Pixel(playerX - 7, playerY - 16), colour);
        EXPECT_EQ(Pixel(playerX + 7, playerY + 16), colour);
        EXPECT_EQ(Pixel(playerX + 7, playerY - 3), colour);
    }
    EXPECT_EQ(header.rotation, 0.0f); // in the air the drawn rotation is dropped
}

// The data kit's player set: what the drawing, the states and the boxes read from it.
TEST_F(PlayerDrawTest, PlayerSetHoldsEveryAnimationWithItsBoxes)
{
    const AnimSet& set = playerAnimSet;
    ASSERT_EQ(set.animCount, datakit::playerLastAnimation + 1);
    ActorProperties properties{};
    ObjectType type{};
    LoadEnemyProperties(&type, &properties, "Data/Sprites/Players/Player.vep");
    ASSERT_NE(properties.attackRows, nullptr);
    u32 boxCount = 0;
    for (u32 h = 0; h < set.hitSetCount; ++h)
        boxCount += (u32)set.hitSets[h].count;
    EXPECT_EQ(properties.attackRowCount, boxCount);
    for (u16 row = 1; row < properties.attackRowCount; ++row) {
        EXPECT_EQ(properties.attackRows[row].kind, BoxAttack) << row;
        EXPECT_GT(properties.attackRows[row].damage, 0.0f) << row;
        EXPECT_GT(properties.attackRows[row].hitlag, 0) << row;
    }

    auto rowOf = [&](const AnimFrame& frame, u8 kind) -> const AnimBox* {
        for (u32 h = 0; h < frame.hitCount; ++h) {
            const HitBoxSet& hitSet = set.hitSets[frame.hits[h].hitSet];
            for (i16 b = 0; b < hitSet.count; ++b)
                if (hitSet.rowIndex[b] < properties.attackRowCount && properties.attackRows[hitSet.rowIndex[b]].kind == kind)
                    return &hitSet.boxes[b];
        }
        return nullptr;
    };
    const std::set<u16> attacks = {30, 32, 34, 36, 44, 46};
    for (u16 a = 0; a < set.animCount; ++a) {
        const Animation& animation = set.animations[a];
        ASSERT_GE(animation.frameCount, 1) << a;
        bool anyAttack = false;
        for (u16 f = 0; f < animation.frameCount; ++f) {
            const AnimFrame& frame = animation.frames[f];
            EXPECT_EQ(frame.box->left, -7);
            EXPECT_EQ(frame.box->right, 7);
            EXPECT_EQ(frame.box->top, -16);
            EXPECT_EQ(frame.box->bottom, 16);
            EXPECT_GE(frame.pointCount, 1) << a << "/" << f;
            const AnimBox* hurt = rowOf(frame, BoxHurt);
            ASSERT_NE(hurt, nullptr) << a << "/" << f;
            EXPECT_EQ(hurt->left, -7);
            EXPECT_EQ(hurt->bottom, 16);
            const AnimBox* attack = rowOf(frame, BoxAttack);
            if (attack) {
                anyAttack = true;
                EXPECT_GT(attack->left, 0) << a << "/" << f; // in front, before the facing's mirror
            }
        }
        EXPECT_EQ(anyAttack, attacks.count(a) == 1) << a;
    }
    // The hurt state reads frames up to 21 (and 22 after a landing jump from 16).
    EXPECT_GE(set.animations[10].frameCount, 22);
    EXPECT_GE(set.animations[8].frameCount, 13);
    // Throws release at frame 5, for one tick.
    for (u16 a = 19; a <= 28; ++a) {
        ASSERT_GE(set.animations[a].frameCount, 7) << a;
        EXPECT_LE(set.animations[a].frames[5].duration, set.animations[a].speed) << a;
    }
    // The walk's frames differ, and the left walk is the right one mirrored.
    const Animation& walk = set.animations[12];
    const Animation& walkLeft = set.animations[15];
    for (u16 f = 0; f < walk.frameCount; ++f) {
        const SpriteImage& image = walk.frames[f].image;
        const SpriteImage& next = walk.frames[(f + 1) % walk.frameCount].image;
        const bool same = image.width == next.width && image.height == next.height &&
                          std::equal(image.pixels, image.pixels + image.width * image.height, next.pixels);
        EXPECT_FALSE(same) << f;
        const SpriteImage& mirror = walkLeft.frames[f].image;
        ASSERT_EQ(mirror.width, image.width);
        ASSERT_EQ(mirror.height, image.height);
        EXPECT_EQ(mirror.offsetX, -(image.offsetX + image.width - 1));
        for (u16 y = 0; y < image.height; ++y)
            for (u16 x = 0; x < image.width; ++x)
                ASSERT_EQ(mirror.pixels[y * image.width + (image.width - 1 - x)], image.pixels[y * image.width + x]);
    }
    // The six sounds load as waves.
    for (const char* name : {"Jump", "Jump2", "Land", "Death", "Health", "Life"}) {
        const u32 id = LoadSound(("Data/SFX/Global/" + std::string(name) + ".wav").c_str());
        ASSERT_LT(id, soundSlotCount) << name;
        ASSERT_NE(soundSlots[id], nullptr) << name;
        EXPECT_GT(soundSlots[id]->length, 1000u) << name;
        FreeSound(id);
    }
    FreeEnemyProperties(&properties);
    ClearActorTypeList();
}

} // namespace
