#include "arithmetic.h"

#include <cmath>
#include <limits>

namespace wendolarka {

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t divisor = c;
    std::int64_t quotient = product / divisor;
    const std::int64_t remainder = product % divisor;
    // |remainder| * 2 >= |divisor| means the fraction is a half or more.
    const std::int64_t absRemainder = remainder < 0 ? -remainder : remainder;
    const std::int64_t absDivisor = divisor < 0 ? -divisor : divisor;
    if (absRemainder * 2 >= absDivisor)
        quotient += ((product < 0) != (divisor < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<std::int32_t>::max() ||
        quotient < std::numeric_limits<std::int32_t>::min())
        return -1;
    return static_cast<std::int32_t>(quotient);
}

std::int64_t Round(double value) {
    // The default floating-point rounding mode is to nearest, ties to even.
    return static_cast<std::int64_t>(std::nearbyint(value));
}

} // namespace wendolarka
