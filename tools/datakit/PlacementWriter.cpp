#include "tools/datakit/PlacementWriter.h"

#include <cmath>

#include "tools/datakit/Bytes.h"

namespace datakit {

namespace {

void PutDecimalFloat(std::vector<u8>& out, DecimalFloat value)
{
    PutBe32(out, (u32)value.integer);
    PutBe32(out, (u32)value.fraction);
}

} // namespace

bool ToDecimalFloat(f64 value, int digits, DecimalFloat* out)
{
    if (digits < 0 || digits > 8 || !std::isfinite(value))
        return false;
    i64 scale = 1;
    for (int i = 0; i < digits; ++i)
        scale *= 10;
    const f64 scaled = std::round(std::fabs(value) * (f64)scale);
    // The integer part must print in 10 characters, sign included.
    if (scaled / (f64)scale >= 2147483648.0)
        return false;
    const i64 whole = (i64)scaled;
    const i64 integer = whole / scale;
    const i64 fraction = whole % scale;
    const bool negative = value < 0.0 && whole != 0;
    if (negative && integer == 0)
        return false;
    if (negative ? integer > 999999999 : integer > 2147483647)
        return false;
    out->integer = (i32)(negative ? -integer : integer);
    out->fraction = (i32)(scale + fraction);
    return true;
}

bool PutPlacementKey(std::vector<u8>& keys, u8 kind, u32 a, u32 b)
{
    switch (kind) {
    case 0:
    case 1:
    case 8:
        keys.push_back((u8)a);
        return true;
    case 2:
    case 3:
        PutBe16(keys, (u16)a);
        return true;
    case 4:
    case 5:
        PutBe32(keys, a);
        return true;
    case 6:
    case 9:
        return false;
    case 10:
    case 11:
        PutBe32(keys, a);
        PutBe32(keys, b);
        return true;
    case 12:
    case 13:
    case 14:
    case 15:
        PutBe16(keys, (u16)a);
        PutBe16(keys, (u16)b);
        return true;
    case 16:
        keys.push_back((u8)a);
        keys.push_back((u8)b);
        return true;
    default: // 7 and above 16: no bytes
        return true;
    }
}

bool PutPlacementFloatKey(std::vector<u8>& keys, u8 kind, DecimalFloat a, DecimalFloat b)
{
    if (kind != 6 && kind != 9)
        return false;
    PutDecimalFloat(keys, a);
    if (kind == 9)
        PutDecimalFloat(keys, b);
    return true;
}

std::vector<u8> MakePlacementFile(const std::vector<PlacedObject>& objects)
{
    std::vector<u8> out;
    PutBe32(out, (u32)objects.size());
    for (const PlacedObject& object : objects) {
        PutDecimalFloat(out, object.x);
        PutDecimalFloat(out, object.y);
        out.push_back(object.spawnA);
        out.push_back(object.spawnB);
        out.insert(out.end(), object.keys.begin(), object.keys.end());
    }
    return out;
}

bool WritePlacementFile(const std::string& path, const std::vector<PlacedObject>& objects)
{
    return WriteFile(path, MakePlacementFile(objects));
}

} // namespace datakit
