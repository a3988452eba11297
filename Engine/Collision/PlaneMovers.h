// The plane movers: one move of a body through the collision layer with its ground below it
// (floor), on its right (right wall), above it (ceiling) or on its left (left wall). Each walks the
// body along its surface while grounded, handing it to the neighbouring plane at steep angles, moves
// it through the air otherwise, and ends with the scans that fill the contact slots and the surface
// angle. pass: 0 a fresh move, 1 the rest of a move handed over from another plane, 2 a trial move.
#pragma once
#include "Engine/Common/Types.h"

struct AnimPlayer;

void MoveOnFloorPlane(void* instance, AnimPlayer* animPlayer, u8 pass);
void MoveOnRightWallPlane(void* instance, AnimPlayer* animPlayer, u8 pass);
void MoveOnCeilingPlane(void* instance, AnimPlayer* animPlayer, u8 pass);
void MoveOnLeftWallPlane(void* instance, AnimPlayer* animPlayer, u8 pass);
