// The heap copies that records keep of their names and paths: whole, or cut at a limit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Engine/Common/CopyText.h"

TEST(CopyTextTest, CopiesWholeOrCutAtTheLimit)
{
    const std::string longPath(600, 'p');
    struct Case {
        const char* text;
        size_t limit;
        std::string expected;
    };
    const Case cases[] = {
        {"Data/Stages/Zone1/layout1.bin", SIZE_MAX, "Data/Stages/Zone1/layout1.bin"},
        {"", SIZE_MAX, ""},
        {"Larry", 5, "Larry"},
        {"Larry", 3, "Lar"},
        {"Larry", 0, ""},
        {longPath.c_str(), 511, std::string(511, 'p')},
    };
    for (const Case& c : cases) {
        char* copy = CopyText(c.text, c.limit);
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, c.text);
        EXPECT_EQ(std::string(copy), c.expected) << "limit " << c.limit;
        free(copy);
    }
}
