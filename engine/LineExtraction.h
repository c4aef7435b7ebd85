// Line extraction: turns one plane into a plane that is white except where a
// pixel is darker than the mean of its four direct neighbours.
//
// For each interior pixel, with darknesses p' = 255 - p and so on:
//   lap = 4 p' - n' - w' - e' - s'           (-1020 .. 1020)
//   v   = (p' * lap) / 128                   (truncated toward zero)
//   v   = 0 when |v| < threshold             (before the strength)
//   m   = clamp((v * strength) / 3, 0, 255)
//   out = 255 - m
// Only the dark side of an edge draws: a negative response always gives 255.
//
// Writes only the interior (1 <= x <= W - 2, 1 <= y <= H - 2); the output's
// outer ring keeps whatever it held, and W or H <= 2 writes nothing. The
// input's ring is read. in and out must not overlap. The sketch passes
// strength 1..11 and threshold 0..160; any int gives the formula's result.
#pragma once

#include <cstdint>

void ExtractLines(const std::uint8_t* in, std::uint8_t* out, int width, int height, int strength, int threshold);
