// Wagon: the body and its two wheels are instances of one type. The wheels roll on the collision
// layer like any body; the body's LateUpdate does all the work: it follows the leading wheel,
// drags the other to its distance, shares the speed, moves both, and serves the players and whips.
#include "Game/World/Wagon.h"

#include <cmath>
#include <initializer_list>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/BoxTests.h"
#include "Engine/Collision/Motion.h"
#include "Engine/Collision/MotionScratch.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/ObjectUpdate.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/PortableMath.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Actors/AttackBoxes.h"
#include "Game/Actors/EnemyLibrary.h"
#include "Game/Actors/StageSettings.h"
#include "Game/Player/Player.h"
#include "Game/Whip/Whip.h"

ObjectType Wagon;
WagonRecord** wagonInstances;
AnimSet wagonAnimSet;
ActorProperties wagonProperties;

namespace {

constexpr u32 noWheel = 0xFFFFFFFFu;

// Animations of the set: the body, then hub, rim and spokes of the left and of the right wheel.
constexpr u16 bodyAnimIndex = 0;
constexpr u16 hubAnims[3] = {1, 1, 4};
constexpr u16 wheelAnims[3] = {2, 2, 5};
constexpr u16 spokeAnims[3] = {3, 3, 6};

constexpr u8 frontLayer = 13;

i32 Trunc(f32 value)
{
    return (i32)value;
}

bool Live(const ObjectHeader* header)
{
    return header && header->spawned && header->alive && !header->free;
}

// A wheel of the body, or null when the index no longer names a live wheel.
WagonRecord* WheelAt(u32 index)
{
    if (index == noWheel || index >= Wagon.poolSize || !wagonInstances)
        return nullptr;
    WagonRecord* wheel = wagonInstances[index];
    return wheel && Live(wheel->header) && wheel->header->spawnA != WagonBody ? wheel : nullptr;
}

void StartCursor(AnimPlayer* cursor, u16 animation)
{
    cursor->set = &wagonAnimSet;
    StartAnim(cursor, animation);
}

// Rolling friction: toward 0 without crossing it.
f32 Rolled(f32 speed)
{
    if (speed > 0.0f)
        return speed > wagonFriction ? speed - wagonFriction : 0.0f;
    if (speed < 0.0f)
        return speed < -wagonFriction ? speed + wagonFriction : 0.0f;
    return speed;
}

i32 Clamp(i32 value, i32 low, i32 high)
{
    return value < low ? low : value > high ? high : value;
}

// The 32 x 32 box on the deck nearest to an x: its top follows the deck's tilt.
void DeckBoxAt(i64 box[4], const ObjectHeader* body, f32 x, f32 c, f32 s)
{
    i32 d = Clamp(Trunc(x) - Trunc(body->x), -80, 80);
    const i32 top = Trunc((f32)Trunc(body->y) - 26.0f + (f32)d * s);
    d = Clamp(d, -64, 64);
    const i32 left = Trunc((f32)Trunc(body->x) + 26.0f * s + (f32)d * c - 16.0f);
    box[0] = left;
    box[1] = left + 32;
    box[2] = top;
    box[3] = top + 32;
}

void CopyToHitbox(ObjectHeader* header, const i64 box[4])
{
    header->hitboxLeft = box[0];
    header->hitboxRight = box[1];
    header->hitboxTop = box[2];
    header->hitboxBottom = box[3];
}

u64 ContactOf(const ObjectHeader* header)
{
    return (u64)(uintptr_t)header;
}

// The leading wheel sets the body's place; the other keeps 79-81 px (scaled by the turn) behind.
void KeepSpacing(ObjectHeader* body, ObjectHeader* L, ObjectHeader* R, f32 c, f32 s)
{
    if (std::fabs(R->groundSpeed) > std::fabs(L->groundSpeed)) {
        const bool grounded = R->groundContact != 0;
        if (grounded) {
            if (body->x + 81.0f * c > R->x)
                body->x = R->x - 81.0f * c;
            if (R->x > body->x + 79.0f * c)
                body->x = R->x - 79.0f * c;
            if (body->y + 86.0f * s > R->y)
                body->y = R->y - 86.0f * s;
            if (R->y > body->y + 74.0f * s)
                body->y = R->y - 74.0f * s;
        }
        if (body->x - 81.0f * c > L->x)
            L->x = body->x - 81.0f * c;
        if (L->x > body->x - 79.0f * c)
            L->x = body->x - 79.0f * c;
        if (body->y - 74.0f * s > L->y)
            L->y = body->y - 74.0f * s;
        if (L->y > body->y - 86.0f * s)
            L->y = body->y - 86.0f * s;
        if (!grounded)
            return;
        R->groundSpeed = Rolled(R->groundSpeed);
        L->groundSpeed = R->groundSpeed;
        return;
    }
    if (body->x - 81.0f * c > L->x)
        body->x = L->x + 81.0f * c;
    if (L->x > body->x - 79.0f * c)
        body->x = L->x + 79.0f * c;
    if (body->y - 86.0f * s > L->y)
        body->y = L->y + 86.0f * s;
    if (L->y > body->y - 74.0f * s)
        body->y = L->y + 74.0f * s;
    if (body->x + 81.0f * c > R->x)
        R->x = body->x + 81.0f * c;
    if (R->x > body->x + 79.0f * c)
        R->x = body->x + 79.0f * c;
    if (body->y + 74.0f * s > R->y)
        R->y = body->y + 74.0f * s;
    if (R->y > body->y + 86.0f * s)
        R->y = body->y + 86.0f * s;
    if (!L->groundContact)
        return;
    L->groundSpeed = Rolled(L->groundSpeed);
    R->groundSpeed = L->groundSpeed;
}

// Downhill roll, the turn of the wheel and its animation speeds.
void RollWheel(WagonRecord* wheel)
{
    ObjectHeader* h = wheel->header;
    if (h->groundContact) {
        h->groundSpeed += (f32)sinTable[(u8)Trunc(h->angle)] * 0.3f / 256.0f;
        h->rotation += 2.0f * h->groundSpeed;
        wheel->hubAnim.speed = (u16)Trunc(std::fabs(h->groundSpeed * 4.0f));
    } else {
        h->vy += 0.1f;
        h->plane = PlaneFloor;
    }
    wheel->wheelAnim.speed = (u16)(wheel->hubAnim.speed * 2);
}

void ServePlayers(WagonRecord* wagon, WagonRecord* left, WagonRecord* right, f32 c, f32 s)
{
    if (!Player.loadCount || !playerInstances)
        return;
    ObjectHeader* body = wagon->header;
    ObjectHeader* L = left->header;
    ObjectHeader* R = right->header;
    for (u32 i = 0; i < Player.poolSize; ++i) {
        PlayerRecord* player = playerInstances[i];
        if (!player || !Live(player->header) || player->editing)
            continue;
        ObjectHeader* p = player->header;
        DeckBoxAt(wagon->deckBox, body, p->x, c, s);
        CopyToHitbox(body, wagon->deckBox);
        const i32 deckTop = (i32)wagon->deckBox[2];

        if (p->contacts[1] && body->x > p->x && body->y - 24.0f < p->y && p->y < body->y + 32.0f) {
            if (L->groundSpeed < wagonPushLimit)
                L->groundSpeed += wagonPushStep;
        }
        if (p->contacts[0] && p->x > body->x && body->y - 24.0f < p->y && p->y < body->y + 24.0f) {
            if (R->groundSpeed > -wagonPushLimit)
                R->groundSpeed -= wagonPushStep;
            L->groundSpeed = R->groundSpeed;
        }
        if (p->groundContact == ContactOf(body))
            TryMoveOnPlane(player, player->actor.anim, wagon->moveX,
                           (f32)(deckTop - Trunc(p->y) - (i32)p->hitboxBottom), 0.0f, false, p);

        i64 box[4];
        GetAnimFrameBox(box, p, player->actor.anim);
        const i64 deck[4] = {body->hitboxLeft, body->hitboxRight, body->hitboxTop, body->hitboxBottom};
        if (BoxOverlapResolve(box, deck, player, body, player->actor.anim) == 3)
            p->contacts[3] = ContactOf(body);
    }
}

void ServeWhips(WagonRecord* wagon, WagonRecord* left, WagonRecord* right, f32 c, f32 s)
{
    if (!Whip.loadCount || !whipInstances)
        return;
    ObjectHeader* body = wagon->header;
    for (u32 i = 0; i < Whip.poolSize; ++i) {
        WhipRecord* whip = whipInstances[i];
        if (!whip || !Live(whip->header))
            continue;
        ObjectHeader* tip = whip->header;
        DeckBoxAt(wagon->hookBox, body, tip->x, c, s);
        if (whip->hookedObject != body)
            continue;
        CopyToHitbox(body, wagon->hookBox);
        tip->x = body->x - s * wagon->hookY - c * wagon->hookX;
        tip->y = body->y + c * wagon->hookY - s * wagon->hookX;

        // The rope pulls the cart along unless its player rides it.
        PlayerRecord* player = WhipPlayer(whip);
        if (!player || !player->header || player->header->groundContact == ContactOf(body))
            continue;
        const f32 pull = whip->groundPullX;
        const f32 playerVx = player->header->vx;
        for (WagonRecord* wheel : {left, right}) {
            ObjectHeader* h = wheel->header;
            if (pull < 0.0f && playerVx > 0.0f && h->groundSpeed < -pull) {
                h->vx += wagonPullStep;
                h->groundSpeed = h->vx;
            } else if (pull > 0.0f && playerVx < 0.0f && h->groundSpeed > -pull) {
                h->vx -= wagonPullStep;
                h->groundSpeed = h->vx;
            }
        }
    }
}

void DrawBoxOutline(const i64 box[4], u8 colour)
{
    const i32 l = (i32)box[0] - scrollX, r = (i32)box[1] - scrollX;
    const i32 t = (i32)box[2] - scrollY, b = (i32)box[3] - scrollY;
    if (!rendererSlots.DrawHLine || !rendererSlots.DrawVLine)
        return;
    rendererSlots.DrawHLine(l, t, r, colour);
    rendererSlots.DrawHLine(l, b, r, colour);
    rendererSlots.DrawVLine(l, t, b, colour);
    rendererSlots.DrawVLine(r, t, b, colour);
}

const SpriteImage* FrameImage(const AnimPlayer* cursor, u16 frame)
{
    if (!cursor->animation || !cursor->animation->frames || !cursor->animation->frameCount)
        return nullptr;
    const u16 last = (u16)(cursor->animation->frameCount - 1);
    return &cursor->animation->frames[frame > last ? last : frame].image;
}

void DrawWheel(const WagonRecord* wheel)
{
    const ObjectHeader* h = wheel->header;
    if (!rendererSlots.DrawSprite)
        return;
    for (i32 k = 0; k < 8; ++k) {
        const i32 angle = Trunc(32.0f * (f32)k + h->rotation);
        drawFlags = 0x2000;
        spriteScaleX = spriteScaleY = 512;
        blendLevel = 255;
        blendMode = 0;
        spriteAngle = angle;
        const SpriteImage* spoke = FrameImage(&wheel->spokeAnim, (u16)((u8)angle / 44));
        if (spoke)
            rendererSlots.DrawSprite(spoke, scrollX, scrollY, Trunc(h->x), Trunc(h->y));
    }
    RestDrawState();
    for (const AnimPlayer* cursor : {&wheel->hubAnim, &wheel->wheelAnim}) {
        const SpriteImage* image = FrameImage(cursor, cursor->frameIndex);
        if (image)
            rendererSlots.DrawSprite(image, scrollX, scrollY, Trunc(h->x), Trunc(h->y));
    }
}

} // namespace

// ---- Load and Unload ----

void WagonLoad(const char* placementPath)
{
    LoadAnim(wagonManPath, &wagonAnimSet);
    LoadEnemyProperties(&Wagon, &wagonProperties, wagonVepPath);
    Wagon.growthStep = 32;
    Wagon.updatePass = 4;
    Wagon.drawLayer = 5;
    Wagon.cullMarginX = 512;
    Wagon.cullMarginY = 512;
    RegisterObjectType(placementPath, &Wagon, (void***)&wagonInstances, sizeof(WagonRecord), ObjectNoOp,
                       WagonLateUpdate, WagonDraw, ObjectNoOp, ObjectNoOp, WagonReset, WagonInit, nullptr,
                       WagonLoad, WagonUnload);
    Wagon.EditorPreview = WagonEditorPreview;
    Wagon.EditorPlace = WagonEditorPlace;
    Wagon.placeable = 1;
    if (placeableTypeCount < 128)
        AddPlaceableType(&Wagon);
    if (Wagon.loadCount < 2) {
        SetObjectTypeName(&Wagon, "Wagon");
        Wagon.reserved = WagonSlot10;
    }
    if (placementPath)
        LoadObjectPlacements(&Wagon, placementPath);
}

void WagonUnload()
{
    FreeAnim(&wagonAnimSet);
    FormatDebugText("Value: %d", (i32)wagonProperties.useCount);
    FreeEnemyProperties(&wagonProperties);
    FreeObjectType(&Wagon);
}

// ---- Init and Reset ----

void WagonInit(void* instance)
{
    WagonRecord* wagon = (WagonRecord*)instance;
    wagon->leftWheel = wagon->rightWheel = noWheel;
    if (wagon->header->spawnA == WagonBody) {
        const u32 bodyIndex = wagon->header->index;
        wagon->header->drawLayer = 9;
        const f32 x = wagon->header->x, y = wagon->header->y;
        u32 wheels[2] = {noWheel, noWheel}; // right, left
        const u8 roles[2] = {WagonRightWheel, WagonLeftWheel};
        const u8 layers[2] = {9, frontLayer};
        for (int i = 0; i < 2; ++i) {
            lastSpawnedInstance = nullptr;
            const u32 index = SpawnObject(&Wagon, x, y, roles[i], 0);
            WagonRecord* wheel = (WagonRecord*)lastSpawnedInstance;
            if (!wheel)
                continue;
            wheels[i] = index;
            wheel->header->drawLayer = layers[i];
            wheel->header->x = x - 64.0f;
            wheel->header->y = y + 32.0f;
        }
        // A spawn may have grown the pool and moved every record: find ours again.
        wagon = wagonInstances[bodyIndex];
        for (WagonRecord* record : {wagon, WheelAt(wheels[0]), WheelAt(wheels[1])}) {
            if (!record)
                continue;
            record->rightWheel = wheels[0];
            record->leftWheel = wheels[1];
        }
    }
    WagonReset(wagon);
    InitEnemy(&wagon->actor, wagon->header, &wagon->wheelAnim);
    ApplyEnemyProperties(&wagonProperties, &wagon->actor);
}

void WagonReset(void* instance)
{
    WagonRecord* wagon = (WagonRecord*)instance;
    PutOnStageCollisionLayer(wagon->header);
    wagon->header->plane = PlaneFloor;
    if (!wagonAnimSet.loaded)
        return;
    const u8 role = wagon->header->spawnA < 3 ? wagon->header->spawnA : (u8)WagonLeftWheel;
    StartCursor(&wagon->bodyAnim, bodyAnimIndex);
    StartCursor(&wagon->hubAnim, hubAnims[role]);
    StartCursor(&wagon->wheelAnim, wheelAnims[role]);
    StartCursor(&wagon->spokeAnim, spokeAnims[role]);
}

// ---- LateUpdate ----

void WagonLateUpdate(void* instance)
{
    WagonRecord* wagon = (WagonRecord*)instance;
    ObjectHeader* body = wagon->header;
    if (body->spawnA != WagonBody)
        return;
    WagonRecord* left = WheelAt(wagon->leftWheel);
    WagonRecord* right = WheelAt(wagon->rightWheel);
    if (!left || !right)
        return;
    ObjectHeader* L = left->header;
    ObjectHeader* R = right->header;

    const f32 oldX = body->x;
    body->x = (R->x + L->x) / 2.0f;
    body->y = (R->y + L->y) / 2.0f;

    if (R->groundSpeed > wagonMaxSpeed)
        R->groundSpeed = L->groundSpeed = wagonMaxSpeed;
    if (L->groundSpeed > wagonMaxSpeed)
        R->groundSpeed = L->groundSpeed = wagonMaxSpeed;

    if (L->contacts[0] && L->plane == PlaneFloor) {
        L->groundSpeed = R->groundSpeed = 0.0f;
        L->x += 2.0f;
        R->x += 2.0f;
        body->x += 2.0f;
    }
    if (R->contacts[1] && R->plane == PlaneFloor) {
        R->contacts[1] = 0;
        L->groundSpeed = R->groundSpeed = 0.0f;
        L->x -= 2.0f;
        R->x -= 2.0f;
        body->x -= 2.0f;
        return;
    }

    const u8 a = (u8)Trunc(body->rotation);
    const f32 c = (f32)cosTable[a] / 327.68f;
    const f32 s = (f32)sinTable[a] / 327.68f;
    KeepSpacing(body, L, R, c, s);

    MoveOnPlane(left, &left->hubAnim);
    MoveOnPlane(right, &right->hubAnim);
    wagon->moveX = (f32)(Trunc(body->x) - Trunc(oldX));

    RollWheel(left);
    RollWheel(right);
    UpdateAnimPlayer(&right->hubAnim);
    UpdateAnimPlayer(&right->wheelAnim);
    UpdateAnimPlayer(&left->hubAnim);
    UpdateAnimPlayer(&left->wheelAnim);

    // The tilt steers the rider, so it must not hang on the C library's atan2f.
    body->rotation = (f32)PortableAtan2(R->y - L->y, R->x - L->x) * 57.295776f / 1.40625f;

    if (Player.loadCount)
        AddObjectCallback(&Player, WagonTouch, wagon);
    if (Whip.loadCount)
        AddObjectCallback(&Whip, WagonHookTouch, wagon);

    ServePlayers(wagon, left, right, c, s);
    ServeWhips(wagon, left, right, c, s);

    right->actor.anim = &right->hubAnim;
    left->actor.anim = &left->hubAnim;
    RegisterAttackBoxes(&right->actor);
    RegisterAttackBoxes(&left->actor);
}

// ---- Touch callbacks ----

bool WagonTouch(void* bodyInstance, void* playerInstance)
{
    WagonRecord* wagon = (WagonRecord*)bodyInstance;
    PlayerRecord* player = (PlayerRecord*)playerInstance;
    ObjectHeader* body = wagon->header;
    CopyToHitbox(body, wagon->deckBox);
    if (body == ignoredObject)
        return true;
    ObjectHeader* p = player->header;
    i64 P[4];
    GetAnimFrameBox(P, p, player->actor.anim);
    const i64 W[4] = {body->hitboxLeft, body->hitboxRight, body->hitboxTop, body->hitboxBottom};
    const u64 contact = ContactOf(body);
    if (p->groundContact == contact)
        p->vy = 0.0f;
    const bool acrossX = P[1] > W[0] && P[0] < W[1];
    const bool acrossY = P[3] > W[2] && P[2] < W[3];
    if (P[3] == W[2] && acrossX) {
        p->contacts[3] = contact;
        p->angle = body->rotation;
        if (p->vy > 0.0f)
            p->vy = 0.0f;
    } else if (P[1] == W[0] && acrossY) {
        p->contacts[1] = contact;
    } else if (P[0] == W[1] && acrossY) {
        p->contacts[0] = contact;
    } else if (P[2] == W[3] && acrossX) {
        p->contacts[2] = contact;
    }
    return true;
}

bool WagonHookTouch(void* bodyInstance, void* whipInstance)
{
    WagonRecord* wagon = (WagonRecord*)bodyInstance;
    WhipRecord* whip = (WhipRecord*)whipInstance;
    ObjectHeader* body = wagon->header;
    ObjectHeader* tip = whip->header;
    // Only a tip on its way out catches: a throw still winding up in the hand would hook the cart
    // with no line out, and a held hook must not catch again and restart its swing.
    if (!WhipTipCanCatch(whip))
        return true;
    const i32 dx = Trunc(tip->x) - Trunc(body->x);
    const i32 dy = Trunc(tip->y) - Trunc(body->y);
    const i64 left = Trunc(tip->x - 1.0f), right = Trunc(tip->x + 1.0f);
    const i64 top = Trunc(tip->y - 1.0f), bottom = Trunc(tip->y + 1.0f);
    if (right < wagon->hookBox[0] || left > wagon->hookBox[1] || bottom < wagon->hookBox[2] ||
        top > wagon->hookBox[3])
        return true;
    AttachWhipHook(whip);
    whip->hookedObject = body;
    tip->drawLayer = (u8)(body->drawLayer + 1);
    wagon->hookX = (f32)dx * 1.5f * -0.78125f;
    wagon->hookY = (f32)dy * 1.5f * 0.78125f;
    return true;
}

// ---- Draw ----

void WagonDraw(void* instance)
{
    WagonRecord* wagon = (WagonRecord*)instance;
    ObjectHeader* body = wagon->header;
    if (body->spawnA != WagonBody || !wagonAnimSet.loaded)
        return;
    WagonSlot10(wagon);
    if (currentDrawLayer < frontLayer) {
        SetSpriteTransform(body, 0);
        DrawAnimFrame(&wagon->bodyAnim, body);
        RestDrawState();
        if (drawQueueCount[frontLayer] < drawQueueLength)
            drawQueues[frontLayer][drawQueueCount[frontLayer]++] = DrawQueueEntry{&Wagon, instance};
        return;
    }
    for (WagonRecord* wheel : {WheelAt(wagon->leftWheel), WheelAt(wagon->rightWheel)})
        if (wheel)
            DrawWheel(wheel);
    if (debugView) {
        DrawBoxOutline(wagon->deckBox, 65);
        DrawBoxOutline(wagon->hookBox, 67);
    }
}

void WagonSlot10(void*)
{
    if (wagonAnimSet.loaded && wagonAnimSet.paletteCount && wagonAnimSet.palettes)
        SetCurrentPalette(wagonAnimSet.palettes[0]);
}

void WagonEditorPreview(void* cursor)
{
    DrawEnemyEditorPreview(&wagonAnimSet, cursor);
}

void WagonEditorPlace(void* cursor)
{
    const ObjectHeader* header = HeaderOf(cursor);
    SpawnObject(&Wagon, header->x, header->y, 0, 0);
}
