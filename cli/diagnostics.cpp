#include "diagnostics.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace quenlor {

std::vector<double> bourdetDerivative(const std::vector<double>& x, const std::vector<double>& y, double window) {
    const std::size_t n = x.size();
    if (n < 2 || y.size() != n) return {};
    std::vector<double> d(n);
    for (std::size_t i = 0; i < n; ++i) {
        // Left neighbour: the nearest point at least `window` below, else
        // the first point; right neighbour likewise.
        std::size_t l = i;
        while (l > 0) {
            --l;
            if (x[i] - x[l] >= window) break;
        }
        std::size_t r = i;
        while (r + 1 < n) {
            ++r;
            if (x[r] - x[i] >= window) break;
        }
        if (l == i) {
            d[i] = (y[r] - y[i]) / (x[r] - x[i]);
        } else if (r == i) {
            d[i] = (y[i] - y[l]) / (x[i] - x[l]);
        } else {
            const double dxl = x[i] - x[l];
            const double dxr = x[r] - x[i];
            const double sl = (y[i] - y[l]) / dxl;
            const double sr = (y[r] - y[i]) / dxr;
            d[i] = (sl * dxr + sr * dxl) / (dxl + dxr);
        }
    }
    return d;
}

std::vector<double> logTimeDerivative(const std::vector<double>& t, const std::vector<double>& p, double logCycles) {
    std::vector<double> x(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) x[i] = std::log(t[i]);
    return bourdetDerivative(x, p, logCycles * std::numbers::ln10);
}

std::vector<double> logSpacedTimes(double first, double last, int perDecade) {
    if (!(first > 0.0) || !(last > first) || perDecade < 1)
        throw std::invalid_argument("log-spaced times need 0 < first < last and at least one point per decade");
    const double decades = std::log10(last / first);
    const int intervals = static_cast<int>(std::ceil(decades * perDecade - 1e-9));
    const int steps = intervals < 1 ? 1 : intervals;
    std::vector<double> t(static_cast<std::size_t>(steps) + 1);
    const double lf = std::log(first);
    const double ll = std::log(last);
    for (int i = 0; i <= steps; ++i) t[i] = std::exp(lf + (ll - lf) * i / steps);
    t.front() = first;
    t.back() = last;
    return t;
}

std::vector<FallOffPoint> superposeFallOff(const std::function<double(double)>& response, double tp,
                                           const std::vector<double>& shutInTimes) {
    std::vector<FallOffPoint> points;
    points.reserve(shutInTimes.size());
    const double atShutIn = response(tp);
    for (double dt : shutInTimes) {
        const double change = atShutIn - response(tp + dt) + response(dt);
        points.push_back({dt, tp * dt / (tp + dt), change});
    }
    return points;
}

double nolteSmallG(double dtD, GAlpha alpha) {
    if (alpha == GAlpha::linear) return 4.0 / 3.0 * (std::pow(1.0 + dtD, 1.5) - std::pow(dtD, 1.5));
    return (1.0 + dtD) * std::asin(1.0 / std::sqrt(1.0 + dtD)) + std::sqrt(dtD);
}

double nolteG(double dtD, GAlpha alpha) {
    const double g0 = alpha == GAlpha::linear ? 4.0 / 3.0 : std::numbers::pi / 2.0;
    return 4.0 / std::numbers::pi * (nolteSmallG(dtD, alpha) - g0);
}

double nolteGSlope(double dtD, GAlpha alpha) {
    if (alpha == GAlpha::linear) return 8.0 / std::numbers::pi * (std::sqrt(1.0 + dtD) - std::sqrt(dtD));
    return 4.0 / std::numbers::pi * std::asin(1.0 / std::sqrt(1.0 + dtD));
}

}  // namespace quenlor
