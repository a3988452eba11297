// Attack boxes: the Hazard type made from the data kit's set and sounds, the registration of an
// actor's frame boxes (mirroring, knock angles, rows, Hit IDs, serials, the pool's limit), the
// clearing with its blink timer, the callback list run by a box, and the debug outlines.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Engine/Common/Anim.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Sound.h"
#include "Engine/Render/DrawState.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/AttackBoxes.h"
#include "tests/unit/HeadlessGame.h"
#include "tests/unit/TestFolder.h"
#include "tools/datakit/ActorData.h"
#include "tools/datakit/ManifestWriter.h"
#include "tools/datakit/TgaWriter.h"
#include "tools/datakit/VepWriter.h"

extern u8 forceFree;

namespace {

using datakit::ManAnimation;
using datakit::ManBox;
using datakit::ManFrame;
using datakit::ManHit;

const char* const actorManPath = "Data/Sprites/Enemies/Test/Test.man";
const char* const actorVepPath = "Data/Sprites/Enemies/Test/Test.vep";

// Animations of the actor's set, one frame each.
enum : u16 {
    AnimSwing = 0, // hit set 0 (row 0) at (10, -3)
    AnimPair = 1,  // hit set 1 (rows 1 and 2)
    AnimFlood = 2, // hit set 2 (100 boxes, rows 3-102) eleven times: more boxes than the pool
    AnimEmpty = 3, // no boxes
};

ManAnimation OneFrame(std::vector<ManHit> hits)
{
    ManFrame frame;
    frame.width = frame.height = 8;
    frame.offsetX = frame.offsetY = -4;
    frame.duration = 1;
    frame.hits = std::move(hits);
    ManAnimation animation;
    animation.speed = 0;
    animation.playMode = 1;
    animation.frames = {frame};
    return animation;
}

datakit::Manifest ActorManifest()
{
    datakit::Manifest m;
    m.sheets = {{"Test.tga", true, 4}};
    m.boxes = {ManBox{8, 8, (u8)-4, (u8)-4}};
    // Hit set 0: left 2, right 6, top -8, bottom -2.
    m.hitSets.push_back({ManBox{4, 6, 2, (u8)-8}});
    m.hitSets.push_back({ManBox{2, 2, 0, 0}, ManBox{2, 2, 4, 4}});
    m.hitSets.push_back(std::vector<ManBox>(100, ManBox{1, 1, 0, 0}));
    m.animations.push_back(OneFrame({{0, 10, -3}}));
    m.animations.push_back(OneFrame({{1, 0, 0}}));
    m.animations.push_back(OneFrame(std::vector<ManHit>(11, ManHit{2, 0, 0})));
    m.animations.push_back(OneFrame({}));
    return m;
}

datakit::Vep ActorVep()
{
    datakit::Vep vep;
    vep.rows = {
        {BoxOncePerAttack, BoxAttack, 6, 2.5, 4.0, 0},
        {BoxSolid, BoxAttackFresh, 3, 1.0, 2.0, 32},
        {BoxWhipProof, BoxHurt, 0, 0.0, 0.0, 200},
    };
    return vep;
}

// The callback list's calls, as the Hazard type runs them.
struct CallbackLog {
    std::vector<std::pair<void*, void*>> calls;
    bool keep = true;
};

bool RecordCallback(void* argument, void* instance)
{
    CallbackLog* log = (CallbackLog*)argument;
    log->calls.push_back({argument, instance});
    return log->keep;
}

class AttackBoxesTest : public HeadlessGame, protected TestFolder {
protected:
    AnimSet actorSet{};
    ActorProperties properties{};
    ObjectType actorType{};
    ObjectHeader header{};
    AnimPlayer cursor{};
    ActorBlock actor{};

    void SetUp() override
    {
        HeadlessGame::SetUp();
        EnterTestFolder("palvic-boxes-");
        FreeObjectTypeRegistry();
        forceFree = 0;
        scrollX = scrollY = 0;
        debugView = 0;
        ASSERT_TRUE(datakit::WriteHazardData("."));
        datakit::TgaImage sheet;
        sheet.width = sheet.height = 8;
        sheet.pixels.assign(64, 1);
        sheet.colours = {{0, 0, 0}, {90, 90, 90}, {120, 0, 0}, {0, 0, 120}};
        Write("Data/Sprites/Enemies/Test/Test.tga", datakit::MakeTga(sheet));
        Write(actorManPath, datakit::MakeManifest(ActorManifest()));
        Write(actorVepPath, datakit::MakeVep(ActorVep()));

        HazardLoad(nullptr);
        LoadAnim(actorManPath, &actorSet);
        ASSERT_TRUE(actorSet.loaded);
        LoadEnemyProperties(&actorType, &properties, actorVepPath);
        ASSERT_EQ(properties.attackRowCount, 3);

        header.x = 100.5f;
        header.y = 50.75f;
        cursor.set = &actorSet;
        StartAnim(&cursor, AnimSwing);
        InitEnemy(&actor, &header, &cursor);
        ApplyEnemyProperties(&properties, &actor);
        ClearAttackBoxes();
    }

    void TearDown() override
    {
        FreeObjectTypeRegistry();
        FreeEnemyProperties(&properties);
        FreeAnim(&actorSet);
        ClearActorTypeList();
        debugView = 0;
        LeaveTestFolder();
        HeadlessGame::TearDown();
    }

    void Show(u16 animation)
    {
        StartAnim(&cursor, animation);
    }

    static AttackBox& Box(u32 index)
    {
        AttackBox* box = AttackBoxAt(index);
        EXPECT_NE(box, nullptr);
        return *box;
    }
};

TEST_F(AttackBoxesTest, HazardLoadFillsSlot69WithTheBoxes)
{
    ASSERT_TRUE(Hazard.registered);
    EXPECT_EQ(Hazard.typeIndex, attackBoxTypeSlot);
    ASSERT_GT(objectTypeCapacity, attackBoxTypeSlot);
    EXPECT_EQ(objectTypes[attackBoxTypeSlot], &Hazard);
    for (u32 slot = 0; slot < objectTypeCapacity; ++slot) {
        if (slot != attackBoxTypeSlot) {
            EXPECT_NE(objectTypes[slot], &Hazard) << slot;
        }
    }
    EXPECT_EQ(Hazard.liveCount, attackBoxTotal);
    EXPECT_EQ(Hazard.poolSize, attackBoxTotal);
    EXPECT_EQ(Hazard.updatePass, 5);
    EXPECT_EQ(Hazard.drawLayer, 15);
    EXPECT_EQ(AttackBoxAt(attackBoxTotal), nullptr);
    for (u32 i = 0; i < attackBoxTotal; ++i) {
        ASSERT_EQ(Hazard.pool[i]->typeIndex, attackBoxTypeSlot) << i;
        ASSERT_TRUE(Hazard.pool[i]->alive) << i;
    }
    // The cursors of every box: animations 0 and 1 of the Hazard set.
    ASSERT_TRUE(hazardAnimSet.loaded);
    EXPECT_EQ(hazardAnimSet.animCount, 2);
    const AttackBox& box = Box(500);
    EXPECT_EQ(box.cursors[0].animation, &hazardAnimSet.animations[0]);
    EXPECT_EQ(box.cursors[1].animation, &hazardAnimSet.animations[1]);
    // The data kit's sounds are real waves.
    for (u32 id : {enemyHitSound, enemyDieSound, enemyExplodeSound}) {
        ASSERT_LT(id, soundSlotCount);
        ASSERT_NE(soundSlots[id], nullptr);
        EXPECT_NE(soundSlots[id]->samples, nullptr);
        EXPECT_GT(soundSlots[id]->length, 1000u);
    }
    EXPECT_NE(enemyHitSound, enemyDieSound);

    // A despawn finds the boxes' type through the slot their headers name.
    DespawnObject(Hazard.pool[7]);
    EXPECT_EQ(Hazard.liveCount, attackBoxTotal - 1);

    HazardUnload();
    EXPECT_FALSE(Hazard.registered);
    EXPECT_EQ(objectTypes[attackBoxTypeSlot], nullptr);
    EXPECT_EQ(AttackBoxAt(0), nullptr);
    RegisterAttackBoxes(&actor); // no pool: nothing registered, nothing touched
    EXPECT_EQ(attackBoxCount, 0u);
}

TEST_F(AttackBoxesTest, BoxesAndKnockAnglesFollowTheOwnersFlips)
{
    struct Case {
        const char* name;
        f32 x;
        u8 flipX, flipY;
        bool mirrorBoxes;
        i64 left, right, top, bottom;
        u8 angle;
    };
    // Owner at (x, 50.75); box 2..6 x -8..-2 placed at (10, -3).
    const Case cases[] = {
        {"plain", 100.5f, 0, 0, false, 112, 116, 39, 45, 0},
        {"flipX", 100.5f, 1, 0, false, 84, 88, 39, 45, 128},
        {"flipX, mirrorBoxes", 100.5f, 1, 0, true, 112, 116, 39, 45, 128},
        {"mirrorBoxes alone", 100.5f, 0, 0, true, 84, 88, 39, 45, 0},
        {"flipY", 100.5f, 0, 1, false, 112, 116, 55, 61, 0},
        {"toward zero", -100.5f, 0, 0, false, -88, -84, 39, 45, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearAttackBoxes();
        header.x = c.x;
        header.flipX = c.flipX;
        header.flipY = c.flipY;
        actor.flags[FlagMirrorBoxes] = c.mirrorBoxes;
        RegisterAttackBoxes(&actor);
        ASSERT_EQ(attackBoxCount, 1u);
        const AttackBox& box = Box(0);
        EXPECT_TRUE(box.inUse);
        EXPECT_EQ(box.owner, &actor);
        EXPECT_EQ(box.header->x, c.x);
        EXPECT_EQ(box.header->y, 50.75f);
        EXPECT_EQ(box.left, c.left);
        EXPECT_EQ(box.right, c.right);
        EXPECT_EQ(box.top, c.top);
        EXPECT_EQ(box.bottom, c.bottom);
        EXPECT_EQ(box.angle, c.angle);
        EXPECT_EQ(box.kind, BoxAttack);
        EXPECT_EQ(box.flags, BoxOncePerAttack);
        EXPECT_EQ(box.hitlag, 6);
        EXPECT_EQ(box.knockback, properties.attackRows[0].knockback);
        EXPECT_NEAR(box.knockback, 2.5f, 1e-4f);
        EXPECT_EQ(box.damage, 4.0f);
        EXPECT_FALSE(AttackBoxAt(1)->inUse);
    }

    // The other rows' angles mirror the same way, wrapping past 0.
    Show(AnimPair);
    ClearAttackBoxes();
    header.flipX = 1;
    RegisterAttackBoxes(&actor);
    ASSERT_EQ(attackBoxCount, 2u);
    EXPECT_EQ(Box(0).angle, 96);  // 128 - 32
    EXPECT_EQ(Box(1).angle, 184); // 128 - 200, mod 256
}

TEST_F(AttackBoxesTest, RowsGiveKindsAndHitIds)
{
    RegisterAttackBoxes(&actor);
    // Kind 1: the set's base Hit ID plus the row.
    EXPECT_EQ(actor.hitId, (i32)actorSet.hitSets[0].id);

    Show(AnimPair);
    for (int frame = 0; frame < 50; ++frame) {
        ClearAttackBoxes();
        RegisterAttackBoxes(&actor);
        // Kind 2 makes a fresh negative id; the hurt box after it leaves the id alone.
        ASSERT_LE(actor.hitId, -1);
        ASSERT_GE(actor.hitId, -(32767 / 259) - 1);
    }
    EXPECT_EQ(Box(0).kind, BoxAttackFresh);
    EXPECT_EQ(Box(0).flags, BoxSolid);
    EXPECT_EQ(Box(1).kind, BoxHurt);
    EXPECT_EQ(Box(1).flags, BoxWhipProof);
    EXPECT_EQ(Box(1).left, 104);
    EXPECT_EQ(Box(1).right, 106);

    // Rows past the properties' three: touch boxes without attributes.
    Show(AnimFlood);
    ClearAttackBoxes();
    actor.hitId = 77;
    RegisterAttackBoxes(&actor);
    const AttackBox& box = Box(0);
    EXPECT_EQ(box.kind, BoxTouch);
    EXPECT_EQ(box.flags, 0);
    EXPECT_EQ(box.damage, 0.0f);
    EXPECT_EQ(box.knockback, 0.0f);
    EXPECT_EQ(box.hitlag, 0);
    EXPECT_EQ(actor.hitId, 77);
}

TEST_F(AttackBoxesTest, TheBoxPastTheLastIsDropped)
{
    Show(AnimFlood);
    RegisterAttackBoxes(&actor); // 1100 boxes in one frame
    EXPECT_EQ(attackBoxCount, attackBoxTotal);
    for (u32 i = 0; i < attackBoxTotal; ++i)
        ASSERT_TRUE(Box(i).inUse) << i;
    // A later actor of the frame finds the pool full.
    ActorBlock other = actor;
    Show(AnimSwing);
    RegisterAttackBoxes(&other);
    EXPECT_EQ(attackBoxCount, attackBoxTotal);
    EXPECT_EQ(Box(attackBoxTotal - 1).kind, BoxTouch);

    // A box still in use where the count points is skipped too.
    ClearAttackBoxes();
    Box(0).inUse = 1;
    RegisterAttackBoxes(&actor);
    EXPECT_EQ(attackBoxCount, 0u);
    EXPECT_EQ(Box(0).owner, &actor); // from the first frame, untouched since
}

TEST_F(AttackBoxesTest, EveryNewAnimationIsANewAttack)
{
    attackSerialCounter = 40;
    actor.touched = 1;
    RegisterAttackBoxes(&actor); // the animation Init saw: no new attack
    EXPECT_EQ(actor.touched, 0);
    EXPECT_EQ(actor.attackSerial, 0);
    EXPECT_EQ(attackSerialCounter, 40u);

    Show(AnimPair);
    RegisterAttackBoxes(&actor);
    EXPECT_EQ(actor.attackSerial, 40);
    RegisterAttackBoxes(&actor); // the same attack going on
    RegisterAttackBoxes(&actor);
    EXPECT_EQ(actor.attackSerial, 40);
    EXPECT_EQ(actor.boxAnimation, &actorSet.animations[AnimPair]);

    Show(AnimEmpty);
    RegisterAttackBoxes(&actor);
    EXPECT_EQ(actor.attackSerial, 41);
    Show(AnimPair); // the same attack again after another animation
    RegisterAttackBoxes(&actor);
    EXPECT_EQ(actor.attackSerial, 42);
    EXPECT_EQ(attackSerialCounter, 43u);
}

TEST_F(AttackBoxesTest, ClearingEmptiesThePoolAndTheBlinkTogglesEvery129Ticks)
{
    Show(AnimFlood);
    RegisterAttackBoxes(&actor);
    ClearAttackBoxes();
    EXPECT_EQ(attackBoxCount, 0u);
    for (u32 i = 0; i < attackBoxTotal; ++i) {
        const AttackBox& box = Box(i);
        ASSERT_FALSE(box.inUse) << i;
        ASSERT_EQ(box.left | box.right | box.top | box.bottom, 0) << i;
    }

    boxBlinkTimer = 0;
    boxBlink = 0;
    std::vector<int> toggles;
    u8 last = boxBlink;
    for (int tick = 1; tick <= 400; ++tick) {
        ClearAttackBoxes();
        if (boxBlink != last)
            toggles.push_back(tick);
        last = boxBlink;
    }
    EXPECT_EQ(toggles, (std::vector<int>{1, 130, 259, 388}));
}

TEST_F(AttackBoxesTest, ABoxInUseRunsTheCallbackList)
{
    CallbackLog log;
    AddObjectCallback(&Hazard, RecordCallback, &log);
    RegisterAttackBoxes(&actor);
    AttackBox* used = AttackBoxAt(0);
    AttackBox* idle = AttackBoxAt(1);
    Hazard.LateUpdate(idle);
    EXPECT_TRUE(log.calls.empty());
    Hazard.LateUpdate(used);
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0].first, &log);
    EXPECT_EQ(log.calls[0].second, used);
    // An entry that answers false is out for the rest of the frame.
    log.keep = false;
    Hazard.LateUpdate(used);
    Hazard.LateUpdate(used);
    EXPECT_EQ(log.calls.size(), 2u);
}

TEST_F(AttackBoxesTest, DebugViewOutlinesTheBoxInItsKindsColour)
{
    memset(frameBuffer, 0, sizeof(u32) * (size_t)screenWidth * (size_t)screenHeight);
    RegisterAttackBoxes(&actor); // kind 1 at 112..116 x 39..45
    AttackBox* box = AttackBoxAt(0);
    Hazard.Draw(box);
    for (i32 i = 0; i < screenWidth * screenHeight; ++i)
        ASSERT_EQ(frameBuffer[i], 0u) << "drawn without the debug view";

    debugView = 1;
    scrollX = 10;
    Hazard.Draw(box);
    auto at = [](i32 x, i32 y) { return frameBuffer[y * screenWidth + x]; };
    // Kind 1 is colour 67, pure red in the Hazard palette, mixed half into the black frame; the
    // corners, where two lines cross, are mixed twice.
    for (auto [x, y] : {std::pair{104, 39}, {104, 45}, {102, 42}, {106, 43}}) {
        const u32 pixel = at(x, y);
        EXPECT_GE(pixel >> 16, 96u) << x << "," << y;
        EXPECT_LE(pixel >> 16, 160u) << x << "," << y;
        EXPECT_EQ(pixel & 0xFFFF, 0u) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{102, 39}, {106, 39}, {102, 45}, {106, 45}}) {
        EXPECT_GT(at(x, y) >> 16, at(104, 39) >> 16) << x << "," << y;
        EXPECT_EQ(at(x, y) & 0xFFFF, 0u) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{104, 42}, {101, 39}, {107, 45}, {104, 38}, {104, 46}})
        EXPECT_EQ(at(x, y), 0u) << x << "," << y;
    EXPECT_EQ(blendMode, 0u);
    EXPECT_EQ(blendLevel, 255u);
    EXPECT_EQ(spriteAngle, 0);
    EXPECT_EQ(spriteScaleX, 512);

    // A box out of use draws nothing.
    memset(frameBuffer, 0, sizeof(u32) * (size_t)screenWidth * (size_t)screenHeight);
    ClearAttackBoxes();
    Hazard.Draw(box);
    EXPECT_EQ(at(102, 39), 0u);
}

} // namespace
