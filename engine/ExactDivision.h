// 16-bit forms of the sketch arithmetic's divisions. Each one equals the
// plain truncating division over the whole input range stated beside it
// (tests/engine/ExactDivisionTest.cpp checks every input of that range), and
// uses only operations on 16-bit lanes, so a loop built from them vectorises
// to sixteen pixels a 256-bit register.
#pragma once

#include <cstdint>

#include "engine/Dispatch.h"

namespace sketch_kernels {

using u8 = std::uint8_t;
using u16 = std::uint16_t;

// High half of the 32-bit product: one vpmulhuw.
VELMOR_INLINE constexpr u16 MulHigh(u16 a, u16 b) {
    return static_cast<u16>((static_cast<std::uint32_t>(a) * b) >> 16);
}

// x / 255 for every x <= 65279, which holds every product of two bytes.
VELMOR_INLINE constexpr u16 Div255(u16 x) {
    const u16 rounded = static_cast<u16>(x + 1 + (x >> 8));
    return static_cast<u16>(rounded >> 8);
}

// (darkness * lap) / 128 for darkness <= 255 and 0 <= lap <= 1020; the
// product itself needs 18 bits, so it is spread over both factors.
VELMOR_INLINE constexpr u16 Div128Product(u16 darkness, u16 lap) {
    return MulHigh(static_cast<u16>(darkness << 3), static_cast<u16>(lap << 6));
}

// x / 3 for every x <= 32767: 0x5556 = (2^16 + 2) / 3, whose excess stays
// below a third for such x.
VELMOR_INLINE constexpr u16 Div3(u16 x) { return MulHigh(x, 0x5556); }

// (306 r + 601 g + 117 b) >> 10 for bytes r, g, b. The sum needs 18 bits;
// 306 = 256 + 50 and 601 = 512 + 89 split it into a part already divided by
// 256 and a rest below 65281 whose own >> 8 loses nothing the outer shift keeps.
VELMOR_INLINE constexpr u16 MergeGrey(u16 r, u16 g, u16 b) {
    const u16 rest = static_cast<u16>(50 * r + 89 * g + 117 * b);
    const u16 whole = static_cast<u16>(r + 2 * g + (rest >> 8));
    return static_cast<u16>(whole >> 2);
}

}  // namespace sketch_kernels
