#include "Engine/Common/DevMenu.h"

u8 devMenuOpen;
u8 devMenuVisible;
