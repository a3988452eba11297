// The Braktext writer (".btx"): big-endian UTF-16 after the mark FE FF, each line ended by CR LF.
#pragma once
#include <string>
#include <vector>

#include "Engine/Common/Types.h"

namespace datakit {

// The UTF-16 units of a UTF-8 text (a malformed sequence becomes U+FFFD).
std::vector<u16> Utf16FromUtf8(const std::string& text);

// The file of the units as they stand: the mark FE FF (unless left out), then every unit
// big-endian. For tests that need line ends, marks or units of their own.
std::vector<u8> MakeBraktextUnits(const std::vector<u16>& units, bool mark = true);

// A text file from UTF-8 lines: every "\n" becomes CR LF, and a text that does not end with a line
// end gets one. Tags are written as they are typed, "<align(1)>".
std::vector<u8> MakeBraktext(const std::string& text);

} // namespace datakit
