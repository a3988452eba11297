// The properties-file writer (".vep"): an actor type's tuning values, hit points, flags,
// animation choices and attack attribute rows, big-endian.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "Engine/Common/Types.h"

namespace datakit {

struct VepRow {
    u16 flags = 0;
    u8 kind = 0;
    u8 hitlag = 0;
    double knockback = 0.0;
    double damage = 0.0;
    u8 angle = 0;
};

struct Vep {
    std::array<double, 15> values{}; // written as an integer part and a fraction of 65535
    u8 hp = 16;
    std::array<u8, 5> flags{};
    std::array<i8, 10> anims{};
    // The N bytes between the length byte N and the row count. Empty writes N = 0, which ends the
    // file after the length byte: no row table, the type keeps the rows it had.
    std::vector<u8> skipped = {0};
    std::vector<VepRow> rows;
};

// A fixed value as the file stores it: the integer part and the fraction x 65535, rounded. Values
// below 0 are written as 0, values past 65535 as 65535 + 65535/65535.
std::array<u16, 2> SplitFixed(double value);

// The file's bytes (at most 255 skipped bytes and 65535 rows are written).
std::vector<u8> MakeVep(const Vep& vep);

} // namespace datakit
