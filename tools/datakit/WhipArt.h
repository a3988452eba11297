// The whip's grey-box art and data: "Data/Sprites/Global/Whip.man" (the hook with its attack box,
// then the four rope links, each with its sparkle frames), the properties file
// "Data/Sprites/Global/Whip.vep" and the seven whip sounds in "Data/SFX/Global/Whip/".
#pragma once
#include <string>

#include "Engine/Common/Types.h"

namespace datakit {

// The hook's attack box, relative to the tip.
constexpr i8 whipHookBoxLeft = -6, whipHookBoxRight = 6, whipHookBoxTop = -6, whipHookBoxBottom = 6;
// Frames of each link animation: the plain link, then its sparkle.
constexpr u16 whipLinkFrames = 4;

// Writes the whip's files under dir/Data/. False (after printing why) on a write failure.
bool WriteWhipData(const std::string& dir);

} // namespace datakit
