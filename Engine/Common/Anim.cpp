#include "Engine/Common/Anim.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Engine/Common/AssetError.h"
#include "Engine/Common/AssetReader.h"
#include "Engine/Common/Debug.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Common/StageSwitch.h"

u64 hitSetCounter;
u8 forceFree;

namespace {

// Smallest number of bytes each record takes in a manifest, to check a count against the bytes
// left before allocating for it.
constexpr u32 animationHeadBytes = 6;
constexpr u32 frameBytes = 16;
constexpr u32 sheetEntryBytes = 2;
constexpr u32 boxBytes = 4;
constexpr u32 pointBytes = 2;
constexpr u32 hitBytes = 4;

// What a frame's box points at when its index is past the table.
AnimBox noBox;

u16 LastFrame(const Animation* animation)
{
    return animation->frameCount ? (u16)(animation->frameCount - 1) : 0;
}

u16 LoopFrame(const Animation* animation)
{
    const i16 loop = animation->loopFrame;
    return loop < 0 || loop > LastFrame(animation) ? 0 : (u16)loop;
}

// An image of 0s (transparent) of the width and height already set, with its row table.
bool BlankImage(SpriteImage* image)
{
    const u32 w = image->width, h = image->height;
    image->pixels = (u8*)calloc((size_t)w * h + 1, 1);
    image->rowStarts = (u32*)malloc(sizeof(u32) * (h ? h : 1));
    if (!image->pixels || !image->rowStarts)
        return false;
    for (u32 r = 0; r < h; ++r)
        image->rowStarts[r] = r * w;
    return true;
}

i64 TruncToI64(f32 value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9.2e18f)
        return INT64_MAX;
    if (value <= -9.2e18f)
        return INT64_MIN;
    return (i64)value;
}

void FreeContents(AnimSet* set)
{
    if (set->animations) {
        for (u32 a = 0; a < set->animCount; ++a) {
            Animation& animation = set->animations[a];
            if (!animation.frames)
                continue;
            const u32 frames = animation.frameCount ? animation.frameCount : 1;
            for (u32 f = 0; f < frames; ++f) {
                AnimFrame& frame = animation.frames[f];
                free(frame.hits);
                free(frame.points);
                free(frame.image.rowStarts);
                free(frame.image.pixels);
            }
            free(animation.frames);
        }
        free(set->animations);
    }
    set->animations = nullptr;
    set->animCount = 0;

    if (set->sheets) {
        for (i32 s = 0; s < set->sheetCount; ++s)
            ReleaseSheet(set->sheets[s]);
        free(set->sheets);
    }
    set->sheets = nullptr;
    set->sheetCount = 0;

    free(set->boxes);
    set->boxes = nullptr;
    set->boxCount = 0;
    if (set->hitSets) {
        for (u32 h = 0; h < set->hitSetCount; ++h) {
            free(set->hitSets[h].rowIndex);
            free(set->hitSets[h].boxes);
        }
        free(set->hitSets);
    }
    set->hitSets = nullptr;
    set->hitSetCount = 0;

    if (set->palettes) {
        for (u32 p = 0; p < set->paletteCount; ++p)
            ReleasePalette(set->palettes[p]);
        free(set->palettes);
    }
    set->palettes = nullptr;
    set->paletteCount = 0;
}

// One manifest being read into a set.
struct ManifestLoad {
    const char* path;
    AnimSet* set;
    AssetReader reader;
    char folder[512];
    bool indexReported;

    u32 Left() const { return reader.size - reader.position; }

    // A count that needs more bytes than the manifest has left: the file is damaged and the load
    // stops, so a few bytes can never ask for gigabytes.
    bool CountFits(u64 count, u32 bytesEach, const char* what)
    {
        if (count * bytesEach <= Left())
            return true;
        ReportAssetError("Sprite set %s is damaged\n%s count %llu runs past the end of the file", path, what,
                         (unsigned long long)count);
        return false;
    }

    // An index past its table: the first of a load is shown in a box, the others only in
    // debugText; the frame gets a harmless stand-in.
    void BadIndex(const char* format, ...)
    {
        char text[256];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof(text), format, args);
        va_end(args);
        if (!indexReported)
            ReportAssetError("Sprite set %s is damaged\n%s", path, text);
        else
            FormatDebugText("Sprite set %s is damaged\n%s", path, text);
        indexReported = true;
    }

    void JoinFolder(char* out, size_t size, const char* name) const { snprintf(out, size, "%s/%s", folder, name); }

    void ReadName(char name[256])
    {
        memset(name, 0, 256);
        const u8 length = ReadU8(&reader);
        ReadCountedString(name, length, &reader);
    }

    // Appends a new palette of count colours and makes it current; false when it cannot be had.
    Palette* AddPalette(u32 count)
    {
        if (set->paletteCount == 255) {
            ReportAssetError("Sprite set %s is damaged\nIt creates more than 255 palettes", path);
            return nullptr;
        }
        Palette** grown = (Palette**)realloc(set->palettes, sizeof(Palette*) * (set->paletteCount + 1u));
        if (!grown)
            return nullptr;
        set->palettes = grown;
        Palette* palette = AllocPalette(count);
        if (!palette)
            return nullptr;
        set->palettes[set->paletteCount++] = palette;
        SetCurrentPalette(palette);
        return palette;
    }

    bool ReadSheets()
    {
        const i32 sheetCount = ReadI8As32(&reader);
        if (sheetCount < 0) {
            ReportAssetError("Sprite set %s is damaged\nIts sheet count %d does not fit its field", path,
                             (int)(u8)sheetCount);
            return false;
        }
        if (!CountFits((u32)sheetCount, sheetEntryBytes, "Sheet"))
            return false;
        set->sheets = (Sheet**)calloc((size_t)sheetCount + 1, sizeof(Sheet*));
        if (!set->sheets)
            return false;
        set->sheetCount = sheetCount;
        set->paletteCount = 0;
        for (i32 s = 0; s < sheetCount; ++s) {
            char name[256], joined[1024];
            ReadName(name);
            JoinFolder(joined, sizeof(joined), name);
            Sheet* sheet = LoadSheet(joined, 0);
            set->sheets[s] = sheet;
            if (ReadU8(&reader)) {
                const u8 colourCount = ReadU8(&reader);
                if (!AddPalette(colourCount))
                    return false;
                for (u32 c = 0; c < colourCount; ++c) {
                    const u8* rgb = sheet ? sheet->colourMap[c] : (const u8*)"\0\0\0";
                    SetCurrentPaletteColour(c, rgb[0], rgb[1], rgb[2]);
                }
            }
        }
        return true;
    }

    bool ReadExtraPalettes()
    {
        const u8 extraCount = ReadU8(&reader);
        if (!CountFits(extraCount, 1, "Palette"))
            return false;
        for (u32 e = 0; e < extraCount; ++e) {
            char name[256], joined[1024];
            ReadName(name);
            JoinFolder(joined, sizeof(joined), name);
            AssetReader colours{};
            if (!OpenAssetReader(joined, &colours)) {
                // The set keeps its palette numbering: an all-black palette stands in for the
                // missing file.
                ShowMessageBox(path, "Palvic Error", BoxOk);
                if (!AddPalette(0))
                    return false;
                continue;
            }
            const u32 count = colours.size / 3;
            if (!AddPalette(count)) {
                CloseAssetReader(&colours);
                return false;
            }
            for (u32 k = 0; k < count; ++k)
                SetCurrentPaletteColour(k, colours.data[3 * k], colours.data[3 * k + 1], colours.data[3 * k + 2]);
            CloseAssetReader(&colours);
        }
        return true;
    }

    void ReadBox(AnimBox* box)
    {
        // Width, height, x, y; the edges are computed in 8 bits.
        const u8 w = ReadU8(&reader), h = ReadU8(&reader), x = ReadU8(&reader), y = ReadU8(&reader);
        box->left = (i8)x;
        box->right = (i8)(u8)(x + w);
        box->top = (i8)y;
        box->bottom = (i8)(u8)(y + h);
    }

    bool ReadBoxesAndHitSets()
    {
        const u16 boxCount = ReadU16BE(&reader);
        if (!CountFits(boxCount, boxBytes, "Box"))
            return false;
        set->boxes = (AnimBox*)calloc((size_t)boxCount + 1, sizeof(AnimBox));
        if (!set->boxes)
            return false;
        set->boxCount = boxCount;
        for (u32 b = 0; b < boxCount; ++b)
            ReadBox(&set->boxes[b]);

        const u16 hitSetCount = ReadU16BE(&reader);
        if (!CountFits(hitSetCount, 1, "Hit set"))
            return false;
        set->hitSets = (HitBoxSet*)calloc((size_t)hitSetCount + 1, sizeof(HitBoxSet));
        if (!set->hitSets)
            return false;
        set->hitSetCount = hitSetCount;
        u16 rowCounter = 0;
        for (u32 h = 0; h < hitSetCount; ++h) {
            HitBoxSet& hitSet = set->hitSets[h];
            const i32 count = ReadI8As32(&reader);
            if (count < 0) {
                ReportAssetError("Sprite set %s is damaged\nThe box count %d of hit set %u does not fit its field",
                                 path, (int)(u8)count, h);
                return false;
            }
            if (!CountFits((u32)count, boxBytes, "Hit box"))
                return false;
            hitSet.boxes = (AnimBox*)calloc((size_t)count + 1, sizeof(AnimBox));
            hitSet.rowIndex = (u16*)calloc((size_t)count + 1, sizeof(u16));
            if (!hitSet.boxes || !hitSet.rowIndex)
                return false;
            hitSet.count = (i16)count;
            for (i32 b = 0; b < count; ++b) {
                ReadBox(&hitSet.boxes[b]);
                hitSet.rowIndex[b] = rowCounter++;
            }
            hitSet.id = hitSetCounter++;
        }
        return true;
    }

    bool ReadFrame(u32 a, u32 f, AnimFrame* frame)
    {
        const u8 sheetIndex = ReadU8(&reader);
        const u16 srcX = ReadU16BE(&reader), srcY = ReadU16BE(&reader);
        const u8 width = ReadU8(&reader), height = ReadU8(&reader);
        const i8 offsetX = (i8)ReadU8(&reader), offsetY = (i8)ReadU8(&reader);

        SpriteImage& image = frame->image;
        image.width = width ? width : 1;
        image.height = height ? height : 1;
        if (sheetIndex < set->sheetCount) {
            CutSprite(set->sheets[sheetIndex], &image, srcX, srcY);
        } else {
            BadIndex("Frame %u of animation %u names sheet %u of %d", f, a, sheetIndex, set->sheetCount);
            BlankImage(&image);
        }
        if (!image.pixels || !image.rowStarts)
            return false;
        image.offsetX = offsetX;
        image.offsetY = offsetY;
        // With the width and height as read: 0 stays 0 here.
        image.flippedOffsetX = (i16)-(width + offsetX);
        image.flippedOffsetY = (i16)-(height + offsetY);

        frame->duration = ReadU16BE(&reader);
        const u8 pointCount = ReadU8(&reader);
        if (!CountFits(pointCount, pointBytes, "Point"))
            return false;
        frame->points = (AnimPoint*)calloc((size_t)pointCount + 1, sizeof(AnimPoint));
        if (!frame->points)
            return false;
        frame->pointCount = pointCount;
        for (u32 p = 0; p < pointCount; ++p) {
            frame->points[p].x = (i8)ReadU8(&reader);
            frame->points[p].y = (i8)ReadU8(&reader);
        }

        const u16 boxIndex = ReadU16BE(&reader);
        if (boxIndex < set->boxCount) {
            frame->box = &set->boxes[boxIndex];
        } else {
            BadIndex("Frame %u of animation %u names box %u of %u", f, a, boxIndex, set->boxCount);
            frame->box = &noBox;
        }

        const u16 hitCount = ReadU16BE(&reader);
        if (!CountFits(hitCount, hitBytes, "Hit"))
            return false;
        frame->hits = (AnimHit*)calloc((size_t)hitCount + 1, sizeof(AnimHit));
        if (!frame->hits)
            return false;
        for (u32 h = 0; h < hitCount; ++h) {
            AnimHit hit;
            hit.hitSet = ReadU16BE(&reader);
            hit.dx = (i8)ReadU8(&reader);
            hit.dy = (i8)ReadU8(&reader);
            // A hit naming a set past the table is left out.
            if (hit.hitSet < set->hitSetCount)
                frame->hits[frame->hitCount++] = hit;
            else
                BadIndex("Frame %u of animation %u names hit set %u of %u", f, a, hit.hitSet, set->hitSetCount);
        }
        return true;
    }

    bool ReadAnimations()
    {
        for (u32 a = 0; a < set->animCount; ++a) {
            Animation& animation = set->animations[a];
            const u16 frameCount = ReadU16BE(&reader);
            animation.speed = ReadU16BE(&reader);
            animation.playMode = ReadI8As32(&reader);
            animation.loopFrame = ReadI8As16(&reader);
            if (!CountFits(frameCount, frameBytes, "Frame"))
                return false;
            animation.frames = (AnimFrame*)calloc(frameCount ? frameCount : 1, sizeof(AnimFrame));
            if (!animation.frames)
                return false;
            animation.frameCount = frameCount;
            if (!frameCount) {
                // The blank stand-in frame.
                animation.frames[0].image.width = animation.frames[0].image.height = 1;
                animation.frames[0].box = &noBox;
                if (!BlankImage(&animation.frames[0].image))
                    return false;
            }
            const bool loops = animation.playMode == 0 || animation.playMode == 2;
            if (loops && frameCount && (animation.loopFrame < 0 || animation.loopFrame >= frameCount)) {
                BadIndex("Animation %u loops to frame %d of %u", a, animation.loopFrame, frameCount);
                animation.loopFrame = 0;
            }
            for (u32 f = 0; f < frameCount; ++f)
                if (!ReadFrame(a, f, &animation.frames[f]))
                    return false;
        }
        return true;
    }

    bool Read()
    {
        const u16 animCount = ReadU16BE(&reader);
        if (!CountFits(animCount, animationHeadBytes, "Animation"))
            return false;
        set->animations = (Animation*)calloc((size_t)animCount + 1, sizeof(Animation));
        if (!set->animations)
            return false;
        set->animCount = animCount;
        return ReadSheets() && ReadExtraPalettes() && ReadBoxesAndHitSets() && ReadAnimations();
    }
};

void ManifestFolder(const char* path, char* folder, size_t size)
{
    const char* p = path;
    if (((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':')
        p += 2;
    const char* last = nullptr;
    for (const char* c = p; *c; ++c)
        if (*c == '/' || *c == '\\')
            last = c;
    if (!last) {
        snprintf(folder, size, ".");
        return;
    }
    snprintf(folder, size, "%.*s", (int)(last - p), p);
}

// Steps 5 and 6 of a request: take the animation and frame at once.
void TakeAnimation(AnimPlayer* player, u16 anim, u16 frame)
{
    AnimSet* set = player->set;
    if (!set->animCount)
        return;
    if (anim > set->animCount - 1)
        anim = (u16)(set->animCount - 1);
    player->activeAnimIndex = player->animIndex;
    player->animIndex = anim;
    player->animation = &set->animations[anim];
    player->paused = 0;
    player->finished = 0;
    player->playing = 1;
    player->speed = player->animation->speed;

    const u16 last = LastFrame(player->animation);
    if (frame > last)
        frame = last;
    player->prevFrameIndex = player->frameIndex;
    player->frameIndex = frame;
    player->timer = (i16)player->animation->frames[frame].duration;
}

} // namespace

void LoadAnim(const char* path, AnimSet* set)
{
    if (!path || !set)
        return;
    if (currentStage != previousStage)
        ++set->useCount;
    else if (set->loaded)
        return; // a restart of the same stage: its unload did not run
    // A set already loaded (also one loaded outside any stage, with no count) is shared.
    if (set->useCount >= 2 || set->loaded) {
        FormatDebugText("Anim at %s already loaded...\n", path);
        return;
    }

    ManifestLoad load{};
    load.path = path;
    load.set = set;
    ManifestFolder(path, load.folder, sizeof(load.folder));
    if (!OpenAssetReader(path, &load.reader)) {
        // Nothing to read: the set stays unloaded (its use is still counted, so FreeAnim balances).
        ShowMessageBox(path, "Palvic Error", BoxOk);
        return;
    }
    if (load.Read())
        set->loaded = 1;
    else
        FreeContents(set);
    CloseAssetReader(&load.reader);
}

void FreeAnim(AnimSet* set)
{
    if (!set)
        return;
    const u32 uses = set->useCount;
    if (uses)
        --set->useCount;
    if (uses > 1 && !forceFree)
        return;
    if (!set->loaded)
        return;
    FreeContents(set);
    set->loaded = 0;
}

void SetAnim(AnimPlayer* player, AnimSet* set, u16 animIndex, u16 frameIndex, u8 force)
{
    if (!player || !set)
        return;
    if (force != 1 && player->set == set && set->animations && animIndex < set->animCount &&
        player->animation == &set->animations[animIndex])
        return;
    if (!set->loaded)
        return;
    player->set = set;
    if (force != 1 && player->playing && animIndex == player->activeAnimIndex && !player->finished)
        return;
    TakeAnimation(player, animIndex, frameIndex);
}

void ContinueAnim(AnimPlayer* player, AnimSet* set, u16 animIndex, u16 frameIndex)
{
    SetAnim(player, set, animIndex, frameIndex, 0);
    // Taken (or already shown): make it the active one, so that no restart is pending.
    if (player && set && set->loaded && set->animCount && player->set == set &&
        player->animation == &set->animations[player->animIndex] &&
        player->animIndex == (animIndex < set->animCount ? animIndex : set->animCount - 1))
        player->activeAnimIndex = player->animIndex;
}

void StartAnim(AnimPlayer* player, u16 animIndex)
{
    if (player && player->set && player->set->loaded)
        TakeAnimation(player, animIndex, 0);
}

void UpdateAnimPlayer(AnimPlayer* player)
{
    if (!player || !player->set || !player->set->loaded || !player->set->animCount)
        return;
    AnimSet* set = player->set;
    if (player->animIndex != player->activeAnimIndex) {
        if (player->animIndex > set->animCount - 1)
            player->animIndex = (u16)(set->animCount - 1);
        player->activeAnimIndex = player->animIndex;
        player->animation = &set->animations[player->animIndex];
        player->speed = player->animation->speed;
        player->frameIndex = 0;
        player->prevFrameIndex = 0xFFFF;
        player->timer = (i16)player->animation->frames[0].duration;
        player->finished = 0;
        return;
    }
    if (player->paused || !player->animation)
        return;

    const Animation* animation = player->animation;
    player->timer = (i16)(u16)((u16)player->timer - player->speed);
    player->finished = 0;
    player->prevFrameIndex = player->frameIndex;
    if (player->timer > 0)
        return;

    const u16 last = LastFrame(animation);
    u16 frame = player->frameIndex > last ? last : player->frameIndex;
    switch (animation->playMode) {
    case 0:
        if (frame < last) {
            ++frame;
        } else {
            frame = LoopFrame(animation);
            player->finished = 1;
        }
        break;
    case 1:
        if (frame < last)
            ++frame;
        else
            player->finished = 1;
        break;
    case 2:
        if (frame > 0) {
            --frame;
        } else {
            frame = LoopFrame(animation);
            player->finished = 1;
        }
        break;
    case 3:
        if (frame > 0)
            --frame;
        else
            player->finished = 1;
        break;
    default:
        if (frame > 0)
            --frame;
        break;
    }
    player->frameIndex = frame;
    // Set, not added: the overshoot is dropped.
    player->timer = (i16)animation->frames[frame].duration;
}

const AnimFrame* CurrentAnimFrame(const AnimPlayer* player)
{
    if (!player || !player->set || !player->set->loaded || !player->animation)
        return nullptr;
    if (player->frameIndex > LastFrame(player->animation))
        return nullptr;
    return &player->animation->frames[player->frameIndex];
}

void GetAnimFrameBoxAt(i64 out[4], f32 x, f32 y, u8 flipX, u8 flipY, const AnimPlayer* player)
{
    const AnimFrame* frame = CurrentAnimFrame(player);
    const AnimBox box = frame && frame->box ? *frame->box : AnimBox{};
    if (flipX) {
        out[0] = TruncToI64(x - (f32)box.right);
        out[1] = TruncToI64(x - (f32)box.left);
    } else {
        out[0] = TruncToI64(x + (f32)box.left);
        out[1] = TruncToI64(x + (f32)box.right);
    }
    if (flipY) {
        out[2] = TruncToI64(y - (f32)box.bottom);
        out[3] = TruncToI64(y - (f32)box.top);
    } else {
        out[2] = TruncToI64(y + (f32)box.top);
        out[3] = TruncToI64(y + (f32)box.bottom);
    }
}

AnimFramePoint GetAnimFramePointAt(f32 x, f32 y, u8 flipX, u8 flipY, const AnimPlayer* player, u8 n)
{
    const AnimFrame* frame = CurrentAnimFrame(player);
    if (!frame || !frame->pointCount)
        return {0.0f, 0.0f};
    const u8 k = n < frame->pointCount ? n : (u8)(frame->pointCount - 1);
    const AnimPoint point = frame->points[k];
    return {flipX ? x - (f32)point.x : x + (f32)point.x, flipY ? y - (f32)point.y : y + (f32)point.y};
}
