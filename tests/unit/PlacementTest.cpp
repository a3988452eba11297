// Placement keys and placement files, written by the data kit and read back through the engine.
#include <cstring>
#include <string>
#include <vector>

#include "Engine/Common/DataPack.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Placement.h"
#include "Engine/Platform/Headless/Headless.h"
#include "tests/unit/ObjectProbe.h"
#include "tests/unit/ScratchDir.h"
#include "tools/datakit/Bytes.h"
#include "tools/datakit/PackWriter.h"
#include "tools/datakit/PlacementWriter.h"

namespace {

using datakit::DecimalFloat;

TEST(DecimalFloatTest, TheTwoWordsReadAsTheTextTheyPrint)
{
    struct Case {
        i32 integer, fraction;
        f32 value;
        const char* text;
    };
    const Case cases[] = {
        {3, 125, 3.25f, "         3.25"},
        {-2, 15, -2.5f, "        -2.5"},
        {7, 1, 7.0f, "         7."},
        {7, 0, 7.0f, "         7."},
        {7, 95, 7.5f, "         7.5"},       // any placeholder digit becomes the point
        {0, 15, 0.5f, "         0.5"},
        {12, 1999, 12.999f, "        12.999"},
        {-40, 10625, -40.0625f, "       -40.0625"},
        {7, -5, 7.5f, "         7.5"},       // the fraction's sign is the placeholder
        {16777217, 1, 16777216.0f, "  16777217."}, // to the nearest f32
        {1000000000, 5, 1000000000.0f, "1000000000."},
        // An integer part of 11 characters takes the point into its digits.
        {-1000000000, 125, -100000000.0125f, "-100000000.125"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecimalFloatValue(c.integer, c.fraction), c.value) << c.integer << " " << c.fraction;
        EXPECT_STREQ(debugText, c.text);
    }
}

TEST(DecimalFloatTest, TheWriterEncodesWhatTheEngineReadsBackAndRefusesWhatItCannot)
{
    struct Case {
        f64 value;
        int digits;
        bool writable;
    };
    const Case cases[] = {
        {3.25, 2, true},   {-2.5, 1, true},    {0.5, 3, true},         {-1.0, 0, true},
        {123456.78125, 5, true}, {-999999999.0, 0, true}, {2147483647.0, 0, true}, {0.0, 8, true},
        {-0.5, 1, false},  // an integer part of 0 carries no sign
        {-1000000000.0, 0, false}, {3000000000.0, 0, false}, {1.0, 9, false},
    };
    for (const Case& c : cases) {
        DecimalFloat d{};
        ASSERT_EQ(datakit::ToDecimalFloat(c.value, c.digits, &d), c.writable) << c.value;
        if (c.writable) {
            EXPECT_EQ(DecimalFloatValue(d.integer, d.fraction), (f32)c.value) << c.value;
        }
    }
}

// The probe's keys: one of every kind, at these offsets of Probe::keys.
struct KeyDecl {
    u8 kind;
    u32 at;
};
constexpr KeyDecl everyKind[] = {
    {0, 0},  {1, 1},  {2, 2},  {3, 4},  {4, 8},  {5, 12}, {6, 16}, {7, 20}, {8, 21},
    {9, 24}, {10, 32}, {11, 40}, {12, 48}, {13, 52}, {14, 56}, {15, 58}, {16, 60}, {17, 62},
};

class PlacementTest : public ObjectTest {
protected:
    ScratchDir scratch;

    void SetUp() override
    {
        ObjectTest::SetUp();
        headless::Reset();
        CloseDataPack();
    }
    void TearDown() override
    {
        CloseDataPack();
        ObjectTest::TearDown();
    }

    static u64 KeyOffset(u32 at) { return offsetof(Probe, keys) + at; }

    // A Load as the types write it: keys on the first load, then the registration, then the file.
    void Load(ProbeType& t, const char* path, const std::vector<KeyDecl>& keys)
    {
        for (const KeyDecl& key : keys)
            AddPlacementProperty(&t.type, "key", key.kind, KeyOffset(key.at));
        Register(t, 32, 0, 0, -1, -1, path);
        if (path)
            LoadObjectPlacements(&t.type, path);
    }

    static datakit::PlacedObject Object(i32 x, i32 y, u8 a = 0, u8 b = 0)
    {
        datakit::PlacedObject object;
        object.x = DecimalFloat{x, 1};
        object.y = DecimalFloat{y, 1};
        object.spawnA = a;
        object.spawnB = b;
        return object;
    }
};

// Two records with a key of every kind, so that a key read out of step shows in the second one.
std::vector<datakit::PlacedObject> EveryKindRecords()
{
    std::vector<datakit::PlacedObject> records;
    for (u32 r = 0; r < 2; ++r) {
        datakit::PlacedObject o;
        o.x = DecimalFloat{(i32)(10 + r), 125};
        o.y = DecimalFloat{-20, 15};
        o.spawnA = (u8)(3 + r);
        o.spawnB = 0xEE;
        std::vector<u8>& k = o.keys;
        datakit::PutPlacementKey(k, 0, 0xAB + r);
        datakit::PutPlacementKey(k, 1, 0xCD);
        datakit::PutPlacementKey(k, 2, 0x1234 + r);
        datakit::PutPlacementKey(k, 3, 0xFEDC);
        datakit::PutPlacementKey(k, 4, 0x12345678u + r);
        datakit::PutPlacementKey(k, 5, 0x89ABCDEFu);
        datakit::PutPlacementFloatKey(k, 6, DecimalFloat{(i32)(3 + r), 125});
        datakit::PutPlacementKey(k, 7, 0);
        datakit::PutPlacementKey(k, 8, 7 * r);
        datakit::PutPlacementFloatKey(k, 9, DecimalFloat{-2, 15}, DecimalFloat{100, 1});
        datakit::PutPlacementKey(k, 10, 1 + r, 2);
        datakit::PutPlacementKey(k, 11, 0xFFFFFFFFu, r);
        datakit::PutPlacementKey(k, 12, 0x1111, 0x2222 + r);
        datakit::PutPlacementKey(k, 13, 0x8000, 0x7FFF);
        datakit::PutPlacementKey(k, 14, 0x1234, 0xABCD);
        datakit::PutPlacementKey(k, 15, 0xFF00 + r, 0x00FF);
        datakit::PutPlacementKey(k, 16, 0, 9);
        datakit::PutPlacementKey(k, 17, 0);
        records.push_back(o);
    }
    return records;
}

template <typename T>
T KeyAt(const Probe* p, u32 at)
{
    T value;
    memcpy(&value, p->keys + at, sizeof(T));
    return value;
}

void ExpectEveryKind(const Probe* p, u32 r)
{
    EXPECT_EQ(p->keys[0], 0xAB + r);
    EXPECT_EQ(p->keys[1], 0xCD);
    EXPECT_EQ(KeyAt<u16>(p, 2), 0x1234 + r);
    EXPECT_EQ(KeyAt<u16>(p, 4), 0xFEDC);
    EXPECT_EQ(KeyAt<u32>(p, 8), 0x12345678u + r);
    EXPECT_EQ(KeyAt<u32>(p, 12), 0x89ABCDEFu);
    EXPECT_EQ(KeyAt<f32>(p, 16), 3.25f + (f32)r);
    EXPECT_EQ(p->keys[20], 0x5A) << "kind 7 stores nothing";
    EXPECT_EQ(p->keys[21], r ? 1 : 0);
    EXPECT_EQ(KeyAt<f32>(p, 24), -2.5f);
    EXPECT_EQ(KeyAt<f32>(p, 28), 100.0f);
    EXPECT_EQ(KeyAt<u32>(p, 32), 1 + r);
    EXPECT_EQ(KeyAt<u32>(p, 36), 2u);
    EXPECT_EQ(KeyAt<u32>(p, 40), 0xFFFFFFFFu);
    EXPECT_EQ(KeyAt<u32>(p, 44), r);
    EXPECT_EQ(KeyAt<u16>(p, 48), 0x1111);
    EXPECT_EQ(KeyAt<u16>(p, 50), 0x2222 + r);
    EXPECT_EQ(KeyAt<u16>(p, 52), 0x8000);
    EXPECT_EQ(KeyAt<u16>(p, 54), 0x7FFF);
    EXPECT_EQ(p->keys[56], 0x34) << "kind 14 keeps the low bytes";
    EXPECT_EQ(p->keys[57], 0xCD);
    EXPECT_EQ(p->keys[58], 0x00 + r);
    EXPECT_EQ(p->keys[59], 0xFF);
    EXPECT_EQ(p->keys[60], 0);
    EXPECT_EQ(p->keys[61], 1);
    EXPECT_EQ(p->keys[62], 0x5A) << "kinds above 16 store nothing";
}

TEST_F(PlacementTest, EveryKindOfKeyReadsBackLooseAndFromThePack)
{
    const char* path = "Data/Stages/Test/Objects/Probe.bin";
    const std::vector<u8> file = datakit::MakePlacementFile(EveryKindRecords());
    for (bool packed : {false, true}) {
        SCOPED_TRACE(packed ? "packed" : "loose");
        if (packed) {
            std::filesystem::remove_all("Data");
            std::vector<u8> pack;
            std::string error;
            ASSERT_TRUE(datakit::MakePack({{path, file}}, &pack, &error)) << error;
            ASSERT_TRUE(datakit::WriteFile("data.ch3", pack));
            ASSERT_NE(OpenDataPack(), 0u);
        } else {
            ASSERT_TRUE(datakit::WriteFile(path, file));
        }
        ProbeType& t = Make();
        for (const KeyDecl& key : everyKind)
            AddPlacementProperty(&t.type, "key", key.kind, KeyOffset(key.at));
        Register(t, 32, 0, 0, -1, -1, path);
        // A pattern in the key area shows what the placing leaves alone.
        for (u32 i = 0; i < t.type.poolSize; ++i)
            memset(t.At(i)->keys, 0x5A, sizeof(Probe::keys));
        // Init sees the keys; neither Init nor Reset sees the instance marked spawned yet.
        std::vector<u8> keysAtInit;
        probe::onInit = [&](Probe* p) { keysAtInit.push_back(p->keys[0]); };
        probe::log.clear();
        LoadObjectPlacements(&t.type, path);

        EXPECT_EQ(t.type.liveCount, 2u);
        EXPECT_EQ(std::string(debugText), std::string("Loaded Objects ") + path);
        for (u32 r = 0; r < 2; ++r) {
            SCOPED_TRACE(r);
            const Probe* p = t.At(r);
            const ObjectHeader* h = t.Header(r);
            EXPECT_EQ(h->x, 10.25f + (f32)r);
            EXPECT_EQ(h->y, -20.5f);
            EXPECT_EQ(h->spawnA, 3 + r);
            EXPECT_EQ(h->spawnB, 0xEE);
            ExpectEveryKind(p, r);
            EXPECT_EQ(p->initCount, 1u);
            EXPECT_EQ(p->resetCount, 1u);
            EXPECT_EQ(p->spawnedAtInit, 0);
            EXPECT_EQ(p->spawnedAtReset, 0);
            EXPECT_EQ(h->spawned, 1);
        }
        EXPECT_EQ(keysAtInit, (std::vector<u8>{0xAB, 0xAC}));
        std::string order;
        for (const ProbeEvent& event : probe::log)
            order += event.what;
        EXPECT_EQ(order, "IRIR");
        FreeObjectTypeRegistry();
        CloseDataPack();
    }
}

TEST_F(PlacementTest, OnlyWholeRecordsArePlaced)
{
    struct Case {
        const char* name;
        bool write;
        std::vector<u8> bytes;
        u32 placed;
        const char* line; // debugText afterwards (prefix)
        bool reported;
    };
    // One key of kind 4: records of 22 bytes.
    std::vector<datakit::PlacedObject> two = {Object(1, 2), Object(3, 4)};
    for (datakit::PlacedObject& o : two)
        datakit::PutPlacementKey(o.keys, 4, 0x01020304);
    std::vector<u8> whole = datakit::MakePlacementFile(two);
    std::vector<u8> countFive = whole;
    countFive[3] = 5;
    std::vector<u8> countHuge = whole;
    countHuge[0] = countHuge[1] = countHuge[2] = countHuge[3] = 0xFF;
    std::vector<u8> cut = whole;
    cut.resize(whole.size() - 1);
    const Case cases[] = {
        {"missing", false, {}, 0, "Could not open ", false},
        {"empty list", true, {0, 0, 0, 0}, 0, "Loaded Objects ", false},
        {"whole", true, whole, 2, "Loaded Objects ", false},
        {"count past the end", true, countFive, 2, "Loaded Objects ", true},
        {"count of all bits", true, countHuge, 2, "Loaded Objects ", true},
        {"last record cut", true, cut, 1, "Loaded Objects ", true},
        {"no count", true, {0, 0}, 0, "Loaded Objects ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = std::string("Objects/") + c.name + ".bin";
        if (c.write) {
            ASSERT_TRUE(datakit::WriteFile(path, c.bytes));
        }
        headless::ClearShownBoxes();
        ProbeType& t = Make();
        Load(t, path.c_str(), {{4, 0}});
        EXPECT_EQ(t.type.liveCount, c.placed);
        EXPECT_EQ(std::string(debugText), c.line + path);
        EXPECT_EQ(headless::ShownBoxes().size(), c.reported ? 1u : 0u);
        if (c.reported && !headless::ShownBoxes().empty()) {
            EXPECT_EQ(headless::ShownBoxes()[0].caption, "Palvic Error");
        }
        for (u32 i = 0; i < c.placed; ++i)
            EXPECT_EQ(KeyAt<u32>(t.At(i), 0), 0x01020304u);
        FreeObjectTypeRegistry();
    }
}

TEST_F(PlacementTest, ARefusedSpawnWritesItsKeysNowhere)
{
    ProbeType& other = Make();
    Register(other);
    SpawnObject(&other.type, 0.0f, 0.0f, 0, 0);
    memset(other.At(0)->keys, 0x5A, sizeof(Probe::keys));
    void* before = lastSpawnedInstance;

    datakit::PlacedObject o = Object(1, 1);
    datakit::PutPlacementKey(o.keys, 4, 0xDEADBEEF);
    ASSERT_TRUE(datakit::WritePlacementFile("Objects/Paused.bin", {o, o}));
    // The pause menu refuses every spawn of a type that does not run while paused.
    ProbeType& paused = Make();
    pauseMenuOpen = 1;
    Load(paused, "Objects/Paused.bin", {{4, 0}});
    pauseMenuOpen = 0;

    EXPECT_EQ(paused.type.liveCount, 0u);
    EXPECT_EQ(lastSpawnedInstance, before);
    EXPECT_EQ(KeyAt<u32>(other.At(0), 0), 0x5A5A5A5Au);
    EXPECT_EQ(other.At(0)->initCount, 1u);
}

TEST_F(PlacementTest, KeysAreDeclaredOnceAndFreedWithTheType)
{
    Stage a{}, b{};
    ProbeType& t = Make();
    // A key past the end of the instance data is read from the file but stored nowhere.
    const u64 outside = sizeof(Probe) - 2;
    for (Stage* stage : {&a, &b}) {
        previousStage = currentStage;
        currentStage = stage;
        AddPlacementProperty(&t.type, "type", 0, KeyOffset(0));
        AddPlacementLabel("Froacker");
        AddPlacementLabel("Chuck");
        AddPlacementLabel("Larry");
        AddPlacementProperty(&t.type, "range", 6, outside);
        AddPlacementProperty(&t.type, "speed", 1, KeyOffset(1));
        Register(t);
    }
    ASSERT_EQ(t.type.propertyCount, 3u);
    const PlacementProperty& type = t.type.properties[0];
    EXPECT_STREQ(type.name, "type");
    ASSERT_EQ(type.labelCount, 3u);
    EXPECT_STREQ(type.labels[2], "Larry");
    EXPECT_EQ(t.type.properties[1].labelCount, 0u);

    datakit::PlacedObject o = Object(5, 5);
    datakit::PutPlacementKey(o.keys, 0, 2);
    datakit::PutPlacementFloatKey(o.keys, 6, DecimalFloat{9, 15});
    datakit::PutPlacementKey(o.keys, 1, 33);
    ASSERT_TRUE(datakit::WritePlacementFile("Objects/Keys.bin", {o}));
    LoadObjectPlacements(&t.type, "Objects/Keys.bin");
    ASSERT_EQ(t.type.liveCount, 1u);
    EXPECT_EQ(t.At(1)->header, t.Header(1)) << "nothing written past the instance";
    EXPECT_EQ(t.At(0)->keys[0], 2);
    EXPECT_EQ(t.At(0)->keys[1], 33) << "the key after the skipped one is read in step";

    FreeObjectType(&t.type);
    EXPECT_EQ(t.type.propertyCount, 3u) << "still held by the second stage";
    FreeObjectType(&t.type);
    EXPECT_EQ(t.type.propertyCount, 0u);
    EXPECT_EQ(t.type.properties, nullptr);
}

} // namespace
