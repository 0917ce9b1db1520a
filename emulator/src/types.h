// The host types a declaration can name, and which argument values the host
// compiler passes to which of them without a cast.
#pragma once

#include "emu/host.h"

namespace emu::detail {

// The host type of a parameter, property or result.
enum class Cat {
    Void,
    Boolean,
    Integer,
    Int8,
    Int16,
    Int32,
    Int64,
    UInt8,
    UInt16,
    UInt32,
    UInt64,
    Single,
    Double,
    Currency,
    Color,
    Ptr,
    String,
    Text,
    Variant,
    Object,     // the root class "Object"
    Class,      // a built-in or registered class
    Interface,  // Iterator, Iterable
    Enum,
};

bool isIntegral(Cat c);
bool isReference(Cat c);  // passed as a pointer that carries a lock (String, objects)

// The cost of passing a value of static kind `k` to a parameter of type `c`:
// 0 exact, higher a worse conversion, -1 when no implicit conversion exists.
// For a non-nil object the class distance decides (see objectCost); an
// enumeration value fits only its own enumeration type (cost 0), which the
// caller checks by name.
int conversionCost(Kind k, Cat c);

// A non-nil object of a class `depth` steps below the parameter's class
// (depth < 0: not a subclass at all), or implementing the interface.
int objectCost(Cat c, int depth, bool implementsInterface);

}  // namespace emu::detail
