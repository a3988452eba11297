// Hit resolution. Every box registered this frame sits on the Hazard type's callback list; each box
// in use runs that list in its late update, so every pair of boxes meets once from each side. The
// registered box A is the potential victim, the running box B the attacker.
#include "Game/Actors/HitResolution.h"

#include <cmath>

#include "Engine/Collision/Angles.h"
#include "Engine/Collision/BoxTests.h"
#include "Engine/Common/PortableMath.h"
#include "Engine/Common/Random.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/GameThread.h"
#include "Game/Actors/ActorBlock.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/Effects.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"
#include "Game/World/BreakWall.h"
#include "Game/World/Corn.h"

namespace {

// Body animations of a sliding player, which corn lets through.
constexpr u16 slideRight = 41, slideLeft = 42;

constexpr i16 lethalHitlag = 38;
constexpr i16 cornHitlag = 2;
constexpr f32 hangingBounceKnockback = 8.0f;
constexpr u8 airKnockRight = 0x18, airKnockLeft = 0x68;
constexpr f32 airKnockScale = 1.8f;
constexpr f32 hitstunPerKnockback = 3.0f;
constexpr f64 degreesPerStep = 1.40625; // 360 / 256
constexpr f64 pi = 3.14159265358979323846;
constexpr u32 killScore = 25;

ObjectType* TypeOf(const ActorBlock* actor)
{
    return actor->header ? actor->header->type : nullptr;
}

u32 IndexOf(const ActorBlock* actor)
{
    return actor->header ? actor->header->index : 0;
}

bool IsWhip(const ObjectType* type)
{
    return type == &Whip;
}

// The record of a player whose block is this one.
PlayerRecord* PlayerOf(ActorBlock* actor)
{
    ObjectHeader* header = actor->header;
    if (!header || header->type != &Player || !playerInstances || header->index >= Player.poolSize)
        return nullptr;
    PlayerRecord* player = playerInstances[header->index];
    return player && &player->actor == actor ? player : nullptr;
}

// The record of what touched an actor: the later steps and the actor's own type read it.
void Touch(ActorBlock* victim, ActorBlock* toucher)
{
    victim->lastHitter = toucher;
    victim->lastHitterType = TypeOf(toucher);
    victim->lastHitterIndex = IndexOf(toucher);
    victim->touched = 1;
}

void TouchWithKind(ActorBlock* victim, ActorBlock* toucher, u8 kind)
{
    Touch(victim, toucher);
    // A damaged properties file can name kinds past the four; they mark nothing.
    if (kind <= BoxTouch)
        victim->touchedKinds |= (u8)(1u << kind);
}

void BoxEdges(const AttackBox* box, i64 out[4])
{
    out[0] = box->left;
    out[1] = box->right;
    out[2] = box->top;
    out[3] = box->bottom;
}

} // namespace

ActorBlock* ActorOfHeader(ObjectHeader* header)
{
    if (!header || !header->type)
        return nullptr;
    ObjectType* type = header->type;
    if (!type->instanceTable || header->index >= type->poolSize || type->pool[header->index] != header)
        return nullptr;
    void* instance = type->instanceTable[header->index];
    if (!instance || type->instanceSize < sizeof(ObjectHeader*) + sizeof(ActorBlock))
        return nullptr;
    ActorBlock* actor = (ActorBlock*)((ObjectHeader**)instance + 1);
    return actor->header == header ? actor : nullptr;
}

bool ResolveAttackHit(void* registered, void* attacking)
{
    AttackBox* a = (AttackBox*)registered;
    AttackBox* b = (AttackBox*)attacking;
    if (!a || !b || !a->inUse || !b->inUse || !a->owner || !b->owner)
        return true;
    ActorBlock* oA = a->owner;
    ActorBlock* oB = b->owner;
    ObjectHeader* hA = oA->header;
    ObjectHeader* hB = oB->header;
    if (!hA || !hB)
        return true;
    ObjectType* tA = hA->type;
    ObjectType* tB = hB->type;
    const u32 iB = hB->index;
    const bool victimIsCorn = tA == &Corn;

    if ((victimIsCorn && tB == &Corn) || oA->defeated || oB->defeated)
        return true;
    if (tA == tB && hA->index == iB)
        return true;
    bool sameType = (oA->sameTypeNoHit || oB->sameTypeNoHit) && tA == tB;

    // Attached objects (a player and its whip) never meet.
    if (oA->parent == oB)
        return true;
    for (ActorBlock* child : oA->children)
        if (child && child == oB)
            return true;

    if (!(a->right >= b->left && b->right >= a->left && a->bottom >= b->top && b->bottom >= a->top))
        return true;

    bool repeat = oA->hitId >= 0 && oA->hitId == oB->hitId && oA->lastHitterType == tB && oA->lastHitterIndex == iB;

    if (victimIsCorn) {
        const PlayerRecord* slider = tB == &Player ? PlayerOf(oB) : nullptr;
        if (slider && (slider->anim.animIndex == slideRight || slider->anim.animIndex == slideLeft))
            return true;
        if (b->kind == BoxTouch)
            return true;
    }

    if (oA->clash || oB->clash) {
        if (IsWhip(tB))
            repeat = true;
        if (b->kind == BoxAttack && a->kind == BoxHurt && oA->clash) {
            oA->hurt = 1;
            sameType = true;
            repeat = true;
        }
    }

    oB->touchFlags = a->flags;
    oA->touchFlags = b->flags;
    if ((a->flags & BoxSolid) && (b->flags & BoxSolid)) {
        i64 boxA[4], boxB[4];
        BoxEdges(a, boxA);
        BoxEdges(b, boxB);
        if (BoxInsideTest(boxB, boxA, 2)) {
            if (hB->vy > 0.0f)
                hB->vy = 0.0f;
            oB->floorContact = 1;
            hB->contacts[3] = 1;
            hB->groundContact = 1;
        }
        if (BoxInsideTest(boxB, boxA, 3)) {
            oB->ceilingContact = 1;
            hB->contacts[2] = 1;
        }
    }

    if ((a->flags & BoxClash) && (b->flags & BoxClash)) {
        Touch(oA, oB);
        return true;
    }
    if (sameType) {
        Touch(oA, oB);
        return true;
    }
    if (a->kind != BoxHurt || (b->kind != BoxAttack && b->kind != BoxAttackFresh)) {
        TouchWithKind(oA, oB, b->kind);
        return true;
    }
    if ((a->flags & BoxWhipProof) && IsWhip(tB))
        return true;
    if (repeat)
        return false;
    if (b->flags & BoxOncePerAttack) {
        if (oA->lastSerialTaken == oB->attackSerial)
            return false;
        oA->lastSerialTaken = oB->attackSerial;
    }
    if ((b->flags & BoxMatchFlag) && !(a->flags & BoxMatchFlag)) {
        Touch(oA, oB);
        return true;
    }

    // The hit. Sparks midway between the two owners, one layer above the boxes.
    ObjectHeader* spark = nullptr;
    if (!victimIsCorn) {
        const f32 x = a->header->x - (a->header->x - b->header->x) * 0.5f;
        lastSpawnedInstance = nullptr;
        SpawnObject(&Explosion, x, b->header->y, (u8)((GameRand() >> 14) + 2), 0);
        if (lastSpawnedInstance) {
            spark = HeaderOf(lastSpawnedInstance);
            spark->drawLayer = (u8)(a->header->drawLayer + 1);
        }
    }

    oA->hurt = 1;
    oA->hp -= b->damage;
    oA->hitId = oB->hitId;
    TouchWithKind(oA, oB, b->kind);

    // A player's hit from the rope or from a flight changes the blow (and so every later exchange of
    // this box in the frame) and may bounce the player off.
    if (PlayerRecord* attacker = tB == &Player ? PlayerOf(oB) : nullptr) {
        ObjectHeader* p = attacker->header;
        if (attacker->state == PlayerStateHanging) {
            b->knockback = hangingBounceKnockback;
            b->angle = VectorToAngle(p->vx, p->vy);
            PlayerBounceOff(attacker);
        } else if (attacker->state == PlayerStateAir && p->vx != 0.0f) {
            if (oA->flags[FlagKnockable]) {
                b->angle = p->vx > 0.0f ? airKnockRight : airKnockLeft;
                b->knockback = std::trunc(std::fabs(p->vx)) * airKnockScale;
            } else {
                PlayerBounceOff(attacker);
            }
        }
    }

    oA->knockback = b->knockback;
    oB->hitlag = oA->hitlag = b->hitlag;
    if (IsWhip(tB) && oA->whipNoHitlag)
        oA->hitlag = 0;
    if (victimIsCorn && tB == &Player) {
        oA->hitlag = oB->hitlag = cornHitlag;
        oA->hurt = 1;
    }
    oA->hitstun = (i16)std::trunc(oA->knockback * hitstunPerKnockback);

    if (oA->flags[FlagKnockable] && !IsWhip(tB)) {
        hA->groundContact = 0;
        hA->lastGroundContact = 0;
        const f64 theta = (f64)b->angle * degreesPerStep * pi / 180.0;
        const f64 s = (f64)oA->knockback - (f64)oA->values[HurtDrag] * 0.5;
        f64 sine, cosine;
        PortableSinCos(theta, &sine, &cosine); // the same knockback in every build
        hA->vx = (f32)(cosine * s);
        hA->vy = (f32)(sine * s);
        // The victim faces back toward the attacker.
        if (hA->vx > 0.0f)
            hA->flipX = 1;
        else if (hA->vx < 0.0f)
            hA->flipX = 0;
    }
    if (oA->flags[FlagFaceAttacker] && hA->groundContact)
        hA->flipX = hB->flipX ? 0 : 1;
    if (oA->anims[HurtAnim] >= 0 && oA->hurt && oA->anim && oA->anim->set)
        StartAnim(oA->anim, (u16)oA->anims[HurtAnim]);

    if (PlayerRecord* victim = tA == &Player ? PlayerOf(oA) : nullptr) {
        if (victim->invulnerable) {
            oA->hitlag = 0;
            oB->hitlag = 0;
            oA->hurt = 1;
            if (spark)
                DespawnObject(spark);
            return true;
        }
        // The player's health is its own count; the block's hit points only keep it in play.
        oA->hp = 255.0f;
        hA->flipX = 0;
        victim->facing = hB->flipX ? 0 : 1;
        PlayerTakeHit(victim, hB);
    }

    QueueSoundAt((u16)enemyHitSound, b->knockback * 100.0f + 44100.0f + (f32)(GameRand() / 16) - 100.0f);
    if (oA->hurtSound >= 0) {
        QueueSoundAt((u16)oA->hurtSound, (f32)(GameRand() / 2 + 36100));
        if (IsWhip(tB) && oA->whipNoHitlag)
            StopSound((u16)oA->hurtSound);
    }

    if (PlayerRecord* scorer = tB == &Player ? PlayerOf(oB) : nullptr) {
        if (PlayerProgress* progress = scorer->progress) {
            if (oA->hp > 0.0f) {
                if (!(a->flags & BoxWhipProof)) {
                    const f64 score = (f64)progress->score + ((f64)b->damage * 0.25 + 1.0) * 5.0;
                    progress->score = score >= 4294967295.0 ? 0xFFFFFFFFu : (u32)score;
                }
            } else if (tA != &BreakWall) {
                progress->score += killScore;
            }
        }
    }

    if (oA->hp <= 0.0f) {
        oA->hitlag = lethalHitlag;
        ApplyHitlagShake(oA);
    }
    return false;
}

u8 ApplyHitlagShake(ActorBlock* actor)
{
    if (actor->hitlag < 1) {
        if (actor->hitstun > 0)
            --actor->hitstun;
        actor->shakeX = 0.0f;
        actor->shakeY = 0.0f;
        return 0;
    }

    --actor->hitlag;
    actor->shakeOnX = actor->header && actor->header->groundContact ? 1 : 0;
    const i32 h = actor->hitlag;
    const i32 r = GameRand() >> 14;
    i32 offset = 0;
    switch (h % 3) {
    case 1:
        offset = r ? h : -h;
        break;
    case 2:
        offset = r ? -h : h;
        break;
    default:
        break;
    }

    // A little jitter round the swing, which the limit is centred on.
    const i32 jitter = actor->shakeJitter;
    i32 divisor = 32767 / (2 * jitter + 1) + 1;
    if (divisor == 0)
        divisor = 1;
    const i32 j = GameRand() / divisor - jitter;
    const i32 limit = actor->shakeLimit;
    if (offset < j - limit)
        offset = j - limit;
    if (offset > j + limit)
        offset = j + limit;
    // The attacker only trembles.
    if (!actor->hurt) {
        if (offset < -1)
            offset = -1;
        if (offset > 1)
            offset = 1;
    }
    if (actor->shakeOnX) {
        actor->shakeX = (f32)offset;
        actor->shakeY = 0.0f;
    } else {
        actor->shakeX = 0.0f;
        actor->shakeY = (f32)offset;
    }

    if (!actor->moveDuringHitlag) {
        actor->stepped = 0;
        return 0;
    }
    return actor->stepped;
}
