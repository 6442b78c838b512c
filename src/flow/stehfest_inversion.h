// Numerical Laplace inversion by the Stehfest algorithm.
//
// f(t) ~ (ln 2 / t) sum_{i=1..N} V(i) F(i ln2 / t), with the Stehfest
// weights V(i) = (-1)^(N/2+i) sum_k k^(N/2) (2k)! / ((N/2-k)! k! (k-1)!
// (i-k)! (2k-i)!). N is even, 2..18 (the power k^(N/2) is formed in 32-bit
// integers, exact up to N/2 = 9). The weights alternate in sign and grow
// quickly (about 8e6 in magnitude for N = 12), so precision is lost by
// cancellation as N grows; N = 10..14 suits smooth transforms in double
// precision.
//
// One inversion yields four values at t: the pressure p (inverse of the
// transform), its time derivative (inverse of s p), the pressure with a
// storage coefficient C (inverse of p / (1 + C s^2 p)) and its derivative.
//
// The weights are kept in a StehfestTable and rebuilt whenever the table
// was not built for the requested N in this process, whatever the term
// count that the caller claims for it; that count is then set to N.
#pragma once

#include <cmath>
#include <cstdint>

#include "flow/laplace_solution.h"
#include "state/model_state.h"

namespace quenlor {

struct InversionResult {
    double pressure;
    double pressureDerivative;
    double storagePressure;
    double storagePressureDerivative;
};

// Rebuilds table for N terms (N even, 2..18).
void buildStehfestWeights(int terms, StehfestTable& table);

// Whether N is a term count the weights can be built for.
inline bool isValidStehfestTermCount(int terms) {
    return terms >= 2 && terms <= kMaxStehfestTerms && terms % 2 == 0;
}

// Makes sure table holds the weights for N; claimedTerms is the caller's
// record of the N the weights were built for, updated to N.
inline void ensureStehfestWeights(int terms, StehfestTable& table, std::int32_t& claimedTerms) {
    if (table.builtFor != terms) buildStehfestWeights(terms, table);
    claimedTerms = terms;
}

// Inverts an arbitrary transform (a callable double(double)) at t > 0.
template <class Transform>
InversionResult invertTransform(Transform&& transform, int terms, double t, double storage,
                                StehfestTable& table, std::int32_t& claimedTerms) {
    InversionResult r{0.0, 0.0, 0.0, 0.0};
    if (!isValidStehfestTermCount(terms)) return r;  // callers reject such counts first
    ensureStehfestWeights(terms, table, claimedTerms);
    const double a = std::log(2.0) / t;
    for (int i = 1; i <= terms; ++i) {
        const double s = i * a;
        const double v = table.weights[i];
        const double p = transform(s);
        r.pressure += v * p;
        r.pressureDerivative += v * p * s;
        const double pw = p / (1.0 + storage * p * s * s);
        r.storagePressure += v * pw;
        r.storagePressureDerivative += v * pw * s;
    }
    r.pressure *= a;
    r.pressureDerivative *= a;
    r.storagePressure *= a;
    r.storagePressureDerivative *= a;
    return r;
}

// The inversion of the wellbore solution that the simulation uses.
InversionResult invertLaplace(const LaplaceSolutionParameters& parameters, int terms, double t,
                              double storage, StehfestTable& table, std::int32_t& claimedTerms);

}  // namespace quenlor
