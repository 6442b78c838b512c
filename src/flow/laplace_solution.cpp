#include "flow/laplace_solution.h"

#include <cmath>

#include "flow/special_functions.h"

namespace quenlor {

double laplaceWellboreSolution(const LaplaceSolutionParameters& parameters, double s) {
    const double g = parameters.conductivity;
    const double d = parameters.fractureDiffusivity;
    const double f = parameters.faceSkinFactor;
    const double pi = std::acos(-1.0);
    const double u = std::sqrt(s + std::sqrt(s));
    const double a = std::sqrt(s / d + (2.0 / g) * u / (1.0 + f * u));
    double p = pi / (g * s * a * std::tanh(a));
    p = p * (1.0 - parameters.e1CorrectionWeight *
                       exponentialIntegralE1(std::sqrt(parameters.e1ArgumentScale * s)));
    return p;
}

}  // namespace quenlor
