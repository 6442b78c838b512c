// Extended open midpoint rule with tripling refinement, and the
// convolution integrands of the fall-off march.
//
// integrateMidpoint(f, a, b, eps) integrates f over [a, b] (b < a gives
// the negative of the integral from b to a). Stage n evaluates the
// midpoint rule with 3^(n-1) equal panels, reusing every earlier point, and
// never samples the end points, so an integrand that is singular or
// non-smooth at an end (such as |x - b| ln|x - b|) is handled. Successive
// stages are combined as (4 s_n - s_(n-1))/3 and the iteration stops when
// two combined estimates agree to the relative tolerance eps (strictly),
// or after 10 stages (3^9 = 19683 evaluations). The first stages start
// from -1e30 so that the test cannot pass before stage 3 (9 evaluations).
// The combination weights are those of step halving although the stages
// triple the points; the method has always been used this way.
//
// The integrand is any callable double(double); a lambda bound to the
// model state keeps its parameters explicit and lets the compiler inline
// the kernel.
#pragma once

#include <cmath>

#include "state/constants.h"
#include "state/model_state.h"

namespace quenlor {

inline constexpr int kMaxMidpointStages = 10;

// Stage n (1, 2, ... in order) of the open midpoint rule; s carries the
// estimate from stage n-1 to stage n.
template <class F>
void midpointStage(F& f, double a, double b, double& s, int n) {
    if (n == 1) {
        s = (b - a) * f((a + b) * 0.5);
        return;
    }
    int it = 1;
    for (int j = 2; j < n; ++j) it *= 3;
    const double tnm = it;
    const double del = (b - a) / (3.0 * tnm);
    const double ddel = 2.0 * del;
    double x = a + 0.5 * del;
    double sum = 0.0;
    for (int j = 0; j < it; ++j) {
        sum = sum + f(x);
        x = x + ddel;
        sum = sum + f(x);
        x = x + del;
    }
    s = ((b - a) / tnm * sum + s) * (1.0 / 3.0);
}

template <class F>
double integrateMidpoint(F&& f, double a, double b, double eps) {
    double previousStage = kFMinus1e30;
    double previousCombined = kFMinus1e30;
    double stage = 0.0;
    double result = 0.0;
    for (int n = 1; n <= kMaxMidpointStages; ++n) {
        midpointStage(f, a, b, stage, n);
        const double combined = (4.0 * stage - previousStage) * (1.0 / 3.0);
        result = combined;
        if (std::fabs(combined - previousCombined) < eps * std::fabs(previousCombined)) break;
        previousCombined = combined;
        previousStage = stage;
    }
    return result;
}

// Opening of a crack loaded by a step of stress at the interface position
// c: D arcosh(N/D) with D = x e + d c and N = x d e c + 1 (d, e = +-1),
// that is |x - b| arcosh((1 - b x)/|x - b|) with b = -d e c on the
// integrated side. Numerator and denominator are floored at 1e-20.
inline double crackOpeningKernel(const KernelParameters& k, double x) {
    const double c = k.kernelPosition;
    const double d = k.kernelPositionSign;
    const double e = k.kernelSideSign;
    const double den = x * e + d * c;
    const double num = x * d * e * c + 1.0;
    const double y = (num > kDivisionFloor ? num : kDivisionFloor) / (den > kDivisionFloor ? den : kDivisionFloor);
    return den * std::log(y + std::sqrt(y * y - 1.0));
}

// Convolution integrands over the injection period at time tau, with
// t = currentTime: the fitted derivative without storage K = c (t - tau)^m
// against the storage-corrected rate 1 - C L (rate form) or against -C L
// (storage form), L = a + b ln tau the fitted derivative with storage.
double rateConvolutionIntegrand(const ModelState& state, double tau);
double storageConvolutionIntegrand(const ModelState& state, double tau);

}  // namespace quenlor
