// The generator's own sine, exponential and arc tangent must agree with the
// C library to well below anything a picture or a 16-bit sample can show.
#include "../../tools/assetgen/detMath.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(DetMath, sineAndCosineMatchTheLibraryInEveryQuadrant)
{
    double worst = 0;
    for (int i = -200000; i <= 200000; ++i) {
        double x = i * 0.0137;  // about -2740 to 2740 radians
        worst = std::max(worst, std::fabs(detSin(x) - std::sin(x)));
        worst = std::max(worst, std::fabs(detCos(x) - std::cos(x)));
    }
    EXPECT_LT(worst, 1e-11);
    EXPECT_EQ(detSin(0.0), 0.0);
    EXPECT_NEAR(detSin(detPi / 2), 1.0, 1e-15);
    EXPECT_NEAR(detCos(detPi), -1.0, 1e-15);
}

TEST(DetMath, exponentialHasTheLibrarysRelativeAccuracy)
{
    double worst = 0;
    for (int i = -7000; i <= 7000; ++i) {
        double x = i * 0.01;
        worst = std::max(worst, std::fabs(detExp(x) / std::exp(x) - 1));
    }
    EXPECT_LT(worst, 1e-13);
    EXPECT_EQ(detExp(0.0), 1.0);
    EXPECT_EQ(detExp(-800.0), 0.0);
}

TEST(DetMath, arcTangentCoversAllFourQuadrantsAndTheAxes)
{
    double worst = 0;
    for (int i = -60; i <= 60; ++i)
        for (int j = -60; j <= 60; ++j) {
            if (i == 0 && j == 0)
                continue;
            worst = std::max(worst, std::fabs(detAtan2(i * 0.7, j * 0.9) - std::atan2(i * 0.7, j * 0.9)));
        }
    EXPECT_LT(worst, 1e-12);
    EXPECT_EQ(detAtan2(0.0, 0.0), 0.0);
    EXPECT_NEAR(detAtan2(1.0, 0.0), detPi / 2, 1e-15);
    EXPECT_NEAR(detAtan2(-1.0, 0.0), -detPi / 2, 1e-15);
    EXPECT_NEAR(detHypot(3.0, 4.0), 5.0, 0.0);
}
