// The sine and cosine tables.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "Engine/Collision/AngleTables.h"

namespace {

TEST(AngleTables, SineByFormulaWithItsTwoExceptionsAndCosineAQuarterOn)
{
    for (int i = 0; i < 256; ++i) {
        const int formula = (int)std::trunc(256.0 * std::sin(2.0 * std::numbers::pi * i / 256.0));
        const int expected = (i == 147 || i == 237) ? -117 : formula;
        EXPECT_EQ(sinTable[i], expected) << i;
        EXPECT_EQ(cosTable[i], sinTable[(i + 64) & 255]) << i;
    }
    EXPECT_EQ(sinTable[64], 256);
    EXPECT_EQ(sinTable[192], -256);
    EXPECT_EQ(cosTable[0], 256);
    EXPECT_EQ(cosTable[128], -256);
    EXPECT_EQ(cosTable[83], -117);
    EXPECT_EQ(cosTable[173], -117);
}

} // namespace
