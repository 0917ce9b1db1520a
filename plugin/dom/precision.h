// The significant-digit count the precision forms of Set hand to pugixml.
#pragma once

#include <climits>

#include "hostabi.h"

// pugixml prints "%.*g" into a 128-byte buffer and silently cuts what does
// not fit; at 120 digits the longest output (sign, 120 digits, point,
// "e-308") still fits, and a double has no more than 17 meaningful digits
// anyway. So the host's Integer is clamped to 120 in its full width before
// it is narrowed: 2^32+121 is 120, not 121. Zero and negative values keep
// printf's meaning (0 counts as 1, negative as the default 6), also when
// the 64-bit value lies below the int range.
constexpr int kMaxPrecision = 120;

inline int ClampPrecision(RBInteger precision) {
    if (precision > kMaxPrecision) return kMaxPrecision;
    if (precision < INT_MIN) return -1;
    return static_cast<int>(precision);
}
