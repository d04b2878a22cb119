#include "core/arithmetic.h"

#include <gtest/gtest.h>

#include <limits>

using namespace wendolarka;

TEST(Arithmetic, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(10, 3, 4), 8);   // 7.5
    EXPECT_EQ(MulDiv(-10, 3, 4), -8); // -7.5
    EXPECT_EQ(MulDiv(10, 3, -4), -8);
    EXPECT_EQ(MulDiv(-10, -3, 4), 8);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);    // 2.33
    EXPECT_EQ(MulDiv(8, 1, 3), 3);    // 2.67
    EXPECT_EQ(MulDiv(-11, 72, 96), -8);
    EXPECT_EQ(MulDiv(10, 96, 72), 13);
}

TEST(Arithmetic, MulDivUsesAWideIntermediateAndReportsFailureAsMinusOne) {
    EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000);
    EXPECT_EQ(MulDiv(2000000000, 2, 4), 1000000000);
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
    EXPECT_EQ(MulDiv(std::numeric_limits<int>::max(), 4, 1), -1);
}

TEST(Arithmetic, RoundTakesHalvesToTheEvenNeighbour) {
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(-3.5), -4);
    EXPECT_EQ(Round(2.6), 3);
    EXPECT_EQ(Round(-0.4), 0);
}
