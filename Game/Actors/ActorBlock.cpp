#include "Game/Actors/ActorBlock.h"

#include <cstdlib>
#include <cstring>

#include "Engine/Common/Anim.h"
#include "Engine/Common/AssetReader.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/StageSwitch.h"
#include "Game/Actors/StageSettings.h"

ObjectType* actorTypeList[actorTypeListSize];
u16 actorTypeCount;
u32 vanquishedCount;

namespace {

constexpr f32 defaultValues[actorValueCount] = {
    0.2f,     // groundFriction
    0.1f,     // groundAccel
    0.15f,    // groundBrake
    6.0f,     // maxGroundSpeed
    0.2f,     // airFriction
    0.4f,     // airAccel
    0.4f,     // airBrake
    8.0f,     // maxAirSpeed
    16.0f,    // maxFallSpeed
    4.0f,     // jumpSpeed
    1.0f,     // jumpCutSpeed
    0.21875f, // gravity
    0.21875f, // hurtGravity
    2.0f,     // value13
    3.0f,     // hurtDrag
};

constexpr f32 defaultHp = 16.0f;

// A stage loading itself again ran no unload, so its loads take no new use.
bool StageRestarting()
{
    return currentStage && currentStage == previousStage;
}

void ListActorType(ObjectType* type)
{
    if (actorTypeCount >= actorTypeListSize)
        return;
    for (u32 i = 0; i < actorTypeListSize; ++i) {
        if (!actorTypeList[i]) {
            actorTypeList[i] = type;
            ++actorTypeCount;
            return;
        }
    }
}

void FreeAttackRows(ActorProperties* properties)
{
    free(properties->attackRows);
    properties->attackRows = nullptr;
    properties->attackRowCount = 0;
}

} // namespace

void LoadEnemyProperties(ObjectType* type, ActorProperties* properties, const char* path)
{
    if (!properties)
        return;
    // Listed on every load, also when the record is already held from the stage before: the
    // stage's enemy count must see every type it loads.
    ListActorType(type);
    if (!StageRestarting()) {
        if (properties->useCount < 127)
            ++properties->useCount;
        if (properties->useCount > 1)
            return;
    }

    AssetReader reader{};
    if (!path || !OpenAssetReader(path, &reader))
        FormatDebugText("Can't open %s\n", path ? path : "(null)");
    // A missing file reads like an empty one: every value is built from the reader's end value.
    for (u32 i = 0; i < actorValueCount; ++i)
        properties->values[i] = ReadFixed16(&reader);
    properties->hp = (f32)ReadU8(&reader);
    for (u32 i = 0; i < actorFlagCount; ++i)
        properties->flags[i] = ReadU8(&reader) != 0;
    for (u32 i = 0; i < actorAnimCount; ++i)
        properties->anims[i] = (i8)ReadU8(&reader);

    const u8 skip = ReadU8(&reader);
    if (skip == 0) {
        // No row table: the rows read before stay.
        CloseAssetReader(&reader);
        return;
    }
    for (u32 i = 0; i < skip; ++i)
        ReadU8(&reader);
    const u16 rowCount = ReadU16BE(&reader);
    FreeAttackRows(properties);
    if (rowCount) {
        properties->attackRows = (AttackRow*)calloc(rowCount, sizeof(AttackRow));
        if (properties->attackRows)
            properties->attackRowCount = rowCount;
    }
    for (u32 i = 0; i < properties->attackRowCount; ++i) {
        AttackRow& row = properties->attackRows[i];
        row.flags = ReadU16BE(&reader);
        row.kind = ReadU8(&reader);
        row.hitlag = ReadU8(&reader);
        row.knockback = ReadFixed16(&reader);
        row.damage = ReadFixed16(&reader);
        row.angle = ReadU8(&reader);
    }
    CloseAssetReader(&reader);
}

void FreeEnemyProperties(ActorProperties* properties)
{
    if (!properties)
        return;
    const i8 uses = properties->useCount;
    if (uses > 0)
        --properties->useCount;
    if (uses > 1 && !forceFree)
        return;
    // Cleared as it is freed, so an unload past the last use frees nothing twice.
    FreeAttackRows(properties);
}

f32 ReadFixed16(AssetReader* reader)
{
    const u16 whole = ReadU16BE(reader);
    const u16 fraction = ReadU16BE(reader);
    return (f32)((double)whole + (double)fraction / 65535.0);
}

void InitEnemy(ActorBlock* actor, ObjectHeader* header, AnimPlayer* anim)
{
    if (!actor)
        return;
    // The back pointer belongs to the type's Bind and survives a respawn.
    void* const instance = actor->instance;
    memset(actor, 0, sizeof(*actor));
    actor->instance = instance;

    actor->header = header;
    actor->anim = anim;
    actor->boxAnimation = anim ? anim->animation : nullptr;
    memcpy(actor->values, defaultValues, sizeof(defaultValues));
    actor->hp = defaultHp;
    actor->flags[FlagKnockable] = true;
    actor->flags[FlagFaceAttacker] = true;
    actor->anims[JumpTakeoffFrame] = 0;
    for (u32 i = IdleAnim; i <= JumpAnim; ++i)
        actor->anims[i] = -1;
    for (u32 i = HurtAnim; i <= WallBounceAnim; ++i)
        actor->anims[i] = -1;
    actor->hitId = -1;
    actor->shakeLimit = 4;
    actor->shakeJitter = 1;
    actor->direction = 3;
    actor->slotInParent = 255;
    actor->hurtSound = -1;
    actor->deathSound = -1;
    if (!header)
        return;
    actor->spawnX = header->x;
    actor->spawnY = header->y;

    header->plane = 0;
    PutOnStageCollisionLayer(header);
    // The camera's bottom, left and right bounds stop an actor; its top bound does not.
    header->edgeFlags[0] = 0;
    header->edgeFlags[1] = 1;
    header->edgeFlags[2] = 1;
    header->edgeFlags[3] = 1;
}

void ApplyEnemyProperties(ActorProperties* properties, ActorBlock* actor)
{
    if (!properties || !actor)
        return;
    actor->properties = properties;
    memcpy(actor->values, properties->values, sizeof(actor->values));
    actor->hp = properties->hp;
    memcpy(actor->flags, properties->flags, sizeof(actor->flags));
    memcpy(actor->anims, properties->anims, sizeof(actor->anims));
}

void ClearActorTypeList()
{
    for (u32 i = 0; i < actorTypeListSize; ++i)
        actorTypeList[i] = nullptr;
    actorTypeCount = 0;
    vanquishedCount = 0;
}

const AttackRow* AttackRowAt(const ActorProperties* properties, u32 row)
{
    if (!properties || !properties->attackRows || row >= properties->attackRowCount)
        return nullptr;
    return &properties->attackRows[row];
}

bool AttachActor(ActorBlock* parent, ActorBlock* child)
{
    if (!parent || !child)
        return false;
    for (u8 slot = 0; slot < 8; ++slot) {
        if (parent->children[slot])
            continue;
        parent->children[slot] = child;
        ++parent->childCount;
        child->parent = parent;
        child->slotInParent = slot;
        return true;
    }
    return false;
}

void DetachActor(ActorBlock* child)
{
    if (!child)
        return;
    ActorBlock* owner = child->parent;
    if (owner && child->slotInParent < 8 && owner->children[child->slotInParent] == child) {
        owner->children[child->slotInParent] = nullptr;
        if (owner->childCount)
            --owner->childCount;
    }
    child->parent = nullptr;
    child->slotInParent = 255;
}
