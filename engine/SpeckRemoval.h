// Speck removal: a finishing stage on the grey plane, between the grey stage
// and the paint. A speck is an 8-connected group of interior line pixels
// (darker than kSpeckLevel) with fewer than `minArea` pixels; its pixels are
// turned to paper (255). A small bump on a line belongs to the line's group
// and stays. Lighter pixels are left as they are; the outer ring (the frame)
// is neither read nor written. minArea 0 or 1 leaves the plane untouched.
//
// Two passes over runs of line pixels: the first joins the runs of touching
// rows (union-find, roots keep their group's size), a sweep turns each run's
// entry into its group's verdict, and the second pass finds the same runs
// again in the same order and clears those of small groups. Only one int32
// is kept per run.
#pragma once

#include <cstddef>
#include <cstdint>

// Pixels below this level are line pixels; the rest is paper or a faint
// shade that never joins or makes a group.
inline constexpr std::uint8_t kSpeckLevel = 224;

// The area under which a group is a speck for slider step 0..10:
// 0 (off), then 4, 8, ... 2048 pixels, doubling each step.
constexpr int SpeckAreaForStep(int step) { return step <= 0 ? 0 : 2 << (step > 10 ? 10 : step); }

// Scratch bytes RemoveSpecks needs for a W x H plane: room for the most runs
// the interior can hold. Most of it is never touched on a real sketch, so a
// lazily committed buffer costs only what is used.
std::size_t SpeckRemovalScratchBytes(int width, int height);

// In place on the W x H grey plane. Scratch contents before and after the
// call are meaningless.
void RemoveSpecks(std::uint8_t* grey, int width, int height, int minArea, std::uint8_t* scratch);
