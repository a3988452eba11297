#include "Engine/Collision/PlaneMovers.h"

#include <cmath>
#include <initializer_list>

#include "Engine/Collision/AngleTables.h"
#include "Engine/Collision/Motion.h"
#include "Engine/Collision/MotionScratch.h"
#include "Engine/Collision/TileQuery.h"
#include "Engine/Collision/Whole.h"
#include "Engine/Common/Camera.h"
#include "Engine/Common/Layout.h"
#include "Engine/Common/ObjectType.h"

namespace {

// Contact slots, which are also the world sides.
enum : u8 { SlotLeft = 0, SlotRight = 1, SlotTop = 2, SlotBottom = 3 };
// Solidity bits of a collision map entry.
enum : u16 { BitFloor = 0x1000, BitCeiling = 0x2000, BitRightWall = 0x4000, BitLeftWall = 0x8000 };
// Edge flags, in their stored order.
enum : u8 { EdgeTop = 0, EdgeBottom = 1, EdgeLeft = 2, EdgeRight = 3 };

// The side sensors stay this far from the surface and the far side; what they leave out next to
// the surface is the step a grounded body climbs. The ground probe window is one row deeper.
constexpr i64 sensorInset = 8;
constexpr i64 groundWindow = 9;

struct AngleRange {
    i16 low, high;
    bool Holds(i32 angle) const { return angle >= low && angle <= high; }
};

struct HandOver {
    AngleRange range;
    u8 target;
};

// One plane's constants. A mover works in local axes: u runs along the surface and v points down
// into it; local (u, v) is world (uX u + vX v, uY u + vY v). The floor's axes are the world's, and
// the other planes are the floor turned a quarter turn at a time, each with the angle windows,
// hand-overs and home angle of its own.
struct PlaneRules {
    u8 plane;
    i8 uX, uY, vX, vY;
    u8 surfaceSlot, oppositeSlot, minusSlot, plusSlot; // the world sides at +v, -v, -u and +u
    u16 surfaceBit, oppositeBit, minusBit, plusBit;
    u8 home;  // stored when the tile under the body has no accepted angle
    i8 inset; // the side-sensor insets as the scratch holds them
    // The accepted windows of a grounded step. falling: after a step toward +u that did not climb
    // (or toward -u that did), where the surface drops away on the +u side; rising: otherwise.
    AngleRange falling, rising;
    // Where the surface rises ahead of a body moving toward +u / -u: there the leading foot is
    // tested for a crest it would fly off.
    AngleRange crestPlus, crestMinus;
    HandOver handOvers[2];
};

// The same turned design for the wall on the left keeps its windows the right way round: there a
// climb while moving down meets 1..63, where the hand-over to the floor lies.
const PlaneRules planeRules[4] = {
    {PlaneFloor, 1, 0, 0, 1, SlotBottom, SlotTop, SlotLeft, SlotRight, BitFloor, BitCeiling, BitLeftWall,
     BitRightWall, 0, 8, {1, 64}, {192, 255}, {192, 255}, {1, 63}, {{{33, 63}, PlaneLeftWall}, {{193, 223}, PlaneRightWall}}},
    {PlaneRightWall, 0, -1, 1, 0, SlotRight, SlotLeft, SlotBottom, SlotTop, BitRightWall, BitLeftWall, BitFloor,
     BitCeiling, 192, 8, {193, 255}, {128, 191}, {128, 191}, {193, 255}, {{{129, 159}, PlaneCeiling}, {{225, 255}, PlaneFloor}}},
    {PlaneCeiling, -1, 0, 0, -1, SlotTop, SlotBottom, SlotRight, SlotLeft, BitCeiling, BitFloor, BitRightWall,
     BitLeftWall, 128, -8, {129, 192}, {64, 127}, {64, 127}, {129, 191}, {{{65, 95}, PlaneLeftWall}, {{161, 191}, PlaneRightWall}}},
    {PlaneLeftWall, 0, 1, -1, 0, SlotLeft, SlotRight, SlotTop, SlotBottom, BitLeftWall, BitRightWall, BitCeiling,
     BitFloor, 64, -8, {65, 128}, {1, 63}, {0, 63}, {65, 127}, {{{1, 31}, PlaneFloor}, {{97, 127}, PlaneCeiling}}},
};

// The angles an end-of-move scan of each world side accepts from its first and from its last pixel
// (the last wins), and the angle it gives when neither is accepted.
struct SideAngles {
    AngleRange first, last;
    u8 fallback;
};
const SideAngles sideAngles[4] = {
    {{65, 127}, {1, 63}, 64},     // left
    {{129, 191}, {193, 255}, 192}, // right
    {{64, 127}, {129, 192}, 128},  // top
    {{1, 64}, {192, 255}, 0},      // bottom
};

// ---- The collision layer of a move ----

struct CollisionMap {
    const TileLayer* layer = nullptr; // null: the move has no tile collision
    bool cells = false;               // the layer has cells to read
    const TileRecord* tiles = nullptr;
    u32 recordCount = 0;
    i64 width = 0, height = 0; // pixels
    CameraLimits limits{};
    u8 layerIndex = 0;
    // The furthest any scan or loop goes along each axis: past the map (or the wrap window) it
    // would only read the same pixels again.
    i64 extentX = 1, extentY = 1;
};

i64 FloorMod(i64 value, i64 size)
{
    const i64 m = value % size;
    return m < 0 ? m + size : m;
}

i64 Clamp(i64 value, i64 low, i64 high)
{
    return value < low ? low : value > high ? high : value;
}

// A coordinate of a wrapping axis brought into the wrap window, however far outside it lies.
i64 WrapWindow(i64 value, i64 low, i64 high, i64 size)
{
    if (size <= 0)
        return value;
    if (value < low)
        value += ((low - value + size - 1) / size) * size;
    else if (value >= high)
        value -= ((value - high) / size + 1) * size;
    return value;
}

// The first pixel of a run. Without x wrap a column wraps round the map; a row is held on it.
i64 EnterColumn(const CollisionMap& map, i64 column)
{
    if (map.limits.wrapX)
        column = WrapWindow(column, map.limits.leftBound, map.limits.rightBound, map.limits.wrapWidth);
    return column < 0 || column >= map.width ? FloorMod(column, map.width) : column;
}

i64 EnterRow(const CollisionMap& map, i64 row)
{
    if (map.limits.wrapY)
        row = WrapWindow(row, map.limits.topBound, map.limits.bottomBound, map.limits.wrapHeight);
    return Clamp(row, 0, map.height - 1);
}

// The next pixel of a run: held at the map's edge, or wrapped where the axis wraps.
i64 AdvanceColumn(const CollisionMap& map, i64 column, i32 step)
{
    column += step;
    if (map.limits.wrapX) {
        if (column >= map.width)
            column -= map.limits.wrapWidth;
        else if (column < 0)
            column += map.limits.wrapWidth;
    }
    return Clamp(column, 0, map.width - 1);
}

i64 AdvanceRow(const CollisionMap& map, i64 row, i32 step)
{
    row += step;
    if (map.limits.wrapY) {
        if (row >= map.height)
            row -= map.limits.wrapHeight;
        else if (row < 0)
            row += map.limits.wrapHeight;
    }
    return Clamp(row, 0, map.height - 1);
}

// Whether the pixel at (column, row) (in range) is set in a cell with the bit; gives the cell.
bool PixelHit(const CollisionMap& map, i64 column, i64 row, u16 bit, u16* entry)
{
    *entry = map.layer->map[map.layer->rowStarts[row >> 4] + (column >> 4)];
    const u32 tile = *entry & 0xFFFu;
    if (!(*entry & bit) || tile >= map.recordCount || !map.tiles[tile].pixels)
        return false;
    return map.tiles[tile].pixels[(row & 15) * 16 + (column & 15)] != 0;
}

struct LineScan {
    bool read = false;
    bool hit = false;
    u16 firstEntry = 0, lastEntry = 0; // the cells of the first and the last pixel read
    i64 lastHit = -1;                  // the index of the last pixel that hit
};

// Reads count pixels from (column, row), one axis step at a time, and leaves the last one read in
// the scratch.
LineScan ScanLine(const CollisionMap& map, i64 column, i64 row, i32 stepX, i32 stepY, i64 count, u16 bit)
{
    LineScan scan;
    if (!map.cells || count <= 0)
        return scan;
    const i64 limit = stepX ? map.extentX : map.extentY;
    if (count > limit)
        count = limit;
    const i64 endColumn = column + stepX * (count - 1), endRow = row + stepY * (count - 1);
    u16 entry = 0;
    if (!map.limits.wrapX && !map.limits.wrapY && column >= 0 && endColumn >= 0 && column < map.width &&
        endColumn < map.width && row >= 0 && endRow >= 0 && row < map.height && endRow < map.height) {
        // All on the map: no addressing rule changes anything.
        for (i64 i = 0; i < count; ++i, column += stepX, row += stepY) {
            if (PixelHit(map, column, row, bit, &entry)) {
                scan.hit = true;
                scan.lastHit = i;
            }
            if (!i)
                scan.firstEntry = entry;
        }
        column = endColumn;
        row = endRow;
    } else {
        // The run rules alone would read a run that starts off the map from the wrong cells once
        // it comes onto it (wrapped round to the right edge and held there, or clamped to the top
        // row and walking down from it): without wrap, the pixels of a run that lie on the map are
        // read as themselves, and the rows off it are held at the edge.
        i64 rawColumn = column, rawRow = row;
        column = EnterColumn(map, column);
        row = EnterRow(map, row);
        i64 readColumn = column, readRow = row;
        for (i64 i = 0; i < count; ++i) {
            if (i) {
                rawColumn += stepX;
                rawRow += stepY;
                if (stepX)
                    column = AdvanceColumn(map, column, stepX);
                if (stepY)
                    row = AdvanceRow(map, row, stepY);
            }
            readColumn = !map.limits.wrapX && rawColumn >= 0 && rawColumn < map.width ? rawColumn : column;
            readRow = map.limits.wrapY ? row : Clamp(rawRow, 0, map.height - 1);
            if (PixelHit(map, readColumn, readRow, bit, &entry)) {
                scan.hit = true;
                scan.lastHit = i;
            }
            if (!i)
                scan.firstEntry = entry;
        }
        column = readColumn;
        row = readRow;
    }
    scan.lastEntry = entry;
    scan.read = true;
    lastMapEntry = entry;
    probeX = (i32)column;
    probeY = (i32)row;
    probeLayer = map.layerIndex;
    return scan;
}

// Keeps hitbox offsets in a range whose sums and negations stay exact.
i64 Bounded(i64 value)
{
    return Clamp(value, -(i64)wholeLimit, (i64)wholeLimit);
}

void RunMover(const PlaneRules& rules, void* instance, AnimPlayer* animPlayer, u8 pass);

// ---- One move on one plane ----

struct LocalBox {
    i64 left, right, top, bottom;
};

struct Mover {
    void* instance;
    ObjectHeader* h;
    AnimPlayer* animPlayer;
    const PlaneRules& rules;
    u8 pass;
    CollisionMap map;

    enum class Next { EndScans, Airborne, Done };

    void OpenMap()
    {
        map.limits = cameraLimits[currentCamera & (cameraCount - 1)];
        if (!currentLayout->layers || h->collisionLayer >= currentLayout->layerCount)
            return;
        TileLayer* layer = &currentLayout->layers[h->collisionLayer];
        TileSheet* sheet = currentLayout->tileSheets ? LayerTileSheet(currentLayout, layer) : currentTileSheet;
        collisionSheet = sheet;
        // Taken afresh each move, so a body moved to another layer, or kept across a layout change,
        // never reads through a stale pointer.
        h->collisionTileLayer = layer;
        h->collisionTiles = sheet ? sheet->tiles : nullptr;
        map.layer = layer;
        map.layerIndex = h->collisionLayer;
        map.cells = layer->map && layer->rowStarts && layer->width > 0 && layer->height > 0;
        map.tiles = h->collisionTiles;
        map.recordCount = map.tiles ? sheet->recordCount : 0;
        map.width = (i64)layer->width * 16;
        map.height = (i64)layer->height * 16;
        const i64 wrapWidth = map.limits.wrapX ? map.limits.wrapWidth : 0;
        const i64 wrapHeight = map.limits.wrapY ? map.limits.wrapHeight : 0;
        map.extentX = (map.width > wrapWidth ? map.width : wrapWidth) + 2;
        map.extentY = (map.height > wrapHeight ? map.height : wrapHeight) + 2;
    }

    // -- Local geometry --

    i64 U() const { return rules.uX * WholeOf(h->x) + rules.uY * WholeOf(h->y); }
    i64 V() const { return rules.vX * WholeOf(h->x) + rules.vY * WholeOf(h->y); }
    i64 WorldX(i64 u, i64 v) const { return rules.uX * u + rules.vX * v; }
    i64 WorldY(i64 u, i64 v) const { return rules.uY * u + rules.vY * v; }

    // Moves the body whole pixels in local axes; the fraction of its position stays.
    void Move(i64 du, i64 dv)
    {
        h->x += (f32)(rules.uX * du + rules.vX * dv);
        h->y += (f32)(rules.uY * du + rules.vY * dv);
    }

    LocalBox Box() const
    {
        const i64 l = Bounded(h->hitboxLeft), r = Bounded(h->hitboxRight);
        const i64 t = Bounded(h->hitboxTop), b = Bounded(h->hitboxBottom);
        switch (rules.plane) {
        case PlaneRightWall:
            return {-b, -t, l, r};
        case PlaneCeiling:
            return {-r, -l, -b, -t};
        case PlaneLeftWall:
            return {t, b, -r, -l};
        default:
            return {l, r, t, b};
        }
    }

    f32 AlongU(f32 x, f32 y) const { return (f32)rules.uX * x + (f32)rules.uY * y; }
    f32 AlongV(f32 x, f32 y) const { return (f32)rules.vX * x + (f32)rules.vY * y; }
    f32& StepVelocity() { return rules.uX ? h->vx : h->vy; }
    f32& DownVelocity() { return rules.vX ? h->vx : h->vy; }
    i32& StepCount() { return rules.uX ? stepsX : stepsY; }
    i32& DownCount() { return rules.vX ? stepsX : stepsY; }
    i64 ExtentU() const { return rules.uX ? map.extentX : map.extentY; }
    i64 ExtentV() const { return rules.vX ? map.extentX : map.extentY; }

    // -- Probes --

    // count pixels from local (u, v) toward +u (alongU) or +v, read in ascending world order so
    // that a scan's first pixel is its leftmost or topmost.
    LineScan ScanLocal(i64 u, i64 v, bool alongU, i64 count, u16 bit) const
    {
        if (count <= 0)
            return {};
        const i64 limit = alongU ? ExtentU() : ExtentV();
        if (count > limit)
            count = limit;
        i32 stepX = alongU ? rules.uX : rules.vX;
        i32 stepY = alongU ? rules.uY : rules.vY;
        i64 column = WorldX(u, v), row = WorldY(u, v);
        if (stepX < 0 || stepY < 0) {
            column += stepX * (count - 1);
            row += stepY * (count - 1);
            stepX = -stepX;
            stepY = -stepY;
        }
        return ScanLine(map, column, row, stepX, stepY, count, bit);
    }

    bool Probe(i64 u, i64 v, u16 bit) const { return ScanLine(map, WorldX(u, v), WorldY(u, v), 1, 0, 1, bit).hit; }

    // The line over the foot columns at local row v.
    LineScan FootLine(i64 v, u16 bit) const
    {
        const LocalBox b = Box();
        return ScanLocal(U() + b.left + 1, v, true, b.right - b.left - 1, bit);
    }

    // The side sensor at the -u or +u end of the body, clear of the rows next to the surface.
    LineScan SideLine(bool plus) const
    {
        const LocalBox b = Box();
        i64 rows = b.bottom - sensorInset - sensorInset - b.top - 1;
        if (rows < 0)
            rows = -rows;
        return ScanLocal(plus ? U() + b.right : U() + b.left, V() + b.top + 1 + sensorInset, false, rows,
                         plus ? rules.plusBit : rules.minusBit);
    }

    // The ground probe window under foot column u of a body whose local row is v0, read from the
    // bottom up.
    LineScan GroundWindow(i64 u, i64 v0) const
    {
        const i64 bottomRow = v0 + Box().bottom + sensorInset;
        return ScanLine(map, WorldX(u, bottomRow), WorldY(u, bottomRow), -rules.vX, -rules.vY, groundWindow,
                        rules.surfaceBit);
    }

    // Whether the current camera's bound on a side acts as a wall for this body.
    bool AtCameraEdge(u8 slot) const
    {
        const i64 x = WholeOf(h->x), y = WholeOf(h->y);
        const CameraLimits& limits = map.limits;
        switch (slot) {
        case SlotLeft:
            return h->edgeFlags[EdgeLeft] && !limits.wrapX && x <= limits.leftBound + 1 - Bounded(h->hitboxLeft);
        case SlotRight:
            return h->edgeFlags[EdgeRight] && !limits.wrapX && x >= limits.rightBound - 1 - Bounded(h->hitboxRight);
        case SlotTop:
            return h->edgeFlags[EdgeTop] && !limits.wrapY && y <= limits.topBound + 1 - Bounded(h->hitboxTop);
        default:
            return h->edgeFlags[EdgeBottom] && !limits.wrapY &&
                   y >= limits.bottomBound - 1 - Bounded(h->hitboxBottom);
        }
    }

    // Stores a side's contact: the layer for a tile hit, 255 at a camera bound. Returns the value
    // stored (0 when nothing stops the body there).
    u64 ContactSide(u8 slot, const LineScan& scan)
    {
        u64 value = 0;
        if (scan.hit)
            value = h->contacts[slot] = h->collisionLayer;
        if (AtCameraEdge(slot))
            value = h->contacts[slot] = 255;
        return value;
    }

    u8 TileAngle(u16 entry) const
    {
        const u32 tile = entry & 0xFFFu;
        return tile < map.recordCount ? map.tiles[tile].angle : 0;
    }

    // The angle an end-of-move scan of a world side gives.
    u8 ScannedAngle(u8 slot, const LineScan& scan) const
    {
        const SideAngles& side = sideAngles[slot];
        i32 angle = -1;
        if (scan.read) {
            const u8 first = TileAngle(scan.firstEntry), last = TileAngle(scan.lastEntry);
            if (side.first.Holds(first))
                angle = first;
            if (side.last.Holds(last))
                angle = last;
        }
        return angle < 0 ? side.fallback : (u8)angle;
    }

    // The stored surface angle as a whole step, or -1 for none.
    i32 StoredAngle() const { return h->angle >= 0.0f && h->angle < 256.0f ? (i32)h->angle : -1; }
    bool AngleNone() const { return !(h->angle < 256.0f); }

    // Runs the owner's touch handlers; true when one of them put the body on another plane.
    bool Callbacks()
    {
        const u8 before = h->plane;
        RunObjectCallbacks(h->type, instance);
        return h->plane != before;
    }

    // -- Body loops, each bounded by the map's extent so that a solid column never holds them --

    // Moves the body against "down" while the foot line is in the surface.
    void PopOut()
    {
        for (i64 guard = ExtentV(); guard > 0 && FootLine(V() + Box().bottom - 1, rules.surfaceBit).hit; --guard)
            Move(0, -1);
    }

    // How many local rows from v toward +v lie on the map (or in the wrap window), this one too.
    i64 RowsToEdge(i64 v) const
    {
        const bool alongX = rules.vX != 0;
        const i64 sign = alongX ? rules.vX : rules.vY;
        const i64 world = sign * v;
        const bool wrap = alongX ? map.limits.wrapX : map.limits.wrapY;
        const i64 low = wrap ? (alongX ? map.limits.leftBound : map.limits.topBound) : 0;
        const i64 high = wrap ? (alongX ? map.limits.rightBound : map.limits.bottomBound) : (alongX ? map.width : map.height);
        const i64 rows = sign > 0 ? high - world : world - low + 1;
        return Clamp(rows, 1, ExtentV());
    }

    // After a hand-over: down onto the first surface under the feet, then up out of it.
    void Settle()
    {
        const i64 start = V() + Box().bottom - 1;
        const i64 rows = RowsToEdge(start);
        for (i64 k = 0; k < rows; ++k)
            if (FootLine(start + k, rules.surfaceBit).hit) {
                Move(0, k);
                PopOut();
                return;
            }
    }

    // -- Hand-overs --

    void ContinueOn(u8 plane, i32 stepsLeft)
    {
        const PlaneRules& next = planeRules[plane];
        (next.uX ? stepsX : stepsY) = stepsLeft;
        (next.uX ? stepsY : stepsX) = 0;
        RunMover(next, instance, animPlayer, PassHandOver);
    }

    // The target keeps the speed along the surface.
    void HandOverNow(u8 plane, i32 stepsLeft)
    {
        const PlaneRules& next = planeRules[plane];
        const f32 along = AlongU(h->vx, h->vy);
        if (next.uX)
            h->vx = along * (f32)next.uX;
        else
            h->vy = along * (f32)next.uY;
        ContinueOn(plane, stepsLeft);
    }

    // A callback put the body on another plane: the neighbours take the rest of the move.
    Next FollowCallbackPlane(i32 stepsLeft)
    {
        for (const HandOver& handOver : rules.handOvers)
            if (handOver.target == h->plane) {
                ContinueOn(h->plane, stepsLeft);
                break;
            }
        return Next::Done;
    }

    // -- The grounded run --

    Next GroundedRun()
    {
        i32& steps = StepCount();
        if (pass == PassHandOver) {
            if (steps > 0)
                --steps; // the hand-over took one
        } else {
            steps = SplitAxisMove(rules.uX ? &h->x : &h->y, StepVelocity(), rules.uX ? &fracX : &fracY);
            // Only the step axis walks here; a count an earlier move left on the other would be
            // latched by the callbacks as if this body had been stopped on it.
            DownCount() = 0;
        }
        const f32 velocity = StepVelocity();
        if (velocity == 0.0f)
            return Next::EndScans;
        const i32 worldSign = velocity < 0.0f ? -1 : 1;
        const bool plus = worldSign * (rules.uX + rules.uY) > 0;
        const i64 dirU = plus ? 1 : -1;
        const u8 sideSlot = plus ? rules.plusSlot : rules.minusSlot;

        if (h->plane != h->prevPlane)
            Settle();
        while (steps >= 1) {
            ContactSide(sideSlot, SideLine(plus));
            climbed = 0;
            if (Callbacks())
                return FollowCallbackPlane(steps);
            if (!h->groundContact)
                return Next::Airborne;
            if (h->contacts[sideSlot]) {
                h->prevPlane = rules.plane;
                f32& stepVelocity = StepVelocity();
                if (stepVelocity * (f32)worldSign > 0.0f) {
                    stepVelocity = 0.0f;
                    h->groundSpeed = 0.0f;
                    return Next::EndScans;
                }
                --steps; // turned round by a callback: the step is spent standing
                continue;
            }

            // One pixel along the surface, then follow the ground.
            Move(dirU, 0);
            const i64 v0 = V();
            const LocalBox b = Box();
            const i64 lead = plus ? U() + b.right - 1 : U() + b.left + 1;
            const i64 trail = plus ? U() + b.left + 1 : U() + b.right - 1;
            bool leftGround = false;
            Move(0, 1);
            if (Probe(lead, V() + b.bottom - 1, rules.surfaceBit)) {
                i64 guard = ExtentV();
                do {
                    Move(0, -1);
                    climbed = 1;
                } while (--guard > 0 && Probe(lead, V() + b.bottom - 1, rules.surfaceBit));
            } else {
                Move(0, -1);
                const i32 angle = StoredAngle();
                const AngleRange& crest = plus ? rules.crestPlus : rules.crestMinus;
                if (angle >= 0 && crest.Holds(angle) && !GroundWindow(lead, v0).hit) {
                    h->groundContact = 0;
                    h->groundSpeed = AlongU(h->vx, h->vy);
                    leftGround = true;
                } else {
                    const LineScan window = GroundWindow(trail, v0);
                    if (window.lastHit >= 0)
                        Move(0, sensorInset - window.lastHit);
                }
            }

            bool refused = false;
            if (!leftGround) {
                if (climbed || V() != v0) {
                    const u8 tileAngle = TileAngle((u16)lastMapEntry);
                    const AngleRange& window = plus != (climbed != 0) ? rules.falling : rules.rising;
                    h->angle = window.Holds(tileAngle) ? (f32)tileAngle : (f32)rules.home;
                }
                const i32 angle = StoredAngle();
                for (const HandOver& handOver : rules.handOvers) {
                    if (angle < 0 || !handOver.range.Holds(angle))
                        continue;
                    if (h->prevPlane == handOver.target) {
                        refused = true; // never straight back to the plane it came from
                        break;
                    }
                    h->prevPlane = rules.plane;
                    h->plane = handOver.target;
                    if (steps > 1) {
                        HandOverNow(handOver.target, steps);
                        return Next::Done;
                    }
                    break; // the last step: the new plane takes over at the next move
                }
            }
            if (!refused)
                h->prevPlane = rules.plane;
            --steps;
        }
        return Next::EndScans;
    }

    // -- The airborne line walk of the floor plane --

    // One x pixel: probe the leading side, run the callbacks, then stop or step. False when a
    // callback moved the body to another plane, which ends the move.
    bool StepX()
    {
        const i32 dir = h->vx < 0.0f ? -1 : 1;
        const u64 hit = ContactSide(dir > 0 ? SlotRight : SlotLeft, SideLine(dir > 0));
        const i32 held = stepsY;
        stepsHeld = held;
        stepsY = 0;
        const bool moved = Callbacks();
        stepsY = held;
        if (moved)
            return false;
        if (hit) {
            stepsX = 0;
            if (h->vx * (f32)dir > 0.0f) {
                h->vx = 0.0f;
                h->groundSpeed = 0.0f;
            }
        } else if (stepsX >= 1) {
            h->x += (f32)dir;
            ClearCorner(dir);
        }
        return true;
    }

    bool StepY()
    {
        const i32 dir = h->vy < 0.0f ? -1 : 1;
        const LocalBox b = Box();
        const u64 hit = dir > 0 ? ContactSide(SlotBottom, FootLine(V() + b.bottom - 1, BitFloor))
                                : ContactSide(SlotTop, FootLine(V() + b.top + 1, BitCeiling));
        const i32 held = stepsX;
        stepsHeld = held;
        stepsX = 0;
        const bool moved = Callbacks();
        stepsX = held;
        if (moved)
            return false;
        if (hit) {
            stepsY = 0;
            if (h->vy * (f32)dir > 0.0f)
                h->vy = 0.0f;
        } else if (stepsY >= 1) {
            h->y += (f32)dir;
        }
        return true;
    }

    // After a sideways pixel: down out of a ceiling the leading foot grazes, then (unless rising)
    // up onto a slope it runs into.
    void ClearCorner(i32 dir)
    {
        const LocalBox b = Box();
        const i64 column = dir > 0 ? U() + b.right - 1 : U() + b.left + 1;
        for (i64 guard = map.extentY; guard > 0 && Probe(column, V() + b.top + 1, BitCeiling); --guard)
            h->y += 1.0f;
        if (h->vy < 0.0f)
            return;
        for (i64 guard = map.extentY; guard > 0 && Probe(column, V() + b.bottom - 1, BitFloor); --guard)
            h->y -= 1.0f;
    }

    bool AirborneWalk(bool countsLeft)
    {
        if (!countsLeft) {
            stepsX = SplitAxisMove(&h->x, h->vx, &fracX);
            stepsY = SplitAxisMove(&h->y, h->vy, &fracY);
        }
        for (;;) {
            runX = stepsX;
            runY = stepsY;
            errX = errY = 0;
            if (stepsX > stepsY) {
                while (stepsX >= 1) {
                    if (!StepX())
                        return false;
                    errX += runY;
                    if (errX >= runX) {
                        if (stepsY >= 1 && !StepY())
                            return false;
                        errX -= runX;
                        if (stepsY >= 1)
                            --stepsY;
                    }
                    if (stepsX < 1)
                        break; // stopped: the other axis goes on with what it has left
                    --stepsX;
                }
            } else {
                if (stepsY < 1)
                    return true;
                while (stepsY >= 1) {
                    if (!StepY())
                        return false;
                    errY += runX;
                    if (errY >= runY) {
                        if (stepsX >= 1 && !StepX())
                            return false;
                        errY -= runY;
                        if (stepsX >= 1)
                            --stepsX;
                    }
                    if (stepsY < 1)
                        break;
                    --stepsY;
                }
            }
            if (stepsX < 1 && stepsY < 1)
                return true;
        }
    }

    // -- Airborne on a wall or ceiling: the whole velocity at once, then out of any floor --

    void AirborneWhole()
    {
        const f32 startX = h->x, startY = h->y;
        h->x += h->vx;
        h->y += h->vy;
        if (h->y >= 0.0f) {
            SnapToSurface(h, h->x, h->y + (f32)h->hitboxBottom, h->collisionLayer, ProbeUp);
            if (h->vy == 0.0f)
                h->groundContact = h->collisionLayer;
        }
        // The counts only serve the callbacks' stop bookkeeping: no pixel line is walked here.
        if (pass != PassHandOver) {
            f32 x = startX, y = startY;
            stepsX = SplitAxisMove(&x, h->vx, &fracX);
            stepsY = SplitAxisMove(&y, h->vy, &fracY);
        }
    }

    // -- The end-of-move scans: surface, opposite side, then the two ends --

    void EndScans()
    {
        if (!map.layer) {
            // Nothing carries a body that has no tile collision.
            h->groundContact = 0;
            Callbacks();
            return;
        }
        const bool rising = !h->groundContact && AlongV(h->vx, h->vy) < 0.0f;
        if (!rising) {
            PopOut();
            const LineScan surface = FootLine(V() + Box().bottom, rules.surfaceBit);
            if (surface.hit)
                h->contacts[rules.surfaceSlot] = h->collisionLayer;
            const u8 scanned = ScannedAngle(rules.surfaceSlot, surface);
            ++DownCount();
            const bool moved = Callbacks();
            if (DownCount() > 0)
                --DownCount();
            if (moved)
                return;
            if (!h->contacts[rules.surfaceSlot]) {
                h->groundContact = 0;
            } else {
                if (AngleNone())
                    h->angle = scanned;
                if (!h->lastGroundContact) { // landing
                    h->groundSpeed = AlongU(h->vx, h->vy);
                    if (AlongV(h->vx, h->vy) >= 0.0f) {
                        DownVelocity() = 0.0f;
                        DownCount() = 0;
                    }
                }
                h->groundContact = h->contacts[rules.surfaceSlot];
            }
        } else if (Callbacks()) {
            return;
        }

        const LineScan opposite = FootLine(V() + Box().top, rules.oppositeBit);
        if (opposite.hit)
            h->contacts[rules.oppositeSlot] = h->collisionLayer;
        if (h->contacts[rules.oppositeSlot] && AlongV(moveStartVx, moveStartVy) < 0.0f && !h->groundContact) {
            if (AlongV(h->vx, h->vy) < 0.0f) {
                DownVelocity() = 0.0f;
                DownCount() = 0;
            }
            if (AngleNone())
                h->angle = ScannedAngle(rules.oppositeSlot, opposite);
        }

        for (const bool plus : {false, true}) {
            const u8 slot = plus ? rules.plusSlot : rules.minusSlot;
            const LineScan side = SideLine(plus);
            if (side.hit)
                h->contacts[slot] = h->collisionLayer;
            const f32 sign = plus ? 1.0f : -1.0f;
            if (h->contacts[slot] && AlongU(moveStartVx, moveStartVy) * sign > 0.0f) {
                if (AlongU(h->vx, h->vy) * sign > 0.0f) {
                    StepVelocity() = 0.0f;
                    StepCount() = 0;
                    h->groundSpeed = 0.0f;
                }
                if (AngleNone())
                    h->angle = ScannedAngle(slot, side);
            }
        }
    }

    void Run()
    {
        const bool grounded = map.layer && h->groundContact;
        Next next = grounded ? GroundedRun() : Next::Airborne;
        if (next == Next::Done)
            return;
        if (next == Next::Airborne) {
            if (rules.plane == PlaneFloor) {
                // Counts left over from the grounded run (or the plane that handed over) go on.
                if (!AirborneWalk(grounded || pass == PassHandOver))
                    return;
            } else if (!grounded) {
                AirborneWhole();
            }
            // A wall or ceiling body that left its surface mid-run stays where it left it until the
            // next move, rather than taking its whole velocity a second time.
        }
        EndScans();
    }
};

void RunMover(const PlaneRules& rules, void* instance, AnimPlayer* animPlayer, u8 pass)
{
    ObjectHeader* header = instance ? HeaderOf(instance) : nullptr;
    if (!header)
        return;
    sideInsetBottom = sideInsetTop = rules.inset;
    groundProbeDepth = (i8)(rules.inset > 0 ? groundWindow : -groundWindow);
    if (animPlayer)
        SetHitboxFromFrame(header, animPlayer, rules.plane);
    if (!currentLayout)
        return;
    Mover mover{instance, header, animPlayer, rules, pass, {}};
    mover.OpenMap();
    if (pass == PassFresh) {
        if (header->groundContact) {
            const u8 a = AngleIndex(header->angle);
            header->vx = (f32)cosTable[a] * header->groundSpeed / 256.0f;
            header->vy = (f32)sinTable[a] * header->groundSpeed / 256.0f;
        } else {
            header->groundSpeed = std::sqrt(header->vx * header->vx + header->vy * header->vy);
        }
        for (u64& contact : header->contacts)
            contact = 0;
        header->angle = angleNone;
    }
    mover.Run();
}

} // namespace

void MoveOnFloorPlane(void* instance, AnimPlayer* animPlayer, u8 pass)
{
    RunMover(planeRules[PlaneFloor], instance, animPlayer, pass);
}

void MoveOnRightWallPlane(void* instance, AnimPlayer* animPlayer, u8 pass)
{
    RunMover(planeRules[PlaneRightWall], instance, animPlayer, pass);
}

void MoveOnCeilingPlane(void* instance, AnimPlayer* animPlayer, u8 pass)
{
    RunMover(planeRules[PlaneCeiling], instance, animPlayer, pass);
}

void MoveOnLeftWallPlane(void* instance, AnimPlayer* animPlayer, u8 pass)
{
    RunMover(planeRules[PlaneLeftWall], instance, animPlayer, pass);
}
