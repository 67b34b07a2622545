// Sine, cosine, exponential and friends built only from + - * / and sqrt,
// which IEEE arithmetic rounds the same way everywhere. The C library picks
// among several implementations at run time (with or without fused
// multiply-add, for one), and those may differ in the last bit; the
// generator's bytes must not depend on which one a machine gets.
#pragma once

#include <cmath>

constexpr double detPi = 3.141592653589793;

// Sine by reduction to [-pi/4, pi/4] and Taylor series (error below 1e-15
// there; the reduction loses accuracy only far beyond the arguments used).
inline double detSin(double x)
{
    const double halfPi = 1.5707963267948966, halfPiLow = 6.123233995736766e-17;
    double k = std::floor(x / halfPi + 0.5);
    double r = (x - k * halfPi) - k * halfPiLow;
    double r2 = r * r;
    double s = r * (1 - r2 / 6 * (1 - r2 / 20 * (1 - r2 / 42 * (1 - r2 / 72 * (1 - r2 / 110 * (1 - r2 / 156))))));
    double c = 1 - r2 / 2 * (1 - r2 / 12 * (1 - r2 / 30 * (1 - r2 / 56 * (1 - r2 / 90 * (1 - r2 / 132)))));
    long quadrant = static_cast<long>(std::fmod(k, 4.0));
    if (quadrant < 0)
        quadrant += 4;
    switch (quadrant) {
    case 0:
        return s;
    case 1:
        return c;
    case 2:
        return -s;
    default:
        return -c;
    }
}

inline double detCos(double x)
{
    return detSin(x + 1.5707963267948966);
}

// e^x by x = k ln 2 + r, |r| <= ln 2 / 2, and a Taylor series for e^r.
inline double detExp(double x)
{
    if (x < -700)
        return 0.0;
    const double ln2 = 0.6931471805599453, ln2Low = 2.3190468138462996e-17;
    double k = std::floor(x / ln2 + 0.5);
    double r = (x - k * ln2) - k * ln2Low;
    double term = 1, sum = 1;
    for (int i = 1; i <= 16; ++i) {
        term *= r / i;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

inline double detHypot(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

// Arc tangent: halve the angle until the argument is small, then a series.
inline double detAtan(double z)
{
    int halvings = 0;
    while (std::fabs(z) > 0.05 && halvings < 8) {
        z = z / (1 + std::sqrt(1 + z * z));
        ++halvings;
    }
    double z2 = z * z, term = z, sum = z;
    for (int i = 1; i <= 8; ++i) {
        term *= -z2;
        sum += term / (2 * i + 1);
    }
    return std::ldexp(sum, halvings);
}

inline double detAtan2(double y, double x)
{
    if (x > 0)
        return detAtan(y / x);
    if (x < 0)
        return y >= 0 ? detAtan(y / x) + detPi : detAtan(y / x) - detPi;
    return y > 0 ? detPi / 2 : y < 0 ? -detPi / 2 : 0.0;
}
