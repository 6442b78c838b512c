#include "fracture/quadrature.h"

#include <algorithm>

namespace quenlor {

namespace {

struct ConvolutionTerms {
    double storageDerivative;  // L
    double kernel;             // K
};

ConvolutionTerms convolutionTerms(const ModelState& state, double tau) {
    const SweepFits& f = state.fits;
    const double l = f.storageDerivativeFitIntercept +
                     f.storageDerivativeFitSlope * std::log(std::max(tau, kArgumentFloor));
    const double k = f.pressureDerivativeFitScale *
                     std::pow(std::max(state.march.currentTime - tau, kArgumentFloor),
                              f.pressureDerivativeFitExponent);
    return {l, k};
}

}  // namespace

double rateConvolutionIntegrand(const ModelState& state, double tau) {
    const ConvolutionTerms c = convolutionTerms(state, tau);
    return (1.0 - state.derived.dimensionlessFractureStorage * c.storageDerivative) * c.kernel;
}

double storageConvolutionIntegrand(const ModelState& state, double tau) {
    const ConvolutionTerms c = convolutionTerms(state, tau);
    return -(c.kernel * state.derived.dimensionlessFractureStorage * c.storageDerivative);
}

}  // namespace quenlor
