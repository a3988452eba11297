// The placement file writer: Objects/<Type>.bin, the objects a stage places of one type.
#pragma once
#include <string>
#include <vector>

#include "Engine/Common/Types.h"

namespace datakit {

// A placement-file number: the integer part and the fraction word. The reader prints them with
// "%10d%d" and reads the fraction's first digit as the point, so the word carries a placeholder
// digit (1 here) before the fraction digits: 3.25 is {3, 125}.
struct DecimalFloat {
    i32 integer;
    i32 fraction;
};

// The decimal float for value with digits fraction digits (0-8), rounded to nearest. False when
// it cannot be written: between -1 and 0 (an integer part of 0 carries no sign), an integer part
// that does not print in 10 characters, or digits out of range.
bool ToDecimalFloat(f64 value, int digits, DecimalFloat* out);

// One placed object: its position, the two spawn bytes and the values of its type's keys in
// declaration order, each in its kind's file form (appended with the Put functions below).
struct PlacedObject {
    DecimalFloat x{0, 1};
    DecimalFloat y{0, 1};
    u8 spawnA = 0;
    u8 spawnB = 0;
    std::vector<u8> keys;
};

// Appends a key of an integer kind: 0-5 and 8 take a; 10-16 take a and b. Kind 7 and kinds above
// 16 take no bytes. False for the float kinds 6 and 9 (nothing appended).
bool PutPlacementKey(std::vector<u8>& keys, u8 kind, u32 a, u32 b = 0);
// Appends a key of kind 6 (a) or 9 (a and b). False for any other kind (nothing appended).
bool PutPlacementFloatKey(std::vector<u8>& keys, u8 kind, DecimalFloat a, DecimalFloat b = {0, 1});

// The file's bytes: the object count, then the records.
std::vector<u8> MakePlacementFile(const std::vector<PlacedObject>& objects);
// Writes the file, creating its folders; false on failure.
bool WritePlacementFile(const std::string& path, const std::vector<PlacedObject>& objects);

} // namespace datakit
