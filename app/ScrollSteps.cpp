#include "app/ScrollSteps.h"

#include <algorithm>

namespace {

int Step(std::uint32_t size, std::uint32_t divisor) { return static_cast<int>(std::max<std::uint32_t>(size / divisor, 1)); }

}  // namespace

ScrollSteps ScrollStepsFor(std::uint32_t cx, std::uint32_t cy) {
    ScrollSteps s;
    s.pageX = Step(cx, 10);
    s.pageY = Step(cy, 10);
    s.lineX = Step(cx, 100);
    s.lineY = Step(cy, 100);
    return s;
}

int ScrolledPosition(int position, long long delta, std::uint32_t range, int view) {
    const long long last = std::max(0LL, static_cast<long long>(range) - std::max(view, 0));
    return static_cast<int>(std::clamp(static_cast<long long>(position) + delta, 0LL, last));
}
