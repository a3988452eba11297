#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "Engine/Common/PortableMath.h"

// Against the C library over every direction of a grid, both octant halves and all four quadrants,
// including the pi/8 and pi/4 seams where the reduction changes.
TEST(PortableMath, Atan2MatchesTheLibraryEverywhere)
{
    for (int i = -64; i <= 64; ++i) {
        for (int j = -64; j <= 64; ++j) {
            const f64 y = i * 0.37, x = j * 0.53;
            if (i == 0 && j == 0)
                continue;
            EXPECT_NEAR(PortableAtan2(y, x), std::atan2(y, x), 1e-15) << y << ", " << x;
        }
    }
    for (f64 t : {0.41421356237309503, 0.414213562373095, 0.4142135623730952, 1.0, 1e-300, 1e300})
        EXPECT_NEAR(PortableAtan2(t, 1.0), std::atan2(t, 1.0), 1e-15) << t;
}

// The edges: the axes, the origin and non-numbers give 0 rather than a non-number.
TEST(PortableMath, Atan2Edges)
{
    const f64 pi = 3.14159265358979323846;
    struct Case {
        f64 y, x, angle;
    } cases[] = {
        {0.0, 1.0, 0.0}, {1.0, 0.0, pi / 2}, {0.0, -1.0, pi}, {-1.0, 0.0, -pi / 2}, {0.0, 0.0, 0.0},
        {NAN, 1.0, 0.0}, {1.0, NAN, 0.0}, {INFINITY, INFINITY, pi / 4}, {-2.0, -2.0, -3 * pi / 4},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(PortableAtan2(c.y, c.x), c.angle, 1e-15) << c.y << ", " << c.x;
}

// Against the C library from small angles to seeds near 2^32, across every quadrant and the
// quarter-turn seams.
TEST(PortableMath, SinCosMatchTheLibrary)
{
    std::vector<f64> angles;
    for (int i = -2000; i <= 2000; ++i)
        angles.push_back(i * 0.0137);
    for (int k = -8; k <= 8; ++k)
        for (f64 nudge : {-1e-9, 0.0, 1e-9})
            angles.push_back(k * 1.5707963267948966 + nudge);
    for (u32 seed : {1u, 355u, 1000000u, 123456789u, 2147483647u, 3000000000u, 4294967295u})
        angles.push_back((f64)seed);
    for (f64 x : angles) {
        f64 s, c;
        PortableSinCos(x, &s, &c);
        EXPECT_NEAR(s, std::sin(x), 1e-15) << x;
        EXPECT_NEAR(c, std::cos(x), 1e-15) << x;
        EXPECT_EQ(PortableSin(x), s);
        EXPECT_EQ(PortableCos(x), c);
    }
}

// Past 2^32 and for non-numbers: 0 and 1 rather than garbage.
TEST(PortableMath, SinCosOutOfRange)
{
    for (f64 x : {4294967296.0, -1e300, (f64)INFINITY, (f64)NAN}) {
        EXPECT_EQ(PortableSin(x), 0.0) << x;
        EXPECT_EQ(PortableCos(x), 1.0) << x;
    }
}
