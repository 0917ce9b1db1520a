// Implicit conversions of the host compiler as a table: which static kind of
// argument reaches which parameter type, and at what cost. Overload choice
// sums these costs; the lowest total wins.
#include "types.h"

namespace emu::detail {

bool isIntegral(Cat c) {
    switch (c) {
        case Cat::Integer:
        case Cat::Int8:
        case Cat::Int16:
        case Cat::Int32:
        case Cat::Int64:
        case Cat::UInt8:
        case Cat::UInt16:
        case Cat::UInt32:
        case Cat::UInt64:
            return true;
        default:
            return false;
    }
}

bool isReference(Cat c) {
    return c == Cat::String || c == Cat::Text || c == Cat::Variant || c == Cat::Object ||
           c == Cat::Class || c == Cat::Interface;
}

namespace {

struct Conversion {
    Kind from;
    Cat to;
    int cost;
};

// Exact matches cost 0; widening 1; integer to floating point 2; the rest
// of the integer types (narrowing or sign change) 3, see kOtherInteger.
constexpr Conversion kConversions[] = {
    // An untyped Nil: a typed reference first, then the root class, Variant, Ptr.
    {Kind::Nil, Cat::String, 1},
    {Kind::Nil, Cat::Text, 1},
    {Kind::Nil, Cat::Class, 1},
    {Kind::Nil, Cat::Interface, 2},
    {Kind::Nil, Cat::Object, 3},
    {Kind::Nil, Cat::Variant, 4},
    {Kind::Nil, Cat::Ptr, 5},
    // A nil held in an object-typed value: never a String.
    {Kind::Object, Cat::Class, 1},
    {Kind::Object, Cat::Interface, 2},
    {Kind::Object, Cat::Object, 3},
    {Kind::Object, Cat::Variant, 4},
    {Kind::Boolean, Cat::Boolean, 0},
    {Kind::Integer, Cat::Integer, 0},
    {Kind::Integer, Cat::Int64, 0},
    {Kind::Integer, Cat::Double, 2},
    {Kind::Integer, Cat::Single, 2},
    {Kind::Integer, Cat::Currency, 2},
    {Kind::Int64, Cat::Integer, 0},
    {Kind::Int64, Cat::Int64, 0},
    {Kind::Int64, Cat::Double, 2},
    {Kind::Int64, Cat::Single, 2},
    {Kind::Int64, Cat::Currency, 2},
    {Kind::Int32, Cat::Int32, 0},
    {Kind::Int32, Cat::Integer, 1},
    {Kind::Int32, Cat::Int64, 1},
    {Kind::Int32, Cat::Double, 2},
    {Kind::Int32, Cat::Single, 2},
    {Kind::Int32, Cat::Currency, 2},
    {Kind::UInt32, Cat::UInt32, 0},
    {Kind::UInt32, Cat::Integer, 1},
    {Kind::UInt32, Cat::Int64, 1},
    {Kind::UInt32, Cat::UInt64, 1},
    {Kind::UInt32, Cat::Double, 2},
    {Kind::UInt32, Cat::Single, 2},
    {Kind::UInt32, Cat::Currency, 2},
    {Kind::UInt64, Cat::UInt64, 0},
    {Kind::UInt64, Cat::Double, 2},
    {Kind::UInt64, Cat::Single, 2},
    {Kind::UInt64, Cat::Currency, 2},
    {Kind::Single, Cat::Single, 0},
    {Kind::Single, Cat::Double, 1},
    {Kind::Single, Cat::Currency, 2},
    {Kind::Double, Cat::Double, 0},
    {Kind::Double, Cat::Currency, 2},
    {Kind::Double, Cat::Single, 3},
    {Kind::String, Cat::String, 0},
    {Kind::String, Cat::Text, 0},
    {Kind::Enum, Cat::Enum, 0},
};

constexpr int kOtherInteger = 3;

bool isIntegerKind(Kind k) {
    return k == Kind::Integer || k == Kind::Int32 || k == Kind::UInt32 || k == Kind::Int64 ||
           k == Kind::UInt64;
}

}  // namespace

int conversionCost(Kind k, Cat c) {
    for (const Conversion& cv : kConversions)
        if (cv.from == k && cv.to == c) return cv.cost;
    if (isIntegerKind(k) && isIntegral(c)) return kOtherInteger;
    return -1;
}

int objectCost(Cat c, int depth, bool implementsInterface) {
    switch (c) {
        case Cat::Class:
            return depth;
        case Cat::Interface:
            return implementsInterface ? 2 : -1;
        case Cat::Object:
            return 8;
        case Cat::Variant:
            return 9;
        default:
            return -1;
    }
}

}  // namespace emu::detail
