#include "simulation/marches.h"

#include <cmath>

#include "fracture/closure_storage.h"
#include "fracture/quadrature.h"
#include "interface/response_lookup.h"
#include "simulation/sweeps.h"
#include "state/constants.h"
#include "state/same_bits.h"

namespace quenlor {

namespace {

double powerLaw(double scale, double exponent, double x) { return scale * std::pow(x, exponent); }

// The open fracture's storage with the wellbore's share (closure model 5).
double openFractureStorage(const ModelState& s) {
    return (1.0 + s.control.fractureStorageFactor) * s.derived.dimensionlessWellboreStorage +
           s.derived.dimensionlessFractureStorage;
}

// Storage of earlier interval k (closure models 1..5).
//
// After the closure time the storage by pressure no longer changes the
// reference pressure and depends only on the interval's mean pressure and
// that reference, which stay fixed once the interval is recorded: each
// interval's value is kept and used again while both are unchanged.
double intervalStorage(ModelState& s, int k) {
    const MarchState& m = s.march;
    const double cd = s.derived.dimensionlessWellboreStorage;
    if (s.control.closureModel < 5)
        return closureStorageByTime(s, (m.timeRecord[k] + m.timeRecord[k - 1]) * 0.5) + cd;
    const double pw = (m.pressureRecord[k - 1] + m.pressureRecord[k]) * 0.5;
    const bool closed = m.currentTime > s.derived.dimensionlessClosureTime;
    ReuseMemo::IntervalStorage& kept = s.memo.interval[k];
    const double reference = s.control.closureReferencePressure;
    if (closed && !s.reuseDisabled && kept.valid && sameBits(kept.pressure, pw) &&
        sameBits(kept.reference, reference))
        return kept.value + cd;
    const double value = closureStorageByPressure(s, pw);
    if (closed) kept = {pw, reference, value, true};
    return value + cd;
}

// Forgets the kept interval storages (a march starting again from time 0).
void forgetIntervalStorages(ModelState& s) {
    for (ReuseMemo::IntervalStorage& kept : s.memo.interval) kept.valid = false;
}

// x^exponent, reusing the previous power when x repeats: within a step the
// later end of interval k is the earlier end of interval k+1.
struct PowerMemo {
    double x = 0.0, exponent = 0.0, value = 0.0;
    bool valid = false;
    double operator()(double arg, double exp, bool reuse) {
        if (reuse && valid && sameBits(arg, x) && sameBits(exp, exponent)) return value;
        x = arg;
        exponent = exp;
        value = std::pow(arg, exp);
        valid = true;
        return value;
    }
};

// Unit-rate response of earlier interval k, seen at step n, over its length.
double intervalWeight(ModelState& s, int n, int k, double scale, double exponent, PowerMemo& powers) {
    const MarchState& m = s.march;
    const double e1 = m.timeRecord[n] - m.timeRecord[k - 1];
    const double e2 = m.timeRecord[n] - m.timeRecord[k];
    const double delta = m.timeRecord[k] - m.timeRecord[k - 1];
    const double end = s.control.simulationEndTime;
    if (e1 > end && e2 > end) return (invertAt(s, e1).pressure - invertAt(s, e2).pressure) / delta;
    const bool reuse = !s.reuseDisabled;
    const double p1 = powers(e1, exponent, reuse);
    const double p2 = powers(e2, exponent, reuse);
    return scale * (p1 - p2) / delta;
}

// History term of earlier interval k at step n after shut-in.
double fallOffIntervalTerm(ModelState& s, int n, int k, PowerMemo& powers) {
    const MarchState& m = s.march;
    const SweepFits& f = s.fits;
    const double dp = m.pressureRecord[k] - m.pressureRecord[k - 1];
    if (s.control.closureModel == 0) {
        const double e1 = m.timeRecord[n] - m.timeRecord[k - 1];
        const double d = e1 > s.control.simulationEndTime
                             ? invertAt(s, e1).pressureDerivative
                             : powerLaw(f.fallOffDerivativeFitScale, f.fallOffDerivativeFitExponent, e1);
        return dp * s.derived.dimensionlessWellboreStorage * d;
    }
    const double g = intervalWeight(s, n, k, f.fallOffPressureFitScale, f.fallOffPressureFitExponent, powers);
    const double w = intervalStorage(s, k);
    return w * dp * g;
}

// Steps 1 to 9 of a step after shut-in; currentTime already advanced.
// Returns the step's pressure (before any tail correction) and leaves the
// step storage in march.stepStorage.
void fallOffStep(ModelState& s, bool tail) {
    MarchState& m = s.march;
    const ControlRecord& c = s.control;
    const SweepFits& f = s.fits;
    const double duration = c.injectionDuration;
    const double cd = s.derived.dimensionlessWellboreStorage;
    m.timeSinceShutIn = m.currentTime - duration;

    if (c.closureModel == 0) {
        if (!tail && m.currentTime > 2.0 * duration) m.quadratureTolerance = kF0_001;
        const double tol = m.quadratureTolerance;
        const double early = kF0_01 * duration;
        const double late = kF0_99 * duration;
        if (c.quadratureSwitch == 0) {
            auto integrand = [&s](double tau) { return rateConvolutionIntegrand(s, tau); };
            m.earlyInjectionIntegral = integrateMidpoint(integrand, 0.0, early, tol);
            m.mainInjectionIntegral = integrateMidpoint(integrand, early, late, tol);
            m.lateInjectionIntegral = integrateMidpoint(integrand, late, duration, tol);
        } else {
            auto integrand = [&s](double tau) { return storageConvolutionIntegrand(s, tau); };
            m.earlyInjectionIntegral = integrateMidpoint(integrand, 0.0, early, tol);
            m.mainInjectionIntegral = integrateMidpoint(integrand, early, late, tol);
            m.lateInjectionIntegral = integrateMidpoint(integrand, late, duration, tol);
        }
    } else {
        m.earlyInjectionIntegral = 0.0;
        m.mainInjectionIntegral = 0.0;
        m.lateInjectionIntegral = 0.0;
    }

    const double x = (c.quadratureSwitch == 0 && c.closureModel == 0) ? m.timeSinceShutIn : m.currentTime;
    m.stepPressure = m.timeSinceShutIn > c.minShutInInversionTime
                         ? invertAt(s, x).pressure
                         : powerLaw(f.fallOffPressureFitScale, f.fallOffPressureFitExponent, x);

    m.recordCount += 1;
    const int n = m.recordCount;
    m.timeRecord[n] = m.currentTime;

    double delta = m.timeRecord[n] - m.timeRecord[n - 1];
    if (c.closureModel == 0) delta = delta * 0.5;
    double p, d;
    if (delta > c.simulationEndTime) {
        const InversionResult v = invertAt(s, delta);
        p = v.pressure;
        d = v.pressureDerivative;
    } else {
        p = powerLaw(f.fallOffPressureFitScale, f.fallOffPressureFitExponent, delta);
        d = powerLaw(f.fallOffDerivativeFitScale, f.fallOffDerivativeFitExponent, delta);
    }

    double g, w;
    if (c.closureModel == 0) {
        g = d;
        w = cd;
    } else {
        g = p / delta;
        if (c.closureModel < 5) {
            w = closureStorageByTime(s, m.currentTime) + cd;
        } else {
            const double* pr = m.pressureRecord;
            const double* tr = m.timeRecord;
            m.extrapolatedPressure =
                tail ? pr[n - 1] + (tr[n] - tr[n - 1]) / (tr[n - 1] - tr[n - 2]) * (pr[n - 1] - pr[n - 2])
                     : 2.0 * pr[n - 1] - pr[n - 2];
            w = closureStorageByPressure(s, m.extrapolatedPressure) + cd;
        }
    }
    m.stepStorage = w;

    PowerMemo powers;
    if (!tail) {
        m.historySum = 0.0;
        for (int k = 1; k <= n - 1; ++k) m.historySum += fallOffIntervalTerm(s, n, k, powers);
    } else {
        const double t1 = n - 1 >= 1 ? fallOffIntervalTerm(s, n, 1, powers) : 0.0;
        m.historySum = scaledTailHistory(t1, n, m.firstTermMemory);
    }

    const double x1 = (m.pressureRecord[n - 1] * w * g - m.historySum + m.mainInjectionIntegral +
                       m.lateInjectionIntegral + m.earlyInjectionIntegral + m.stepPressure) /
                      (1.0 + w * g);
    m.pressureRecord[n] = c.closureModel == 0 ? x1 : x1 + m.pressureOffset;
}

}  // namespace

double scaledTailHistory(double firstTerm, int n, double& firstTermMemory) {
    const int span = n - 1;
    if (span <= 1) return firstTerm;
    if (firstTermMemory == 0.0) {
        firstTermMemory = firstTerm;
        return span * firstTerm;
    }
    const double sum = (span - 1) * firstTerm - firstTermMemory;
    firstTermMemory = firstTerm;
    return sum;
}

double tailStartCorrection(const double* t, const double* p, int n) {
    const double s1 = (p[n - 1] - p[n - 2]) / (t[n - 1] - t[n - 2]) * (t[n - 1] + t[n - 2]) * 0.5;
    const double s2 = (p[n - 2] - p[n - 3]) / (t[n - 2] - t[n - 3]) * (t[n - 2] + t[n - 3]) * 0.5;
    const double s3 = (p[n - 3] - p[n - 4]) / (t[n - 3] - t[n - 4]) * (t[n - 3] + t[n - 4]) * 0.5;
    const double s4 = (p[n - 4] - p[n - 5]) / (t[n - 4] - t[n - 5]) * (t[n - 4] + t[n - 5]) * 0.5;
    const double c1 = (s1 - s2) / ((t[n - 1] - t[n - 3]) * 0.5);
    const double c2 = (s2 - s3) / ((t[n - 2] - t[n - 4]) * 0.5);
    const double c3 = (s3 - s4) / ((t[n - 3] - t[n - 5]) * 0.5);
    const double cm = (c3 + c2 + c1) * (1.0 / 3.0);
    const double slope = cm * (t[n] - t[n - 1]) + s3;
    const double extrapolated = (t[n] - t[n - 1]) * slope / ((t[n - 1] + t[n]) * 0.5) + p[n - 1];
    return p[n] - extrapolated;
}

void injectionMarch(ModelState& s) {
    MarchState& m = s.march;
    const ControlRecord& c = s.control;
    const SweepFits& f = s.fits;
    const double cd = s.derived.dimensionlessWellboreStorage;
    const double cfd = s.derived.dimensionlessFractureStorage;
    m.timeStep = c.injectionDuration / c.stepsPerInjection;
    m.currentTime = 0.0;
    m.recordCount = 0;

    if (c.closureModel == 0) {
        for (int step = 0; step < c.stepsPerInjection; ++step) {
            m.currentTime += m.timeStep;
            const double value =
                m.currentTime > c.minInjectionInversionTime
                    ? invertAt(s, m.currentTime).storagePressure
                    : powerLaw(f.storagePressureFitScale, f.storagePressureFitExponent, m.currentTime);
            appendRow(s.table, m.currentTime, value);
        }
        return;
    }

    m.timeRecord[0] = 0.0;
    m.pressureRecord[0] = 0.0;
    m.pressureOffset = 0.0;
    forgetIntervalStorages(s);
    for (int step = 0; step < c.stepsPerInjection; ++step) {
        m.currentTime += m.timeStep;
        if (m.currentTime > c.minInjectionInversionTime) {
            const InversionResult v = invertAt(s, m.currentTime);
            m.stepPressure = v.pressure;
            m.stepStoragePressure = v.storagePressure;
        } else {
            m.stepPressure = powerLaw(f.pressureFitScale, f.pressureFitExponent, m.currentTime);
            m.stepStoragePressure = powerLaw(f.storagePressureFitScale, f.storagePressureFitExponent, m.currentTime);
        }
        m.recordCount += 1;
        const int n = m.recordCount;
        m.timeRecord[n] = m.currentTime;

        const double delta = m.timeRecord[n] - m.timeRecord[n - 1];
        const double p = delta > c.simulationEndTime ? invertAt(s, delta).pressure
                                                     : powerLaw(f.pressureFitScale, f.pressureFitExponent, delta);
        const double g = p / delta;

        double w;
        if (c.closureModel < 5) {
            w = closureStorageByTime(s, m.currentTime) + cd;
        } else if (n == 1) {
            w = openFractureStorage(s);
        } else {
            m.extrapolatedPressure = 2.0 * m.pressureRecord[n - 1] - m.pressureRecord[n - 2];
            w = closureStorageByPressure(s, m.extrapolatedPressure) + cd;
        }
        m.stepStorage = w;

        m.historySum = 0.0;
        PowerMemo powers;
        for (int k = 1; k <= n - 1; ++k) {
            const double gk = intervalWeight(s, n, k, f.pressureFitScale, f.pressureFitExponent, powers);
            const double wk = intervalStorage(s, k);
            m.historySum += wk * (m.pressureRecord[k] - m.pressureRecord[k - 1]) * gk;
        }

        const double x = (m.pressureRecord[n - 1] * w * g - m.historySum + m.stepPressure) / (1.0 + w * g);
        const bool direct = n == 1 || (n <= 10 && kF0_01 * w > std::fabs(w - ((1.0 + c.fractureStorageFactor) * cd + cfd)));
        if (direct) {
            m.pressureOffset = m.stepStoragePressure - x;
            m.pressureRecord[n] = m.stepStoragePressure;
        } else {
            m.pressureRecord[n] = x + m.pressureOffset;
        }
        appendRow(s.table, m.currentTime, m.pressureRecord[n]);
    }
}

void fallOffMarch(ModelState& s) {
    MarchState& m = s.march;
    const ControlRecord& c = s.control;
    if (c.closureModel == 0) {
        m.pressureRecord[0] = s.fits.lastSweepStoragePressure;
        m.recordCount = 0;
        m.timeRecord[0] = c.injectionDuration;
    }
    m.quadratureTolerance = kF1e_4;
    const long steps = static_cast<long>(c.stepsPerInjection) * c.falloffPeriods;
    for (long step = 0; step < steps; ++step) {
        m.currentTime += m.timeStep;
        fallOffStep(s, false);
        appendRow(s.table, m.currentTime, m.pressureRecord[m.recordCount]);
    }
}

void tailMarch(ModelState& s) {
    MarchState& m = s.march;
    const ControlRecord& c = s.control;
    const double ratio = std::pow(c.simulationEndTime / m.currentTime, 1.0 / c.stepsPerInjection);
    m.timeStep = ratio;
    m.quadratureTolerance = kF1e_4;
    for (int step = 1; step <= c.stepsPerInjection; ++step) {
        m.currentTime *= ratio;
        fallOffStep(s, true);
        const int n = m.recordCount;
        if (step == 1) m.tailCorrection = tailStartCorrection(m.timeRecord, m.pressureRecord, n);
        if (m.stepStorage < kF1e_6 || c.closureModel > 0) m.tailCorrection = 0.0;
        m.pressureRecord[n] -= m.tailCorrection;
        appendRow(s.table, m.currentTime, m.pressureRecord[n]);
    }
}

}  // namespace quenlor
