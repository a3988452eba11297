#include "Engine/Render/DrawState.h"

u32* currentPalette;
u8* currentPaletteRgb;

u32 blendMode = 0;
u32 blendLevel = 255;
u32 drawFlags = 0;
i32 spriteScaleX = 512, spriteScaleY = 512;
i32 spriteAngle = 0;
