#include "flow/special_functions.h"

#include <algorithm>
#include <cmath>

namespace quenlor {

namespace {

constexpr double single(float v) { return static_cast<double>(v); }

// A&S 5.1.53, 0 < x <= 1.
constexpr double kA0 = single(0.57721566f);
constexpr double kA1 = single(0.99999193f);
constexpr double kA2 = single(-0.24991055f);
constexpr double kA3 = single(0.05519968f);
constexpr double kA4 = single(-0.00976004f);
constexpr double kA5 = single(0.00107857f);

// A&S 5.1.56, x >= 1.
constexpr double kP3 = single(8.5733287401f);
constexpr double kP2 = single(18.0590169730f);
constexpr double kP1 = single(8.6347608925f);
constexpr double kP0 = single(0.2677737343f);
constexpr double kQ3 = single(9.5733223454f);
constexpr double kQ2 = single(25.6329561486f);
constexpr double kQ1 = single(21.0996530827f);
constexpr double kQ0 = single(3.9584969228f);

}  // namespace

double exponentialIntegralE1(double x) {
    if (x <= 1.0) {
        return x * (kA1 + x * (kA2 + x * (kA3 + x * (kA4 + x * kA5)))) - std::log(x) - kA0;
    }
    const double p = (((x + kP3) * x + kP2) * x + kP1) * x + kP0;
    const double q = (((x + kQ3) * x + kQ2) * x + kQ1) * x + kQ0;
    return std::exp(-x) * p / (x * q);
}

double ellipticIntegralE(double halfLength, double totalHeight) {
    const double m = std::min(totalHeight / (2.0 * halfLength), 2.0 * halfLength / totalHeight);
    const double pi = 4.0 * std::atan(1.0);
    const double h = pi * 0.005;
    auto f = [m](double theta) {
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        return std::sqrt(c * c + m * m * (s * s));
    };
    double sum = f(0.0) / 2.0;
    for (int k = 1; k < 100; ++k) sum += f(k * h);
    sum += f(100 * h) / 2.0;
    return h * sum;
}

}  // namespace quenlor
