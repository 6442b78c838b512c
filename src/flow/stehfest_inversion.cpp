#include "flow/stehfest_inversion.h"

namespace quenlor {

void buildStehfestWeights(int terms, StehfestTable& table) {
    const int nh = terms / 2;
    double factorial[2 * kMaxStehfestTerms + 1];
    factorial[0] = 1.0;
    for (int k = 1; k <= terms; ++k) factorial[k] = factorial[k - 1] * k;
    double h[kMaxStehfestTerms / 2 + 1];
    h[1] = 2.0 / factorial[nh - 1];
    for (int k = 2; k <= nh; ++k) {
        std::int32_t power = 1;  // k^nh, exact for nh <= 9
        for (int j = 0; j < nh; ++j) power *= k;
        h[k] = static_cast<double>(power) * factorial[2 * k] /
               (factorial[nh - k] * factorial[k - 1] * factorial[k]);
    }
    double sign = (nh % 2 == 1) ? 1.0 : -1.0;
    for (int i = 1; i <= terms; ++i) {
        double sum = 0.0;
        const int last = i < nh ? i : nh;
        for (int k = (i + 1) / 2; k <= last; ++k) sum += h[k] / (factorial[i - k] * factorial[2 * k - i]);
        table.weights[i] = sign * sum;
        sign = -sign;
    }
    table.builtFor = terms;
}

InversionResult invertLaplace(const LaplaceSolutionParameters& parameters, int terms, double t,
                              double storage, StehfestTable& table, std::int32_t& claimedTerms) {
    return invertTransform([&parameters](double s) { return laplaceWellboreSolution(parameters, s); },
                           terms, t, storage, table, claimedTerms);
}

}  // namespace quenlor
