// Sprite manifests (".man") from arbitrary bytes, beside a real sheet and raw palette: loading,
// playing every animation and reading boxes and points must stay inside the set's buffers, and
// freeing must give every sheet and palette back.
#include <cstdlib>

#include "Engine/Common/Anim.h"
#include "Engine/Common/Palettes.h"
#include "Engine/Common/Sheets.h"
#include "Engine/Common/StageSwitch.h"
#include "Engine/Platform/Headless/Headless.h"
#include "fuzz/FuzzMemory.h"
#include "fuzz/FuzzSheet.h"

namespace {

struct Header {
    f32 x, y;
    u8 flipX, flipY;
};

Stage first{}, second{};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    static bool ready = false;
    if (!ready) {
        ServeFuzzSheet("Data/S", 7);
        ready = true;
    }
    ServeFuzzFile("Data/S/f.man", data, size);
    previousStage = &first;
    currentStage = &second;
    AnimSet set{};
    LoadAnim("Data/S/f.man", &set);
    if (set.loaded) {
        AnimPlayer player{};
        const Header header{10.5f, -3.25f, 1, 0};
        for (u32 a = 0; a < set.animCount && a < 64; ++a) {
            SetAnim(&player, &set, (u16)a, (u16)(a * 3), (u8)(a & 1));
            for (int t = 0; t < 12; ++t) {
                UpdateAnimPlayer(&player);
                i64 box[4];
                GetAnimFrameBox(box, &header, &player);
                GetAnimFramePoint(&header, &player, (u8)t);
                const AnimFrame* frame = CurrentAnimFrame(&player);
                if (frame) {
                    const SpriteImage& image = frame->image;
                    volatile u8 last = image.pixels[image.rowStarts[image.height - 1] + image.width - 1];
                    (void)last;
                    for (u32 h = 0; h < frame->hitCount; ++h)
                        if (frame->hits[h].hitSet >= set.hitSetCount)
                            abort();
                }
            }
            StartAnim(&player, (u16)(a + 1));
        }
    }
    FreeAnim(&set);
    if (set.loaded || set.animations)
        abort();
    for (u32 s = 0; s < sheetSlotCount; ++s)
        if (sheetSlots[s])
            abort();
    for (u32 p = 0; p < paletteSlotCount; ++p)
        if (paletteSlots[p])
            abort();
    headless::ClearShownBoxes();
    return 0;
}
