#include "tools/datakit/VepWriter.h"

#include <cmath>

#include "tools/datakit/Bytes.h"

namespace datakit {

std::array<u16, 2> SplitFixed(double value)
{
    if (!(value > 0.0))
        return {0, 0};
    if (value >= 65536.0)
        return {65535, 65535};
    double whole = std::floor(value);
    double fraction = std::round((value - whole) * 65535.0);
    // A fraction that rounds up to a whole step carries into the integer part.
    if (fraction >= 65535.0 && whole < 65535.0) {
        whole += 1.0;
        fraction = 0.0;
    }
    return {(u16)whole, (u16)fraction};
}

namespace {

void PutFixed(std::vector<u8>& out, double value)
{
    const std::array<u16, 2> parts = SplitFixed(value);
    PutBe16(out, parts[0]);
    PutBe16(out, parts[1]);
}

} // namespace

std::vector<u8> MakeVep(const Vep& vep)
{
    std::vector<u8> out;
    for (double value : vep.values)
        PutFixed(out, value);
    out.push_back(vep.hp);
    for (u8 flag : vep.flags)
        out.push_back(flag);
    for (i8 anim : vep.anims)
        out.push_back((u8)anim);
    // The length byte counts the bytes that follow it before the row count.
    const size_t skip = vep.skipped.size() > 255 ? 255 : vep.skipped.size();
    out.push_back((u8)skip);
    if (skip == 0)
        return out;
    out.insert(out.end(), vep.skipped.begin(), vep.skipped.begin() + (std::ptrdiff_t)skip);
    const size_t count = vep.rows.size() > 65535 ? 65535 : vep.rows.size();
    PutBe16(out, (u16)count);
    for (size_t i = 0; i < count; ++i) {
        const VepRow& row = vep.rows[i];
        PutBe16(out, row.flags);
        out.push_back(row.kind);
        out.push_back(row.hitlag);
        PutFixed(out, row.knockback);
        PutFixed(out, row.damage);
        out.push_back(row.angle);
    }
    return out;
}

} // namespace datakit
