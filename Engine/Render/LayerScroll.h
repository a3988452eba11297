// The per-frame layer scroll: camera 0's scroll and the frame counter turned into the scroll of
// every visible layer of the current layout, through one table per axis indexed by parallax factor.
#pragma once
#include "Engine/Common/Types.h"

struct TileLayer;

extern i32 parallaxX[256];
extern i32 parallaxY[256];

// Stops the per-frame update while set. Nothing in the game sets it.
extern u8 layerScrollFrozen;

// Entry f of a parallax table for scroll p and frame counter F: 0 stands still, 1-128 moves at
// f/64 of the camera, 129-255 moves at (f - 128)/64 of the camera and drifts with the frame counter
// (255 as 256 would). Products wrap in 32 bits; "/ 64" rounds toward minus infinity.
i32 ParallaxEntry(i32 p, u32 frameCounter, u8 factor);

// Rebuilds both tables from scrollX, scrollY and frameCounter, then writes scrollOffsets and
// layerScroll of every visible layer of currentLayout.
void UpdateLayerScroll();

// The same for one layer from the current tables (whatever its visible flag).
void UpdateOneLayerScroll(TileLayer* layer);
