// The five gameplay stages' grey-box data: their layouts (tile layers at the indices the stage
// handlers name, drawn layers, the collision layer and the pass-through layer), their music and
// their placement folders.
#pragma once
#include <string>

namespace datakit {

// Writes the stages' files under dir/Data/. False (after printing why) on a write failure.
bool WriteStageData(const std::string& dir);

} // namespace datakit
