#include "Engine/Render/PresentCopy.h"

#include <cstring>

#include "Engine/Render/VideoMode.h"

PresentCopyFunction presentCopy;
PresentDoubleFunction presentDouble;
u32 presentRowBytes;

template <int W, int H> void PresentCopySized(const u32* source, u32* destination)
{
    memcpy(destination, source, sizeof(u32) * W * H);
}

// Each source pixel is written twice into the even output row; the odd row (the second
// destination, one doubled row behind the first) is a copy of the finished even row. Both skip a
// doubled row after each source row.
template <int W, int H> void PresentDoubleSized(const u32* source, u32* destination, u32* secondDestination)
{
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const u64 pair = (u64)source[x] * 0x100000001ull;
            memcpy(destination + 2 * x, &pair, sizeof(pair));
        }
        memcpy(secondDestination, destination, sizeof(u32) * 2 * W);
        source += W;
        destination += 4 * W;
        secondDestination += 4 * W;
    }
}

template void PresentCopySized<320, 240>(const u32*, u32*);
template void PresentCopySized<640, 480>(const u32*, u32*);
template void PresentCopySized<424, 240>(const u32*, u32*);
template void PresentDoubleSized<320, 240>(const u32*, u32*, u32*);
template void PresentDoubleSized<640, 480>(const u32*, u32*, u32*);
template void PresentDoubleSized<424, 240>(const u32*, u32*, u32*);

void SelectScreenFilters()
{
    switch (videoMode) {
    case 20:
        presentCopy = PresentCopySized<320, 240>;
        presentDouble = PresentDoubleSized<320, 240>;
        break;
    case 24:
        presentCopy = PresentCopySized<640, 480>;
        presentDouble = PresentDoubleSized<640, 480>;
        break;
    case 25:
        presentCopy = PresentCopySized<424, 240>;
        presentDouble = PresentDoubleSized<424, 240>;
        break;
    default:
        return;
    }
    presentRowBytes *= 4;
}
