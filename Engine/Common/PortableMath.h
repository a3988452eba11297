#pragma once
// Angle maths from plain arithmetic only. The C libraries of the three builds (glibc, and mingw's
// on x86-64 and x86) disagree in the last bits of atan2f and friends; a result that feeds the game
// state must come out the same everywhere, so it is worked out here with +, -, * and / in doubles,
// which every build rounds alike.
#include <cmath>

#include "Engine/Common/Types.h"

// atan2(y, x) in radians, (-pi, pi]; within 1e-15 of the exact angle. 0 for (0, 0).
inline f64 PortableAtan2(f64 y, f64 x)
{
    const f64 pi = 3.14159265358979323846;
    const f64 ax = x < 0.0 ? -x : x;
    const f64 ay = y < 0.0 ? -y : y;
    if (ax == 0.0 && ay == 0.0)
        return x < 0.0 ? (y < 0.0 ? -pi : pi) : 0.0;
    if (ax != ax || ay != ay)
        return 0.0;
    // The angle of (ax, ay) in [0, pi/2] from t = small / large in [0, 1].
    const bool steep = ay > ax;
    f64 t = steep ? ax / ay : ay / ax;
    if (t != t)
        t = 1.0; // both infinite
    f64 base = 0.0;
    // atan(t) = pi/4 + atan((t - 1) / (t + 1)) brings t under tan(pi/8), where the series is quick.
    if (t > 0.41421356237309503) {
        t = (t - 1.0) / (t + 1.0);
        base = pi / 4.0;
    }
    const f64 t2 = t * t;
    f64 sum = 0.0;
    for (int k = 41; k >= 1; k -= 2)
        sum = 1.0 / k - t2 * sum; // Horner over t - t^3/3 + t^5/5 - ...
    f64 angle = base + t * sum;
    if (steep)
        angle = pi / 2.0 - angle;
    if (x < 0.0)
        angle = pi - angle;
    return y < 0.0 ? -angle : angle;
}

// sin and cos of x in radians for |x| below 2^32 (a frame count or a seed passes whole), within
// 1e-15 of the exact values; beyond that, and for non-numbers, 0 and 1.
inline void PortableSinCos(f64 x, f64* sine, f64* cosine)
{
    if (!(x > -4294967296.0 && x < 4294967296.0)) {
        *sine = 0.0;
        *cosine = 1.0;
        return;
    }
    // The quarter turn n nearest x, and what is left, r = x - n pi/2 in [-pi/4, pi/4]. pi/2 is
    // taken in four parts of 21 bits each, so each n x part (n is under 2^32) is exact, and each
    // subtraction takes away nearly all of what is left, which is exact as well.
    const f64 n = std::floor(x * 0x1.45f306dc9c883p-1 + 0.5);
    f64 r = x - n * 0x1.921fb00000000p+0;
    r -= n * 0x1.5110b00000000p-22;
    r -= n * 0x1.1846900000000p-44;
    r -= n * 0x1.1319800000000p-65;
    // Taylor series, Horner: the first terms left out are below 1e-19 on [-pi/4, pi/4].
    const f64 r2 = r * r;
    f64 s = 0.0, c = 0.0;
    for (int k = 19; k >= 3; k -= 2)
        s = r2 / (f64)((k - 1) * k) * (1.0 - s);
    s = r * (1.0 - s);
    for (int k = 18; k >= 2; k -= 2)
        c = r2 / (f64)((k - 1) * k) * (1.0 - c);
    c = 1.0 - c;
    switch ((i64)n & 3) {
    case 0: *sine = s, *cosine = c; break;
    case 1: *sine = c, *cosine = -s; break;
    case 2: *sine = -s, *cosine = -c; break;
    default: *sine = -c, *cosine = s; break;
    }
}

inline f64 PortableSin(f64 x)
{
    f64 s, c;
    PortableSinCos(x, &s, &c);
    return s;
}

inline f64 PortableCos(f64 x)
{
    f64 s, c;
    PortableSinCos(x, &s, &c);
    return c;
}
