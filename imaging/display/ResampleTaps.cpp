#include "imaging/display/ResampleTaps.h"

#include <algorithm>
#include <cmath>

#include "imaging/display/ResampleKernels.h"

namespace imaging::resample {

namespace {

// Catmull-Rom (B = 0, C = 0.5), for a distance in pixels.
double CatmullRom(double distance) {
    const double x = std::fabs(distance);
    if (x < 1.0) return (1.5 * x - 2.5) * x * x + 1.0;
    if (x < 2.0) return ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0;
    return 0.0;
}

}  // namespace

Taps BuildTaps(int srcLen, int scaledLen, int firstOut, int outputs) {
    const double srcPerOut = static_cast<double>(srcLen) / scaledLen;
    const double stretch = std::max(srcPerOut, 1.0);  // widen the kernel when shrinking
    const double reach = 2.0 * stretch;

    Taps taps;
    taps.first.resize(outputs);
    taps.count.resize(outputs);
    taps.offset.resize(outputs);
    std::vector<double> exact;
    for (int k = 0; k < outputs; ++k) {
        const double centre = (static_cast<double>(firstOut + k) + 0.5) * srcLen / scaledLen;
        // Source pixel j (centre j + 0.5) is in reach when |j + 0.5 - centre| < reach.
        const int lo = std::max(0, static_cast<int>(std::floor(centre - reach - 0.5)) + 1);
        const int hi = std::min(srcLen - 1, static_cast<int>(std::ceil(centre + reach - 0.5)) - 1);
        const int n = hi - lo + 1;

        exact.assign(n, 0.0);
        for (int j = lo; j <= hi; ++j) exact[j - lo] = CatmullRom((j + 0.5 - centre) / stretch);
        if (stretch == 1.0) {
            // Growing: taps past an edge fold onto the edge pixel (clamped addressing).
            for (int j = lo - 1; j > centre - reach - 0.5; --j) exact.front() += CatmullRom(j + 0.5 - centre);
            for (int j = hi + 1; j < centre + reach - 0.5; ++j) exact.back() += CatmullRom(j + 0.5 - centre);
        }
        double total = 0.0;
        for (double w : exact) total += w;

        taps.first[k] = lo;
        taps.count[k] = n;
        taps.offset[k] = static_cast<int>(taps.weights.size());
        double running = 0.0;
        long previous = 0;
        for (int i = 0; i < n; ++i) {
            running += exact[i];
            // The last running sum is `total` itself, so the list ends on kWeightOne exactly.
            const long upTo = std::lround(running / total * kWeightOne);
            taps.weights.push_back(static_cast<std::int16_t>(upTo - previous));
            previous = upTo;
        }
        taps.maxCount = std::max(taps.maxCount, n);
    }
    taps.begin = taps.first.front();
    taps.end = taps.first.back() + taps.count.back();
    return taps;
}

}  // namespace imaging::resample
