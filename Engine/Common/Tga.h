// TGA images: types 1 (colour-mapped) and 9 (colour-mapped, run-length encoded), colour-map
// entries of 16, 24 or 32 bits, rows stored either way up. Pixels are one byte each.
#pragma once
#include "Engine/Common/Types.h"

struct Sheet;

// Loads the image into the sheet: 1 on success, 0 when the file was found nowhere, its type is not
// 1 or 9 (width and height are still stored), or its pixel data is cut short (reported; the sheet
// keeps no pixels). setPalette non-zero copies the image's colour-map entries into the current
// palette.
i32 LoadTga(const char* path, Sheet* sheet, u32 setPalette);
