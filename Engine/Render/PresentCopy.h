// The last step of every frame: copy the finished frame into the present buffer, at 1x or
// doubled in both directions. One pair is built per screen size; SelectScreenFilters installs the
// pair of the current video mode.
#pragma once
#include "Engine/Common/Types.h"

typedef void (*PresentCopyFunction)(const u32* source, u32* destination);
typedef void (*PresentDoubleFunction)(const u32* source, u32* destination, u32* secondDestination);

extern PresentCopyFunction presentCopy;
extern PresentDoubleFunction presentDouble;
// Bytes of one frame row (screenWidth x 4 once SelectScreenFilters has run).
extern u32 presentRowBytes;

// Installs the copy pair for videoMode (20, 24 or 25) and turns presentRowBytes from pixels into
// bytes. Any other mode leaves both unchanged.
void SelectScreenFilters();

// The pairs of each screen size, for the benchmarks and tests.
template <int W, int H> void PresentCopySized(const u32* source, u32* destination);
template <int W, int H> void PresentDoubleSized(const u32* source, u32* destination, u32* secondDestination);
