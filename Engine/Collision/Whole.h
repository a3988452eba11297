// Float-to-integer conversions the collision code relies on: truncation toward zero that stays
// defined for any value (NaN reads 0; far positions saturate well inside i64), and angles turned
// into table indices.
#pragma once
#include "Engine/Common/Types.h"

// Far enough that no map reaches it, near enough that sums of a few such values never overflow.
constexpr f64 wholeLimit = 1099511627776.0; // 2^40

inline i64 WholeOf(f64 value)
{
    if (!(value == value))
        return 0;
    if (value > wholeLimit)
        return (i64)wholeLimit;
    if (value < -wholeLimit)
        return -(i64)wholeLimit;
    return (i64)value; // truncates toward zero
}

// An angle of 256 steps a turn as a table index: truncated, then wrapped to a byte, so a negative
// angle (a subtraction before the look-up) reads the table from its end.
inline u8 AngleIndex(f64 angle)
{
    return (u8)((u64)WholeOf(angle) & 255);
}
