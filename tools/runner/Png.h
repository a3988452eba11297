// The runner's PNG frames, written by stb_image_write: for people and tests to look at.
#pragma once
#include <string>

#include "Engine/Common/Types.h"

// Writes width x height pixels of 0x00RRGGBB as an RGB PNG. False on a write failure.
bool WritePng(const std::string& path, const u32* pixels, u32 width, u32 height);
