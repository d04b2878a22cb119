#pragma once

#include <cstdint>

namespace wendolarka {

// a * b / c through a 64-bit intermediate, rounded to the nearest integer with
// halves away from zero; -1 when c is 0 or the result does not fit 32 bits.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// To the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
std::int64_t Round(double value);

} // namespace wendolarka
