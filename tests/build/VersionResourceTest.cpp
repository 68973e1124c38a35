#include <gtest/gtest.h>

// The build itself works: sanitizers and GoogleTest are wired up.
TEST(Build, TestsRun)
{
    EXPECT_EQ(1 + 1, 2);
}
