// The actors' shared grey-box data: the Hazard sprite set (whose palette gives the attack boxes'
// debug outlines their colours) and the shared hit, death and explosion sounds.
#pragma once
#include <string>

namespace datakit {

// Writes the files under dir/Data/. False (after printing why) on a write failure.
bool WriteHazardData(const std::string& dir);

} // namespace datakit
