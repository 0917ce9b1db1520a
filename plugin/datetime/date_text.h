// Room for the long ISO 8601 text of any DateTime the host can hold.
#pragma once

#include <cstddef>

// Every field is printed as its full 64-bit value, never narrowed, so a
// field can take 20 characters: six of those, the offset hours (at most 16
// digits), the offset minutes and seven separators come to 145 characters.
constexpr size_t kDateTextCapacity = 160;
