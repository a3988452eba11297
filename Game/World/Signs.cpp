// The text signs. A TutTxt sign stops the player who walks into it and types its pages out in a
// translucent panel at the top right; a press completes the page being typed, another skips the
// wait, and after its last page the player gets control back. TestText types a text out at a
// fixed rate wherever it is placed.
#include "Game/World/Signs.h"

#include <cstddef>
#include <cstdio>

#include "Engine/Common/Camera.h"
#include "Engine/Common/ObjectType.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Placement.h"
#include "Engine/Common/Sound.h"
#include "Engine/Platform/Config.h"
#include "Engine/Platform/Controls.h"
#include "Engine/Platform/GameThread.h"
#include "Engine/Render/AnimDraw.h"
#include "Engine/Render/DrawState.h"
#include "Engine/Render/VideoMode.h"
#include "Game/Player/Player.h"

ObjectType TutTxt;
TutTxtRecord** tutTxtInstances;
AnimSet tutorialAnimSet;
TextBlock tutorialTexts[tutorialTextCount];
TextBlock* tutorialPages[tutorialPageCount];
u32 tutTxtTouchSound, tutTxtTouchSound2;

ObjectType TestText;
TestTextRecord** testTextInstances;
TextBlock testTextBlock;

namespace {

// ---- TutTxt ----

constexpr u32 tutTxtGrowth = 32;
constexpr u8 tutTxtUpdatePass = 5;
constexpr u8 tutTxtDrawLayer = 14;

constexpr u8 panelAlpha = 96;
constexpr u8 panelStep = 4;
constexpr i16 pageWait = 480;   // ticks a complete page stays up
constexpr u16 nextPageShown = 10; // a following page starts with this much already shown
constexpr u16 minimumInvulnerable = 2;

const char* const tutorialFiles[tutorialTextCount] = {
    "Bones.btx",    "Slopes.btx",   "Zip1-1.btx", "Zip1-2.btx",   "Zip2.btx",   "Swing1-1.btx",
    "Swing1-2.btx", "Hidden.btx",   "Escape.btx", "Downhill.btx", "Swing2.btx", "Zip3.btx",
};
enum : u8 { Bones, Slopes, Zip1_1, Zip1_2, Zip2, Swing1_1, Swing1_2, Hidden, Escape, Downhill, Swing2, Zip3 };

// Ten pages for grapple style 0, then ten for style 1: the zip and swing lessons differ.
constexpr u8 pageTexts[tutorialPageCount] = {
    Bones, Slopes, Zip1_2, Zip2, Swing1_2, Hidden, Escape, Downhill, Swing2, Zip3,
    Bones, Slopes, Zip1_1, Zip2, Swing1_1, Hidden, Escape, Downhill, Swing2, Zip3,
};

u16 SignAnimation()
{
    return tutorialAnimSet.animCount >= 2 ? 1 : (u16)(tutorialAnimSet.animCount ? tutorialAnimSet.animCount - 1 : 0);
}

u16 TextLength(const TextBlock* text)
{
    return text && text->text ? text->length : 0;
}

bool LivePlayer(const ObjectHeader* header)
{
    return header && header->alive && !header->free && header->spawned;
}

void KeepInvulnerable(PlayerRecord* player)
{
    if (player->invulnerable < minimumInvulnerable)
        player->invulnerable = minimumInvulnerable;
}

} // namespace

TextBlock* TutorialPageText(u32 page)
{
    // A page past the table (a hostile "end" key) has no text: it is complete at once.
    const u32 entry = page + 10u * grappleStyle;
    return entry < tutorialPageCount ? tutorialPages[entry] : nullptr;
}

// ---- TutTxt: Load and Unload ----

void TutTxtLoad(const char* placementPath)
{
    LoadAnim("Data/Sprites/Stages/Graveyard/Tutorial.man", &tutorialAnimSet);
    tutTxtTouchSound = LoadSound("Data/SFX/Global/Land.wav");
    tutTxtTouchSound2 = LoadSound("Data/SFX/Global/Land.wav");
    char path[128];
    for (u32 i = 0; i < tutorialTextCount; ++i) {
        snprintf(path, sizeof(path), "Data/Text/English/Tutorial/%s", tutorialFiles[i]);
        LoadBraktext(path, &tutorialTexts[i]);
    }
    for (u32 i = 0; i < tutorialPageCount; ++i)
        tutorialPages[i] = &tutorialTexts[pageTexts[i]];

    AddPlacementProperty(&TutTxt, "start", 0, offsetof(TutTxtRecord, start));
    AddPlacementProperty(&TutTxt, "end", 0, offsetof(TutTxtRecord, end));

    TutTxt.growthStep = tutTxtGrowth;
    TutTxt.updatePass = tutTxtUpdatePass;
    TutTxt.drawLayer = tutTxtDrawLayer;
    TutTxt.cullMarginX = -1;
    TutTxt.cullMarginY = -1;
    RegisterObjectType(placementPath, &TutTxt, (void***)&tutTxtInstances, sizeof(TutTxtRecord), TutTxtUpdate,
                       TutTxtLateUpdate, TutTxtDraw, ObjectNoOp, ObjectNoOp, TutTxtReset, TutTxtInit, nullptr,
                       TutTxtLoad, TutTxtUnload);
    TutTxt.reserved = ObjectNoOp;
    TutTxt.EditorPreview = ObjectNoOp;
    TutTxt.EditorPlace = ObjectNoOp;
    TutTxt.placeable = 1;
    AddPlaceableType(&TutTxt);
    if (TutTxt.loadCount < 2)
        SetObjectTypeName(&TutTxt, "TutTxt");
    if (placementPath)
        LoadObjectPlacements(&TutTxt, placementPath);
}

void TutTxtUnload()
{
    for (TextBlock& text : tutorialTexts)
        if (text.loaded)
            FreeBraktext(&text);
    for (TextBlock*& page : tutorialPages)
        page = nullptr;
    FreeAnim(&tutorialAnimSet);
    FreeSound(tutTxtTouchSound);
    FreeSound(tutTxtTouchSound2);
    FreeObjectType(&TutTxt);
}

// ---- TutTxt: Init and Reset ----

void TutTxtInit(void* instance)
{
    TutTxtRecord* sign = (TutTxtRecord*)instance;
    sign->active = 0;
    sign->rearm = 0;
    sign->header->flash = 0;
    TutTxtReset(instance);
}

void TutTxtReset(void* instance)
{
    TutTxtRecord* sign = (TutTxtRecord*)instance;
    sign->page = 0;
    sign->shown = 0;
    sign->pageTimer = 0;
    if (tutorialAnimSet.loaded)
        SetAnim(&sign->anim, &tutorialAnimSet, SignAnimation(), 0, 1);
}

// ---- TutTxt: the touch, the panel and the pages ----

void TutTxtLateUpdate(void* instance)
{
    TutTxtRecord* sign = (TutTxtRecord*)instance;
    ObjectHeader* header = sign->header;
    if (!Player.registered || !playerInstances)
        return;

    if (sign->active) {
        for (u32 i = 0; i < Player.poolSize; ++i)
            if (LivePlayer(Player.pool[i]) && playerInstances[i] && !playerInstances[i]->editing)
                KeepInvulnerable(playerInstances[i]);
        return;
    }

    PlayerRecord* player = nullptr;
    for (u32 i = 0; i < Player.poolSize && !player; ++i)
        if (LivePlayer(Player.pool[i]) && playerInstances[i] && !playerInstances[i]->editing)
            player = playerInstances[i];
    if (!player || !player->header)
        return;

    i64 box[4], playerBox[4];
    GetAnimFrameBox(box, header, &sign->anim);
    header->hitboxLeft = box[0] - (i64)header->x;
    header->hitboxRight = box[1] - (i64)header->x;
    header->hitboxTop = box[2] - (i64)header->y;
    header->hitboxBottom = box[3] - (i64)header->y;
    GetAnimFrameBox(playerBox, player->header, &player->anim);
    const bool touching =
        box[0] <= playerBox[1] && playerBox[0] <= box[1] && box[2] <= playerBox[3] && playerBox[2] <= box[3];
    // A player still standing in the sign when its last page closes would be caught again at once,
    // and for good: the sign waits until the player has stepped off.
    if (sign->rearm) {
        if (!touching)
            sign->rearm = 0;
        return;
    }
    if (!touching)
        return;

    QueueSound((u16)tutTxtTouchSound);
    sign->page = sign->start;
    sign->active = 1;
    sign->shown = 0;
    KeepInvulnerable(player);
    player->header->vx = 0.0f;
    player->header->vy = 0.0f;
    player->header->groundSpeed = 0.0f;
    // The player stands still until the last page is done: its masks stay empty.
    const u32 slot = player->player & (playerCount - 1);
    playerControls[slot].heldMask = 0;
    playerControls[slot].pressedMask = 0;
    controlModes[slot] = ControlUntouched;
}

void TutTxtUpdate(void* instance)
{
    TutTxtRecord* sign = (TutTxtRecord*)instance;
    ObjectHeader* header = sign->header;
    if (!sign->active) {
        header->flash = header->flash > panelStep ? (u8)(header->flash - panelStep) : 0;
    } else if (header->flash < panelAlpha) {
        header->flash = (u8)(header->flash + panelStep);
    } else {
        // Player 1's own buttons, whatever its control mode: the frozen player still reads the sign.
        const bool pressed = liveControls[0].pressedMask != 0;
        const u16 length = TextLength(TutorialPageText(sign->page));
        if (sign->shown < length) {
            ++sign->shown;
            QueueSound((u16)landSound);
            if (pressed)
                sign->shown = length;
        } else {
            const i16 taken = pressed ? pageWait : sign->pageTimer;
            sign->pageTimer = (i16)(taken + 1);
            if (taken >= pageWait) {
                sign->pageTimer = 0;
                if (sign->page < sign->end) {
                    ++sign->page;
                    const u16 next = TextLength(TutorialPageText(sign->page));
                    sign->shown = next < nextPageShown ? next : nextPageShown;
                } else {
                    sign->active = 0;
                    sign->page = 0;
                    sign->shown = 0;
                    sign->rearm = 1;
                    controlModes[0] = ControlLive;
                }
            }
        }
    }
    UpdateAnimPlayer(&sign->anim);
}

void TutTxtDraw(void* instance)
{
    TutTxtRecord* sign = (TutTxtRecord*)instance;
    const ObjectHeader* header = sign->header;
    if (tutorialAnimSet.loaded && tutorialAnimSet.paletteCount)
        SetCurrentPalette(tutorialAnimSet.palettes[0]);
    DrawAnimFrame(&sign->anim, header);
    // The board itself: the first frame of the first animation.
    if (tutorialAnimSet.loaded && tutorialAnimSet.animCount && tutorialAnimSet.animations[0].frames &&
        rendererSlots.DrawSprite)
        rendererSlots.DrawSprite(&tutorialAnimSet.animations[0].frames[0].image, scrollX, scrollY,
                                 TruncateToI32(header->x), TruncateToI32(header->y));

    if (header->flash == 0)
        return;
    blendLevel = header->flash;
    blendMode = 2;
    if (textFont.loaded && textFont.paletteCount)
        SetCurrentPalette(textFont.palettes[0]);
    if (rendererSlots.FillRect)
        rendererSlots.FillRect(200, 0, 424, 80, 2);
    blendMode = 0;
    DrawText(TutorialPageText(sign->page), sign->shown, tutorialBoxX, tutorialBoxY, tutorialBoxWidth);
}

// ---- TestText ----

namespace {

constexpr u32 testTextGrowth = 32;
constexpr u8 testTextUpdatePass = 5;
constexpr u8 testTextDrawLayer = 15;

} // namespace

void TestTextLoad(const char* placementPath)
{
    LoadBraktext("Data/Text/English/test.btx", &testTextBlock);
    TestText.growthStep = testTextGrowth;
    TestText.updatePass = testTextUpdatePass;
    TestText.drawLayer = testTextDrawLayer;
    TestText.cullMarginX = -1;
    TestText.cullMarginY = -1;
    RegisterObjectType(placementPath, &TestText, (void***)&testTextInstances, sizeof(TestTextRecord),
                       TestTextUpdate, ObjectNoOp, TestTextDraw, ObjectNoOp, ObjectNoOp, ObjectNoOp, TestTextInit,
                       nullptr, TestTextLoad, TestTextUnload);
    if (placementPath)
        LoadObjectPlacements(&TestText, placementPath);
}

void TestTextUnload()
{
    if (testTextBlock.loaded)
        FreeBraktext(&testTextBlock);
    FreeObjectType(&TestText);
}

void TestTextInit(void* instance)
{
    TestTextRecord* text = (TestTextRecord*)instance;
    text->widthLimit = 150;
    text->text = &testTextBlock;
    text->shown = 0;
    text->interval = 6;
    text->sound = 0;
}

void TestTextUpdate(void* instance)
{
    TestTextRecord* text = (TestTextRecord*)instance;
    if (!text->interval || demoSeed % text->interval != 0)
        return;
    if (text->shown < TextLength(text->text)) {
        ++text->shown;
        if (text->sound > 0)
            QueueSound((u16)text->sound);
    }
}

void TestTextDraw(void* instance)
{
    TestTextRecord* text = (TestTextRecord*)instance;
    const ObjectHeader* header = text->header;
    blendLevel = 255;
    blendMode = 0;
    DrawText(text->text, text->shown, header->x - (f32)scrollX, header->y - (f32)scrollY, text->widthLimit);
}
