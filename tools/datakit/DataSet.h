// The grey-box data set: every file the game loads, made by code.
#pragma once
#include <string>

namespace datakit {

// Writes the data set under dir/Data/. Returns false (after printing why) on a write failure.
bool BuildDataSet(const std::string& dir);

} // namespace datakit
