// Filter taps of one axis of the display scaler (private to
// imaging/Resample.cpp).
//
// Output pixel i of an axis scaled from srcLen to scaledLen is centred on the
// source coordinate (i + 0.5) * srcLen / scaledLen. Its taps are the source
// pixels within the Catmull-Rom kernel's reach (2 pixels, times the shrink
// factor when shrinking). When growing, taps past an edge fold onto the edge
// pixel; when shrinking they are dropped, as an edge pixel repeated over the
// kernel's wide reach would outweigh its neighbours. Weights
// are quantised with the rounding error carried from tap to tap, so every
// list sums to exactly kWeightOne and even the tiny weights of a strong
// shrink keep their total.
//
// Both ends of the tap range never move backwards as i grows, which lets the
// caller stream rows through a small ring.
#pragma once

#include <cstdint>
#include <vector>

namespace imaging::resample {

struct Taps {
    std::vector<int> first;   // first source pixel of each output
    std::vector<int> count;   // taps of each output
    std::vector<int> offset;  // where each output's weights start
    std::vector<std::int16_t> weights;
    int begin = 0, end = 0;   // source pixels [begin, end) read by all the outputs
    int maxCount = 0;
};

// Taps of outputs [firstOut, firstOut + outputs). Throws std::bad_alloc.
Taps BuildTaps(int srcLen, int scaledLen, int firstOut, int outputs);

}  // namespace imaging::resample
