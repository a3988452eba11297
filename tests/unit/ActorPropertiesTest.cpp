// Actor properties (.vep): the writer read back through the loader, fixed values, short and
// missing files, the use count with the restart rule and the freeing of the rows, the list of
// actor types, and the Init defaults.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Engine/Common/AssetReader.h"
#include "Engine/Common/ObjectType.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/StageSettings.h"
#include "tests/unit/AssetFiles.h"
#include "tools/datakit/VepWriter.h"

namespace {

const char* const vepPath = "Data/Sprites/Enemies/Test/Test.vep";

// What the loader makes of a fixed value given as its two stored parts.
f32 Fixed(u16 whole, u16 fraction)
{
    return (f32)((double)whole + (double)fraction / 65535.0);
}

// A fixed value built entirely from the reader's end value.
const f32 endFixed = Fixed(10, 10);

datakit::Vep SampleVep()
{
    datakit::Vep vep;
    vep.values = {0.2, 0.1, 0.15, 6.0, 0.2, 0.4, 0.4, 8.0, 16.0, 4.25, 1.0, 0.21875, 0.3, 2.0, 3.0};
    vep.hp = 40;
    vep.flags = {1, 0, 7, 0, 1};
    vep.anims = {3, 1, 2, -1, 4, 5, 6, 7, 8, 9};
    vep.skipped = {0xAA, 0xBB, 0xCC};
    vep.rows = {
        {0x0005, 1, 6, 2.5, 4.0, 0},
        {0x0010, 0, 0, 0.0, 0.0, 64},
        {0xFFFF, 2, 255, 65535.5, 1.0 / 3.0, 200},
    };
    return vep;
}

class ActorPropertiesTest : public AssetFiles {
protected:
    ObjectType type{};
    ActorProperties properties{};
    Stage stageA{}, stageB{};

    void SetUp() override
    {
        AssetFiles::SetUp();
        ClearActorTypeList();
    }

    void TearDown() override
    {
        free(properties.attackRows);
        ClearActorTypeList();
        AssetFiles::TearDown();
    }

    void WriteVep(const std::vector<u8>& bytes) { Write(vepPath, bytes); }
    void Load() { LoadEnemyProperties(&type, &properties, vepPath); }

    // A row as it should read back from the writer's row.
    static void ExpectRow(const AttackRow& row, const datakit::VepRow& written)
    {
        const auto knockback = datakit::SplitFixed(written.knockback);
        const auto damage = datakit::SplitFixed(written.damage);
        EXPECT_EQ(row.flags, written.flags);
        EXPECT_EQ(row.kind, written.kind);
        EXPECT_EQ(row.hitlag, written.hitlag);
        EXPECT_EQ(row.knockback, Fixed(knockback[0], knockback[1]));
        EXPECT_EQ(row.damage, Fixed(damage[0], damage[1]));
        EXPECT_EQ(row.angle, written.angle);
    }

    void ExpectRows(const std::vector<datakit::VepRow>& rows)
    {
        ASSERT_EQ(properties.attackRowCount, rows.size());
        ASSERT_NE(properties.attackRows, nullptr);
        for (size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(i);
            ExpectRow(properties.attackRows[i], rows[i]);
        }
    }
};

TEST_F(ActorPropertiesTest, WriterRoundTripsThroughTheLoader)
{
    const datakit::Vep vep = SampleVep();
    WriteVep(datakit::MakeVep(vep));
    Load();

    for (u32 i = 0; i < actorValueCount; ++i) {
        SCOPED_TRACE(i);
        const auto parts = datakit::SplitFixed(vep.values[i]);
        EXPECT_EQ(properties.values[i], Fixed(parts[0], parts[1]));
        EXPECT_NEAR(properties.values[i], vep.values[i], 1.0 / 65535.0);
    }
    EXPECT_EQ(properties.hp, 40.0f);
    const bool flags[actorFlagCount] = {true, false, true, false, true};
    for (u32 i = 0; i < actorFlagCount; ++i)
        EXPECT_EQ(properties.flags[i], flags[i]) << i;
    for (u32 i = 0; i < actorAnimCount; ++i)
        EXPECT_EQ(properties.anims[i], vep.anims[i]) << i;
    ExpectRows(vep.rows);
    EXPECT_EQ(properties.useCount, 1);
    EXPECT_EQ(actorTypeCount, 1);
    EXPECT_EQ(actorTypeList[0], &type);
    EXPECT_EQ(AttackRowAt(&properties, 2), &properties.attackRows[2]);
    EXPECT_EQ(AttackRowAt(&properties, 3), nullptr);
    EXPECT_EQ(AttackRowAt(nullptr, 0), nullptr);
}

TEST_F(ActorPropertiesTest, FixedValuesDivideTheFractionBy65535)
{
    struct Case {
        u16 whole, fraction;
        f32 expected;
    };
    const Case cases[] = {
        {0, 0, 0.0f}, {3, 65535, 4.0f}, {65535, 65535, 65536.0f}, {1, 32768, (f32)(1.0 + 32768.0 / 65535.0)},
    };
    for (const Case& c : cases) {
        std::vector<u8> bytes;
        datakit::PutBe16(bytes, c.whole);
        datakit::PutBe16(bytes, c.fraction);
        AssetReader reader{bytes.data(), (u32)bytes.size(), 0, nullptr, nullptr};
        EXPECT_EQ(ReadFixed16(&reader), c.expected) << c.whole << " " << c.fraction;
        EXPECT_EQ(reader.position, 4u);
    }
    // And through a whole file: fraction 65535 is exactly one more.
    std::vector<u8> file = datakit::MakeVep(SampleVep());
    file[0] = 0;
    file[1] = 7;
    file[2] = 0xFF;
    file[3] = 0xFF;
    WriteVep(file);
    Load();
    EXPECT_EQ(properties.values[0], 8.0f);
}

TEST_F(ActorPropertiesTest, NoRowTableKeepsTheRowsReadBefore)
{
    const datakit::Vep vep = SampleVep();
    WriteVep(datakit::MakeVep(vep));
    Load();
    const AttackRow* rows = properties.attackRows;

    // The same stage again: the file is read again, not counted, and without a row table the rows
    // stay as they were.
    currentStage = previousStage = &stageA;
    datakit::Vep noRows = vep;
    noRows.values[0] = 9.0;
    noRows.hp = 3;
    noRows.skipped.clear();
    const std::vector<u8> bytes = datakit::MakeVep(noRows);
    ASSERT_EQ(bytes.size(), 77u);
    WriteVep(bytes);
    Load();
    EXPECT_EQ(properties.useCount, 1);
    EXPECT_EQ(properties.values[0], 9.0f);
    EXPECT_EQ(properties.hp, 3.0f);
    EXPECT_EQ(properties.attackRows, rows);
    ExpectRows(vep.rows);
}

TEST_F(ActorPropertiesTest, ShortAndMissingFilesReadAsTheEndValue)
{
    const datakit::Vep vep = SampleVep();
    const std::vector<u8> full = datakit::MakeVep(vep);
    // Offsets: 60 hp, 61 flags, 66 anims, 76 N, 77 skipped, 80 M, 82 rows of 13.
    struct Case {
        const char* name;
        size_t length; // bytes kept; SIZE_MAX: no file at all
    };
    const Case cases[] = {{"missing", SIZE_MAX}, {"empty", 0}, {"values and hp", 61}, {"rows cut", 82 + 13}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        free(properties.attackRows);
        properties = ActorProperties{};
        std::filesystem::remove(vepPath);
        if (c.length != SIZE_MAX)
            WriteVep(std::vector<u8>(full.begin(), full.begin() + (std::ptrdiff_t)c.length));
        Load();

        const bool haveValues = c.length != SIZE_MAX && c.length >= 61;
        EXPECT_EQ(properties.values[3], haveValues ? 6.0f : endFixed);
        EXPECT_EQ(properties.hp, haveValues ? 40.0f : 10.0f);
        if (c.length == 82 + 13) {
            // Three rows named, one there: the others are built from 10s.
            ASSERT_EQ(properties.attackRowCount, 3);
            ExpectRow(properties.attackRows[0], vep.rows[0]);
            for (u32 i = 1; i < 3; ++i) {
                const AttackRow& row = properties.attackRows[i];
                EXPECT_EQ(row.flags, 10);
                EXPECT_EQ(row.kind, 10);
                EXPECT_EQ(row.knockback, endFixed);
                EXPECT_EQ(row.damage, endFixed);
                EXPECT_EQ(row.angle, 10);
            }
            continue;
        }
        // Every flag byte is 10 (set), every animation 10, N = 10 and M = 10: ten rows of 10s.
        for (u32 i = 0; i < actorFlagCount; ++i)
            EXPECT_TRUE(properties.flags[i]) << i;
        for (u32 i = 0; i < actorAnimCount; ++i)
            EXPECT_EQ(properties.anims[i], 10) << i;
        ASSERT_EQ(properties.attackRowCount, 10);
        EXPECT_EQ(properties.attackRows[9].kind, 10);
        EXPECT_EQ(properties.attackRows[9].damage, endFixed);
    }
}

TEST_F(ActorPropertiesTest, UsesAreCountedAndTheLastFreesTheRowsOnce)
{
    const datakit::Vep vep = SampleVep();
    WriteVep(datakit::MakeVep(vep));
    currentStage = &stageA;
    previousStage = nullptr;
    Load();
    // The next stage loads before the old one unloads: it shares the record without reading.
    currentStage = &stageB;
    previousStage = &stageA;
    datakit::Vep other = vep;
    other.values[0] = 5.0;
    WriteVep(datakit::MakeVep(other));
    Load();
    EXPECT_EQ(properties.useCount, 2);
    EXPECT_NE(properties.values[0], 5.0f);

    // A restart of stage B reads again and takes no use.
    previousStage = &stageB;
    Load();
    EXPECT_EQ(properties.useCount, 2);
    EXPECT_EQ(properties.values[0], 5.0f);

    FreeEnemyProperties(&properties);
    EXPECT_EQ(properties.useCount, 1);
    ExpectRows(vep.rows);
    FreeEnemyProperties(&properties);
    EXPECT_EQ(properties.useCount, 0);
    EXPECT_EQ(properties.attackRows, nullptr);
    EXPECT_EQ(properties.attackRowCount, 0);
    EXPECT_EQ(AttackRowAt(&properties, 0), nullptr);
    // An unload past the last use frees nothing again.
    FreeEnemyProperties(&properties);
    EXPECT_EQ(properties.useCount, 0);

    // A load after the last free reads the file afresh.
    previousStage = &stageA;
    Load();
    EXPECT_EQ(properties.useCount, 1);
    ExpectRows(vep.rows);
}

TEST_F(ActorPropertiesTest, EveryLoadOfAStageListsItsTypeUpTo1024)
{
    WriteVep(datakit::MakeVep(SampleVep()));
    std::vector<ObjectType> types(actorTypeListSize + 1);
    std::vector<ActorProperties> records(types.size());
    for (size_t i = 0; i < types.size(); ++i)
        LoadEnemyProperties(&types[i], &records[i], vepPath);
    EXPECT_EQ(actorTypeCount, actorTypeListSize);
    EXPECT_EQ(actorTypeList[actorTypeListSize - 1], &types[actorTypeListSize - 1]);
    // The 1025th is not listed but still has its properties.
    EXPECT_EQ(records.back().hp, 40.0f);
    EXPECT_EQ(records.back().attackRowCount, 3);
    for (ActorProperties& record : records)
        free(record.attackRows);

    // A type whose record the stage before still holds is listed for the new stage all the same.
    ClearActorTypeList();
    EXPECT_EQ(actorTypeCount, 0);
    EXPECT_EQ(actorTypeList[0], nullptr);
    currentStage = &stageA;
    Load();
    currentStage = &stageB;
    previousStage = &stageA;
    ClearActorTypeList();
    Load();
    EXPECT_EQ(properties.useCount, 2);
    EXPECT_EQ(actorTypeCount, 1);
    EXPECT_EQ(actorTypeList[0], &type);
}

TEST_F(ActorPropertiesTest, InitSetsTheDefaultsAndApplyCopiesTheProperties)
{
    ObjectHeader header{};
    header.x = 12.5f;
    header.y = -3.0f;
    header.plane = 2;
    AnimSet set{};
    Animation animation{};
    AnimPlayer cursor{};
    cursor.set = &set;
    cursor.animation = &animation;
    stageCollisionLayer = 3;

    ActorBlock actor;
    memset(&actor, 0x5A, sizeof(actor));
    int owner = 0;
    actor.instance = &owner;
    InitEnemy(&actor, &header, &cursor);

    EXPECT_EQ(actor.header, &header);
    EXPECT_EQ(actor.anim, &cursor);
    EXPECT_EQ(actor.instance, &owner);
    EXPECT_EQ(actor.boxAnimation, &animation);
    EXPECT_EQ(actor.properties, nullptr);
    const f32 values[actorValueCount] = {0.2f, 0.1f,  0.15f,    6.0f,     0.2f, 0.4f, 0.4f, 8.0f,
                                         16.0f, 4.0f, 1.0f, 0.21875f, 0.21875f, 2.0f, 3.0f};
    for (u32 i = 0; i < actorValueCount; ++i)
        EXPECT_EQ(actor.values[i], values[i]) << i;
    EXPECT_EQ(actor.hp, 16.0f);
    const bool flags[actorFlagCount] = {true, true, false, false, false};
    for (u32 i = 0; i < actorFlagCount; ++i)
        EXPECT_EQ(actor.flags[i], flags[i]) << i;
    const i8 anims[actorAnimCount] = {0, -1, -1, -1, 0, 0, -1, -1, -1, -1};
    for (u32 i = 0; i < actorAnimCount; ++i)
        EXPECT_EQ(actor.anims[i], anims[i]) << i;
    for (u8 byte : actor.input)
        EXPECT_EQ(byte, 0);
    EXPECT_EQ(actor.hitId, -1);
    EXPECT_EQ(actor.shakeLimit, 4);
    EXPECT_EQ(actor.shakeJitter, 1);
    EXPECT_EQ(actor.direction, 3);
    EXPECT_EQ(actor.spawnX, 12.5f);
    EXPECT_EQ(actor.spawnY, -3.0f);
    EXPECT_EQ(actor.slotInParent, 255);
    EXPECT_EQ(actor.parent, nullptr);
    EXPECT_EQ(actor.childCount, 0);
    for (ActorBlock* child : actor.children)
        EXPECT_EQ(child, nullptr);
    EXPECT_EQ(actor.hurtSound, -1);
    EXPECT_EQ(actor.deathSound, -1);
    EXPECT_EQ(actor.hitlag, 0);
    EXPECT_EQ(actor.lastHitter, nullptr);
    EXPECT_EQ(actor.attackSerial, 0);
    EXPECT_EQ(actor.defeated, 0);

    EXPECT_EQ(header.plane, 0);
    EXPECT_EQ(header.collisionLayer, 3);
    const u8 edges[4] = {0, 1, 1, 1};
    for (u32 i = 0; i < 4; ++i)
        EXPECT_EQ(header.edgeFlags[i], edges[i]) << i;

    WriteVep(datakit::MakeVep(SampleVep()));
    Load();
    ApplyEnemyProperties(&properties, &actor);
    EXPECT_EQ(actor.properties, &properties);
    EXPECT_EQ(memcmp(actor.values, properties.values, sizeof(actor.values)), 0);
    EXPECT_EQ(actor.hp, 40.0f);
    EXPECT_EQ(actor.flags[FlagKnockable], true);
    EXPECT_EQ(actor.flags[FlagFaceAttacker], false);
    EXPECT_EQ(actor.anims[JumpTakeoffFrame], 3);
    EXPECT_EQ(actor.anims[JumpAnim], -1);
    stageCollisionLayer = 0;
}

TEST_F(ActorPropertiesTest, AttachTakesTheFirstFreeOfEightSlots)
{
    ActorBlock parent{};
    ActorBlock children[9]{};
    for (u32 i = 0; i < 8; ++i) {
        ASSERT_TRUE(AttachActor(&parent, &children[i]));
        EXPECT_EQ(children[i].parent, &parent);
        EXPECT_EQ(children[i].slotInParent, i);
    }
    EXPECT_FALSE(AttachActor(&parent, &children[8]));
    EXPECT_EQ(children[8].parent, nullptr);
    EXPECT_EQ(parent.childCount, 8);
    // A slot cleared by a detach is the one taken next.
    parent.children[3] = nullptr;
    --parent.childCount;
    ASSERT_TRUE(AttachActor(&parent, &children[8]));
    EXPECT_EQ(children[8].slotInParent, 3);
    EXPECT_EQ(parent.childCount, 8);
}

} // namespace
