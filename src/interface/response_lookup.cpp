#include "interface/response_lookup.h"

#include <cmath>

namespace quenlor {

void restartTable(ResponseTable& table) {
    table.count = 1;
    table.timesIncreasing = true;
}

void appendRow(ResponseTable& table, double time, double value) {
    if (table.count >= kTableCapacity) return;
    if (table.count >= 2 && !(time > table.time[table.count])) table.timesIncreasing = false;
    table.count += 1;
    table.time[table.count] = time;
    table.value[table.count] = value;
}

double lookupResponse(ModelState& state, double hostTime) {
    const ResponseTable& table = state.table;
    const LayerProperties& layer = state.layer;
    const ModelParameters& p = state.parameters;
    const double t = hostTime * (layer.wellRadius * layer.wellRadius) / (p.halfLength * p.halfLength);
    const int count = table.count;
    // Three rows after the origin are needed for the parabola.
    if (count - 1 < 3) return state.heldResult;

    // The first row at or after t. Bisection finds the same row as a scan
    // when the times increase strictly; a table that repeats a time range
    // (several passes) is scanned.
    int i;
    if (table.timesIncreasing && !state.reuseDisabled) {
        if (!(t <= table.time[count])) return state.heldResult;  // beyond the last row, or not a number
        int lo = 2, hi = count;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (table.time[mid] >= t)
                hi = mid;
            else
                lo = mid + 1;
        }
        i = lo;
    } else {
        i = 2;
        while (i <= count && !(table.time[i] >= t)) ++i;
        if (i > count) return state.heldResult;
    }

    int m;
    if (i == 2 || i == 3) {
        m = 3;
    } else if (i == count) {
        m = count - 1;
    } else {
        m = std::fabs(table.time[i] - t) <= std::fabs(t - table.time[i - 1]) ? i : i - 1;
    }

    const bool logarithmic = t > 1.0;
    auto axis = [logarithmic](double v) { return logarithmic ? std::log(v) : v; };
    const double x = axis(t);
    const double x0 = axis(table.time[m - 1]);
    const double x1 = axis(table.time[m]);
    const double x2 = axis(table.time[m + 1]);
    const double a = x - x0;
    const double b = x - x1;
    const double c = x - x2;
    const double d = x2 - x0;
    const double e = x2 - x1;
    const double f = x1 - x0;
    const double w0 = b * c / (f * d);
    const double w1 = a * c / (-e * f);
    const double w2 = a * b / (e * d);
    double value = w2 * table.value[m + 1] + w1 * table.value[m] + w0 * table.value[m - 1];
    if (!logarithmic && value <= 0.0) value = table.value[1];

    const double fractureHeight = p.height1 + p.height2;
    const double h = layer.thickness;
    const double result = fractureHeight < h ? value * h / fractureHeight : value / h * h;
    state.heldResult = result;
    return result;
}

}  // namespace quenlor
