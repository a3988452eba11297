// The player's hit and defeat with the data kit's player, bones and fade: the bones shaken loose
// at each health, invulnerability, the hurt flight and its landing frames, and the defeat through
// its burst, tumble, count-down and fade to the restart or the title.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Sound.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Display/Fade.h"
#include "Game/Player/Player.h"
#include "Game/World/Collect.h"
#include "tests/unit/PlayerWorld.h"
#include "tools/datakit/CollisionKit.h"
#include "tools/datakit/DisplayArt.h"
#include "tools/datakit/ItemArt.h"
#include "tools/datakit/PlayerArt.h"

namespace {

constexpr f32 feet = 16.0f; // the body's feet lie 16 below its position
constexpr f32 groundY = 192.0f;

class PlayerHitTest : public PlayerWorld {
protected:
    ObjectHeader attacker{};

    PlayerHitTest() : PlayerWorld("palvic-playerhit-") {}

    void SetUp() override
    {
        PlayerWorld::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(datakit::WriteItemData("."));
        ASSERT_TRUE(datakit::WriteFadeData("."));
        LoadWorld(Flat(48, 16, (i32)groundY));
        if (HasFatalFailure())
            return;

        CollectLoad(nullptr);
        FadeLoad(nullptr);
        PlayerLoad(nullptr);
        SpawnPlayerAt(300.0f, groundY - feet + 3.0f);
        if (HasFatalFailure())
            return;
        Tick();
        ASSERT_NE(H().groundContact, 0u);
        attacker.x = H().x - 20.0f; // on the player's left
    }

    void TearDown() override
    {
        PlayerWorld::TearDown();
        collectAnimSet = AnimSet{};
        musicVolumeTarget = 1.0f;
        musicFadeStep = 0.0f;
    }

    ObjectHeader& H() { return *player->header; }

    void Tick(u32 pressed = 0) { PlayerWorld::Tick(pressed, pressed); }

    // The live instances of a type in index order (spawn order in a fresh pool).
    static std::vector<ObjectHeader*> Live(const ObjectType& type)
    {
        std::vector<ObjectHeader*> live;
        for (u32 i = 0; type.registered && i < type.poolSize; ++i)
            if (type.pool[i]->alive && !type.pool[i]->free)
                live.push_back(type.pool[i]);
        return live;
    }
    static std::vector<ObjectHeader*> Bones() { return Live(Collect); }
    static size_t Fades() { return Live(Fade).size(); }

    // Defeats the player with a fatal hit and runs the tick that bursts the bones.
    void Defeat()
    {
        player->health = 1;
        PlayerTakeHit(player, &attacker);
        ASSERT_EQ(player->state, PlayerStateDefeated);
        Tick();
        ASSERT_EQ(player->state, PlayerStateDefeatedFall);
        ASSERT_EQ(player->deathTimer, 240);
    }
};

// ---- The hit ----

struct BoneCase {
    u8 health;
    f32 collected;
    f32 kept;
    size_t flung;
};

TEST_F(PlayerHitTest, BonesShakenLooseByAHit)
{
    const BoneCase cases[] = {
        {5, 100.0f, 100.0f, 1}, // threshold 144: all kept, one flies for show
        {4, 100.7f, 96.0f, 1},  // excess 4: under one bone's worth, still one flies
        {3, 100.0f, 48.0f, 10}, // threshold 48: excess 52
        {3, 200.0f, 48.0f, 16}, // excess 152: 16 fly, the rest is lost
        {2, 7.5f, 0.0f, 1},     // threshold 0: every whole bone goes
        {2, 0.0f, 0.0f, 0},
        {1, 0.0f, -48.0f, 9},   // the fatal hit: (0 + 48) / 5
        {1, 100.0f, -48.0f, 16},
    };
    for (const BoneCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "health " << (int)c.health << ", bones " << c.collected);
        ResetObjectInstances(&Collect);
        player->state = PlayerStateNormal;
        player->invulnerable = 0;
        player->health = c.health;
        player->collected = c.collected;
        PlayerTakeHit(player, &attacker);
        EXPECT_EQ(player->collected, c.kept);
        EXPECT_EQ(player->health, c.health - 1);
        EXPECT_EQ(player->state, c.health == 1 ? PlayerStateDefeated : PlayerStateHurt);
        const std::vector<ObjectHeader*> bones = Bones();
        ASSERT_EQ(bones.size(), c.flung);
        for (size_t i = 0; i < bones.size(); ++i) {
            const ObjectHeader* bone = bones[i];
            EXPECT_EQ(bone->spawnA, CollectLoose);
            EXPECT_EQ(bone->spawnB, 0);
            EXPECT_EQ(bone->x, H().x);
            EXPECT_LT(bone->vy, 0.0f);
            EXPECT_GE(bone->scaleX, 0.25f);
            EXPECT_LE(bone->scaleX, 1.0f);
            EXPECT_EQ(bone->scaleY, bone->scaleX);
            // The bones fly to either side in turn, ever wider.
            if (i > 0) {
                EXPECT_LT(bone->vx * bones[i - 1]->vx, 0.0f);
            }
            EXPECT_LE(std::fabs(bone->vx), 10.0f);
        }
    }
}

TEST_F(PlayerHitTest, WithoutTheBoneTypeTheBonesAreLostAndNothingSpawns)
{
    CollectUnload();
    ASSERT_FALSE(Collect.registered);
    player->health = 3;
    player->collected = 100.0f;
    PlayerTakeHit(player, &attacker);
    EXPECT_EQ(player->collected, 48.0f);
    EXPECT_EQ(player->health, 2);
    EXPECT_TRUE(Bones().empty());
}

TEST_F(PlayerHitTest, AHitKnocksThePlayerAwayAndItIsInvulnerableFor35Ticks)
{
    PlayerTakeHit(player, &attacker);
    EXPECT_EQ(player->state, PlayerStateHurt);
    EXPECT_EQ(player->health, 4);
    EXPECT_EQ(player->damageCount, 1u);
    EXPECT_EQ(player->invulnerable, 35);
    EXPECT_EQ(H().vx, 2.5f);
    EXPECT_EQ(H().groundSpeed, 2.5f);
    EXPECT_EQ(H().vy, -6.0f);
    EXPECT_EQ(player->facing, 1);
    EXPECT_EQ(H().groundContact, 0u);

    // Flies, lands, gets up; the invulnerability counts down only once it is back on its feet.
    int ticks = 0;
    bool landedHurt = false;
    while (player->state == PlayerStateHurt && ticks < 200) {
        Tick();
        ++ticks;
        if (player->state == PlayerStateHurt) {
            EXPECT_EQ(player->anim.animIndex, 11);
            EXPECT_EQ(player->invulnerable, 35);
            if (H().groundContact) {
                landedHurt = true;
                EXPECT_EQ(H().vx, 0.0f);
                EXPECT_GE(player->anim.frameIndex, 16); // the landing frames
            }
        }
        // Hits while it is invulnerable change nothing.
        PlayerTakeHit(player, &attacker);
        ASSERT_EQ(player->health, 4);
    }
    ASSERT_EQ(player->state, PlayerStateNormal);
    EXPECT_TRUE(landedHurt);
    EXPECT_GT(H().x, 300.0f);
    int invulnerableTicks = 0;
    while (player->invulnerable && invulnerableTicks < 100) {
        PlayerTakeHit(player, &attacker);
        ASSERT_EQ(player->damageCount, 1u);
        Tick();
        ++invulnerableTicks;
    }
    EXPECT_EQ(invulnerableTicks, 35);
    PlayerTakeHit(player, &attacker);
    EXPECT_EQ(player->health, 3);
    EXPECT_EQ(player->damageCount, 2u);
}

TEST_F(PlayerHitTest, TheLandingJumpStaysInsideTheHurtAnimation)
{
    struct JumpCase {
        u16 frame;
        i16 timer;
        u16 frameCount; // 0: the set's own (23)
        u16 after;
    };
    const JumpCase cases[] = {
        {16, 300, 0, 22}, {11, 600, 0, 17}, {10, 200, 0, 16}, {10, 300, 0, 10},
        {9, 100, 0, 9},   {16, 300, 20, 19}, {14, 300, 18, 17},
    };
    Animation& hurt = playerAnimSet.animations[10];
    const u16 ownCount = hurt.frameCount;
    for (const JumpCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "frame " << c.frame << " of " << c.frameCount);
        player->facing = 0;
        SetAnim(&player->anim, &playerAnimSet, 10, 0, 1);
        UpdateAnimPlayer(&player->anim);
        ASSERT_EQ(player->anim.animation, &hurt);
        hurt.frameCount = c.frameCount ? c.frameCount : ownCount;
        player->anim.frameIndex = c.frame;
        player->anim.timer = c.timer;
        player->state = PlayerStateHurt;
        PlayerStateHurt(player);
        EXPECT_EQ(player->anim.frameIndex, c.after);
        hurt.frameCount = ownCount;
    }
}

// ---- Defeat ----

TEST_F(PlayerHitTest, TheFatalHitBurstsTheBonesOnceTheHitstopIsOver)
{
    player->health = 1;
    PlayerTakeHit(player, &attacker);
    ASSERT_EQ(player->state, PlayerStateDefeated);
    const size_t hitBones = Bones().size();
    EXPECT_EQ(hitBones, 9u);
    player->actor.hitlag = 3;
    for (int i = 0; i < 3; ++i) {
        Tick();
        ASSERT_EQ(player->state, PlayerStateDefeated);
        ASSERT_EQ(Bones().size(), hitBones);
    }
    const f32 x = H().x, y = H().y;
    soundQueue = SoundQueue{};
    Tick();
    EXPECT_EQ(player->state, PlayerStateDefeatedFall);
    EXPECT_EQ(Bones().size(), hitBones + 32);
    EXPECT_EQ(player->deathTimer, 240);
    EXPECT_EQ(H().x, x - 2.0f);
    EXPECT_EQ(H().y, y - 11.0f);
    EXPECT_EQ(H().vy, -8.0f);
    EXPECT_TRUE(Queued(deathSound));
}

struct DefeatCase {
    u8 lives;
    bool restart;
    u8 livesAfter;
};

TEST_F(PlayerHitTest, DefeatRestartsWithLivesLeftAndGoesToTheTitleWithoutThem)
{
    const DefeatCase cases[] = {{3, true, 2}, {1, true, 0}, {0, false, 0}};
    for (const DefeatCase& c : cases) {
        SCOPED_TRACE(testing::Message() << (int)c.lives << " lives");
        playerProgress[0].lives = c.lives;
        pendingStage = nullptr;
        player->invulnerable = 0;
        ResetObjectInstances(&Fade);
        musicVolumeTarget = 1.0f;
        musicFadeStep = 0.0f;
        Defeat();

        int ticks = 0, fadeTick = -1;
        while (!pendingStage && ticks < 3000) {
            Tick();
            ++ticks;
            if (fadeTick < 0 && Fades()) {
                fadeTick = ticks;
                EXPECT_EQ(player->deathTimer, 120);
                EXPECT_EQ(musicVolumeTarget, 0.0f);
                EXPECT_EQ(musicFadeStep, 0.0075f);
            }
        }
        ASSERT_NE(pendingStage, nullptr);
        EXPECT_EQ(ticks - fadeTick, 120);
        EXPECT_EQ(Fades(), 1u);
        EXPECT_EQ(pendingStage, c.restart ? StageRestart() : &titleStage);
        EXPECT_EQ(playerProgress[0].lives, c.livesAfter);

        // One request a defeat: the stage is served later, and the wait asks nothing more.
        pendingStage = nullptr;
        for (int i = 0; i < 5; ++i)
            Tick();
        EXPECT_EQ(pendingStage, nullptr);
        EXPECT_EQ(playerProgress[0].lives, c.livesAfter);
        EXPECT_EQ(player->deathTimer, 0);
        player->health = 5;
        player->state = PlayerStateNormal;
    }
}

TEST_F(PlayerHitTest, TheFallComesToRestAndEndsWhateverIsHeld)
{
    // Knocked back at full speed: the slide after the landing is what the keys could keep going.
    const u32 keys[] = {0, ButtonLeft, ButtonRight};
    for (const u32 held : keys) {
        SCOPED_TRACE(testing::Message() << "held " << held);
        playerProgress[0].lives = 2;
        pendingStage = nullptr;
        player->invulnerable = 0;
        ResetObjectInstances(&Fade);
        Defeat();
        int ticks = 0, rest = -1;
        while (!pendingStage && ticks < 3000) {
            PlayerWorld::Tick(held, 0);
            ++ticks;
            if (rest < 0 && H().vx == 0.0f && H().vy == 0.0f && H().groundContact)
                rest = ticks;
        }
        ASSERT_NE(pendingStage, nullptr) << "still falling after " << ticks << " ticks, vx " << H().vx;
        EXPECT_EQ(pendingStage, StageRestart());
        // The wait starts when the body lies still, and lasts its 240 ticks.
        EXPECT_EQ(ticks - rest, 239);
        EXPECT_LE(ticks, 900);
        player->health = 5;
        player->state = PlayerStateNormal;
        player->actor.defeated = 0;
        H().x = 300.0f;
    }
}

TEST_F(PlayerHitTest, TheFallenBodyLiesOnItsBackOnTheGround)
{
    // Knocked either way, with the spin of the flight starting from upright, leaning, lying and on
    // its head: the bounces and the slide leave the body at all sorts of angles.
    const f32 sides[] = {-20.0f, 20.0f};
    const f32 tilts[] = {0.0f, 40.0f, 100.0f, 150.0f, 220.0f};
    const SpriteImage& standing = playerAnimSet.animations[4].frames[0].image;
    const i32 feetRow = standing.offsetY + standing.height - 1;
    for (const f32 side : sides)
        for (const f32 tilt : tilts) {
            SCOPED_TRACE(testing::Message() << "attacker at " << side << ", tilt " << tilt);
            pendingStage = nullptr;
            player->invulnerable = 0;
            attacker.x = H().x + side;
            Defeat();
            H().tiltAngle = tilt;
            int still = 0;
            for (int t = 0; t < 600 && still < 20; ++t) {
                Tick();
                still = H().groundContact && H().groundSpeed == 0.0f ? still + 1 : 0;
            }
            ASSERT_EQ(still, 20) << "the body came to rest";
            EXPECT_EQ(pendingStage, nullptr);

            // On its back: a quarter turn back from upright, whichever way it faces.
            const i32 angle = (i32)H().tiltAngle & 255;
            EXPECT_EQ(angle, player->facing ? 64 : 192) << "facing " << (int)player->facing;

            // Drawn, it lies along the ground: long and low, its lowest row where a standing
            // figure's feet end.
            scrollX = (i32)H().x - screenWidth / 2;
            scrollY = (i32)H().y - screenHeight / 2;
            memset(frameBuffer, 0, frameBytes);
            PlayerDraw(player);
            i32 left = screenWidth, right = -1, top = screenHeight, bottom = -1;
            for (i32 y = 0; y < screenHeight; ++y)
                for (i32 x = 0; x < screenWidth; ++x)
                    if (frameBuffer[rowOffsets[y] + x] & 0xFFFFFF) {
                        left = std::min(left, x), right = std::max(right, x);
                        top = std::min(top, y), bottom = std::max(bottom, y);
                    }
            ASSERT_GE(right, 0) << "drawn";
            EXPECT_GT(2 * (right - left), 3 * (bottom - top))
                << "lying: " << right - left + 1 << " by " << bottom - top + 1;
            EXPECT_EQ(bottom, (i32)H().y - scrollY + feetRow);

            player->health = 5;
            player->state = PlayerStateNormal;
            player->actor.defeated = 0;
            H().tiltAngle = 0.0f;
            H().x = 300.0f;
            ResetObjectInstances(&Fade);
        }
}

TEST_F(PlayerHitTest, StartSkipsTheWaitButNotTheLast120Ticks)
{
    playerProgress[0].lives = 2;
    Defeat();
    // Still flying, the wait has not begun; start cuts it to the fade at once.
    ASSERT_EQ(H().groundContact, 0u);
    Tick(ButtonStart);
    EXPECT_EQ(player->deathTimer, 120);
    EXPECT_EQ(Fades(), 1u);
    int ticks = 0;
    while (!pendingStage && ticks < 1000) {
        Tick(ButtonStart); // pressing on does not shorten the last stretch
        ++ticks;
    }
    EXPECT_EQ(ticks, 120);
    EXPECT_EQ(pendingStage, StageRestart());
    EXPECT_EQ(playerProgress[0].lives, 1);
    EXPECT_EQ(Fades(), 1u);
}

} // namespace
