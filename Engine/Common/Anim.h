// Sprite animation sets (".man" manifests) and the animation players that point into them.
//
// Loading cuts every frame out of its sheet into an image of its own, so drawing never touches the
// sheets. A set is shared by use count across a stage switch (the new stage loads before the old
// one unloads); a restart of the same stage takes no new reference.
#pragma once
#include "Engine/Common/Types.h"
#include "Engine/Render/SpriteImage.h"

struct Sheet;
struct Palette;

// A box relative to the object's position.
struct AnimBox {
    i8 left, right, top, bottom;
};

struct HitBoxSet {
    i16 count;
    AnimBox* boxes;
    u16* rowIndex; // per box, its running number among all hit boxes of the manifest
    u64 id;        // from hitSetCounter
};

struct AnimHit {
    u16 hitSet; // index into the set's hitSets
    i8 dx, dy;  // where the hit set is placed, relative to the object's position
};

struct AnimPoint {
    i8 x, y;
};

struct AnimFrame {
    u16 hitCount;
    AnimHit* hits;
    u16 duration; // the timer value on entering the frame
    SpriteImage image;
    AnimBox* box; // one entry of the set's boxes
    u8 pointCount;
    AnimPoint* points;
};

struct Animation {
    u16 frameCount;
    u16 speed;    // subtracted from the frame timer each tick
    i32 playMode; // 0 forward then loopFrame, 1 forward and hold, 2 backward then loopFrame, 3 backward
                  // and hold frame 0; others backward and hold without raising finished
    i16 loopFrame;
    // frameCount frames. An animation of no frames still has one blank frame here, so a clamped
    // frame index always names a real record.
    AnimFrame* frames;
};

struct AnimSet {
    i32 sheetCount;
    Sheet** sheets;
    u8 paletteCount;
    Palette** palettes; // in creation order
    u16 boxCount;
    AnimBox* boxes;
    u16 hitSetCount;
    HitBoxSet* hitSets;
    u16 animCount;
    Animation* animations;
    u8 loaded;
    u32 useCount; // stage loads holding the set
};

struct AnimPlayer {
    AnimSet* set;
    Animation* animation; // the animation being played
    u16 animIndex;        // requested animation
    u16 activeAnimIndex;  // the animation taken up; differs from animIndex until the next update
    u16 frameIndex;
    u16 prevFrameIndex;   // 0xFFFF right after a take-up
    i16 timer;            // remaining time of the frame
    u16 speed;
    u8 playing;
    u8 paused;            // freezes the timer while set
    u8 finished;          // 1 during the update in which a pass ended
};

struct AnimFramePoint {
    f32 x, y;
};

// Increases by one for every hit set loaded, never reset.
extern u64 hitSetCounter;

// Set once at shutdown: assets (and object types) are freed whatever their use counts.
extern u8 forceFree;

// Loads a manifest into set, or takes a reference to the loaded one. A manifest that cannot be
// read, or whose counts or indices are out of range, is reported in a "Palvic Error" box; a set
// whose manifest is missing or whose counts run past the file stays unloaded.
void LoadAnim(const char* path, AnimSet* set);
// Drops a reference; frees the contents when none is left (or at once under forceFree).
void FreeAnim(AnimSet* set);

// Requests an animation and frame. A different animation is taken up by the next
// UpdateAnimPlayer, which restarts it at frame 0.
void SetAnim(AnimPlayer* player, AnimSet* set, u16 animIndex, u16 frameIndex, u8 force);
// Restarts the player's own set at animIndex, frame 0, unconditionally.
void StartAnim(AnimPlayer* player, u16 animIndex);
// Requests an animation as SetAnim does without force, but a different animation is taken up at
// once and goes on from frameIndex: the next UpdateAnimPlayer times that frame instead of
// restarting the animation. Showing animIndex already, the player keeps its frame.
void ContinueAnim(AnimPlayer* player, AnimSet* set, u16 animIndex, u16 frameIndex);
// One tick of animation.
void UpdateAnimPlayer(AnimPlayer* player);

// The player's current frame, or null when it points at no loaded set.
const AnimFrame* CurrentAnimFrame(const AnimPlayer* player);

// The current frame's bounding box at (x, y), mirrored as the flags say: left, right, top, bottom,
// each the f32 sum truncated toward zero.
void GetAnimFrameBoxAt(i64 out[4], f32 x, f32 y, u8 flipX, u8 flipY, const AnimPlayer* player);
// Point n (clamped to the last) of the current frame at (x, y), mirrored; (0, 0) when the frame
// has no points.
AnimFramePoint GetAnimFramePointAt(f32 x, f32 y, u8 flipX, u8 flipY, const AnimPlayer* player, u8 n);

// The same at an object's position: any header with f32 x, y and u8 flipX, flipY.
template <class Header>
void GetAnimFrameBox(i64 out[4], const Header* header, const AnimPlayer* player)
{
    GetAnimFrameBoxAt(out, header->x, header->y, header->flipX, header->flipY, player);
}
template <class Header>
AnimFramePoint GetAnimFramePoint(const Header* header, const AnimPlayer* player, u8 n)
{
    return GetAnimFramePointAt(header->x, header->y, header->flipX, header->flipY, player, n);
}
