// Benchmarks that draw a layout of their own set the slot tables of loaded layouts aside: in one
// run another benchmark may have loaded a layout, and the scene draw would otherwise take the
// current layout from those tables instead of the one the benchmark set.
#pragma once
#include "Engine/Common/Layout.h"

class SlotTablesAside {
public:
    SlotTablesAside()
        : layouts(layoutSlots), layoutCount(layoutSlotCount), sheets(tileSheetSlots), sheetCount(tileSheetSlotCount)
    {
        layoutSlots = nullptr;
        layoutSlotCount = 0;
        tileSheetSlots = nullptr;
        tileSheetSlotCount = 0;
    }
    ~SlotTablesAside()
    {
        layoutSlots = layouts;
        layoutSlotCount = layoutCount;
        tileSheetSlots = sheets;
        tileSheetSlotCount = sheetCount;
        currentLayout = nullptr;
        currentTileSheet = nullptr;
    }
    SlotTablesAside(const SlotTablesAside&) = delete;
    SlotTablesAside& operator=(const SlotTablesAside&) = delete;

private:
    Layout** layouts;
    u16 layoutCount;
    TileSheet** sheets;
    u16 sheetCount;
};

