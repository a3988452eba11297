// Flat-colour primitives: spans, lines, filled rectangles, the clipping of a line to the screen,
// and the textured-span pair of the 640x480 mode. Colours are palette indices mapped through
// currentPalette (index 0 is drawn like any other) and blended by blendMode and blendLevel; any
// other blend mode draws nothing. The sized ones are built once per screen size (W x H).
#pragma once
#include "Engine/Common/Types.h"

// Line end points: callers store screen coordinates here, pass their addresses to ClipLine and,
// on success, draw with the clipped values.
extern i32 lineX0, lineY0, lineX1, lineY1;

// The 8-bit texture of DrawTextureLine: 256 texels wide, texel (u, v) at v x 256 + u, 256 rows.
extern u8* currentTexture;

// Clips the end points in place to 0..W-1 x 0..H-1; true when the clipped segment is on screen.
// An end point beyond a corner is clipped against the side edge first and then the top or bottom
// edge, each from its unclipped position, so the second overrides the first.
template <int W, int H>
bool ClipLineSized(i32* x0, i32* y0, i32* x1, i32* y1);

// Pixels x0 .. x1 - 1 of row y, for every mode. Callers clip; what lies off the frame is left out.
void DrawHLine(i32 x0, i32 y, i32 x1, u8 colour);

// Pixels y0 .. y1 - 1 of column x. Callers clip; what lies off the frame is left out.
template <int W, int H>
void DrawVLineSized(i32 x, i32 y0, i32 y1, u8 colour);

// Every pixel from (x0, y0) to (x1, y1), both included. Callers clip; a line with an end point
// off the frame is not drawn.
template <int W, int H>
void DrawLineSized(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour);

// The rectangle between two corners given in any order, both included, clipped to the screen.
template <int W, int H>
void FillRectSized(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour);

// 640x480: the textured span on row y from xa to xb inclusive, texture coordinates interpolated
// from (ua, va) to (ub, vb) in 8.8 fixed point.
void DrawTextureLine(i32 xa, i32 ua, i32 va, i32 xb, i32 ub, i32 vb, i32 y);

// 640x480: one polygon edge into edgeRecords; the first edge that reaches a row whose leftX is
// -40960 sets its left side, later ones its right side.
void ScanTextureEdge(i32 xa, i32 ya, i32 ua, i32 va, i32 xb, i32 yb, i32 ub, i32 vb);
