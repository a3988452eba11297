// Tests between axis-aligned boxes (left, right, top, bottom; world pixels; a box covers
// left <= x < right and top <= y < bottom): the edge-in-half test of hit resolution, and the
// push of a body out of another object through a trial move.
#pragma once
#include "Engine/Common/Types.h"

struct ObjectHeader;
struct AnimPlayer;

// Mode 0: a's right edge in b's left half; 1: a's left edge in b's right half; 2: a's bottom edge
// in b's upper half; 3: a's top edge in b's lower half; each with overlap on the other axis.
// Any other mode is false.
bool BoxInsideTest(const i64 a[4], const i64 b[4], u8 mode);

// -1 when the boxes do not overlap; otherwise pushes the body (instance, whose box is a) out of the
// other object (box b) along the axis on which they are further apart, through TryMoveOnPlane so
// that tiles still stop it, and returns the side it went to: 0 left, 1 right, 2 up, 3 down.
i8 BoxOverlapResolve(const i64 a[4], const i64 b[4], void* instance, ObjectHeader* other, AnimPlayer* animPlayer);
