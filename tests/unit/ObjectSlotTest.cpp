// Moving an object type to a fixed registry slot: the update order follows the slot, a type that
// held the slot swaps places, the registry grows for a slot past it, and despawns still find the
// type through the slot in their headers.
#include "tests/unit/ObjectProbe.h"

namespace {

class ObjectSlotTest : public ObjectTest {};

TEST_F(ObjectSlotTest, AMovedTypeUpdatesInItsNewPlace)
{
    ProbeType& a = Make();
    ProbeType& b = Make();
    ProbeType& c = Make();
    Register(a);
    Register(b);
    Register(c);
    ASSERT_EQ(a.type.typeIndex, 0u);
    ASSERT_EQ(c.type.typeIndex, 2u);
    SpawnObject(&a.type, 0.0f, 0.0f, 0, 0);
    SpawnObject(&c.type, 0.0f, 0.0f, 0, 0);

    // Into an occupied slot: the two swap, and both pools' headers follow.
    ASSERT_TRUE(MoveObjectTypeToSlot(&a.type, 2));
    EXPECT_EQ(objectTypes[2], &a.type);
    EXPECT_EQ(objectTypes[0], &c.type);
    EXPECT_EQ(a.type.typeIndex, 2u);
    EXPECT_EQ(c.type.typeIndex, 0u);
    for (u32 i = 0; i < a.type.poolSize; ++i)
        ASSERT_EQ(a.Header(i)->typeIndex, 2u);
    for (u32 i = 0; i < c.type.poolSize; ++i)
        ASSERT_EQ(c.Header(i)->typeIndex, 0u);
    EXPECT_EQ(objectTypeCount, 3u);

    UpdateObjects();
    std::vector<const ObjectType*> order;
    for (const ProbeEvent& event : probe::log)
        if (event.what == 'U')
            order.push_back(event.type);
    EXPECT_EQ(order, (std::vector<const ObjectType*>{&c.type, &a.type}));

    DespawnObject(a.Header(0));
    EXPECT_EQ(a.type.liveCount, 0u);
    EXPECT_TRUE(c.Header(0)->alive);

    // Past the registry: it grows, and the old slot is left free for the next type.
    const u32 far = objectTypeCapacity + 40;
    ASSERT_TRUE(MoveObjectTypeToSlot(&b.type, far));
    ASSERT_GT(objectTypeCapacity, far);
    EXPECT_EQ(objectTypes[far], &b.type);
    EXPECT_EQ(objectTypes[1], nullptr);
    EXPECT_EQ(b.Header(0)->typeIndex, far);
    ProbeType& d = Make();
    Register(d);
    EXPECT_EQ(d.type.typeIndex, 1u);

    // Its own slot is no move; a type outside the registry cannot move.
    EXPECT_TRUE(MoveObjectTypeToSlot(&b.type, far));
    ProbeType& loose = Make();
    EXPECT_FALSE(MoveObjectTypeToSlot(&loose.type, 5));
    EXPECT_FALSE(MoveObjectTypeToSlot(&a.type, 0x10000));
    EXPECT_EQ(objectTypes[2], &a.type);
}

} // namespace
