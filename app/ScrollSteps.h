// How the view scrolls: in pixels, over exactly the displayed size of the
// picture, so the far end shows its last row and column and nothing beyond.
// A page is a tenth of the displayed size and a line a tenth of a page (at
// least one pixel each): the steps of Page Up/Down, the arrow keys and the
// mouse wheel.
#pragma once

#include <cstdint>

struct ScrollSteps {
    int lineX = 1, lineY = 1, pageX = 1, pageY = 1;
};

ScrollSteps ScrollStepsFor(std::uint32_t displayedWidth, std::uint32_t displayedHeight);

// `position` moved by `delta` and kept within 0 .. range - view (0 when the
// view is larger than the range).
int ScrolledPosition(int position, long long delta, std::uint32_t range, int view);
