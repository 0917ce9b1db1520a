// The typed readers and writers Attribute and TextHelper share: pugixml gives
// xml_attribute and xml_text the same conversions with the same defaults (the
// writer is named set_value on one and set on the other), so one template
// over the class's handle accessor serves both tables.
#pragma once

#include "dom/precision.h"
#include "base/exceptions.h"
#include "base/strings.h"
#include "hostabi.h"

template <class Handle, Handle (*HandleOf)(REALobject)>
struct ValueReaders {
    static RBBoolean BooleanValue(REALobject self, RBInteger) {
        return HandleOf(self).as_bool(false);
    }
    static int32_t Int32Value(REALobject self, RBInteger) { return HandleOf(self).as_int(0); }
    static uint32_t UInt32Value(REALobject self, RBInteger) { return HandleOf(self).as_uint(0); }
    static int64_t Int64Value(REALobject self, RBInteger) { return HandleOf(self).as_llong(0); }
    static uint64_t UInt64Value(REALobject self, RBInteger) { return HandleOf(self).as_ullong(0); }
    static float SingleValue(REALobject self, RBInteger) { return HandleOf(self).as_float(0); }
    static double DoubleValue(REALobject self, RBInteger) { return HandleOf(self).as_double(0); }
};

// Store: a type with `static bool Put(Handle, args...)` calling the handle's
// writer. pugixml's answer is not examined: a refused write changes nothing.
template <class Handle, Handle (*HandleOf)(REALobject), class Store>
struct ValueWriters {
    static void SetDoubleValuePrec(REALobject self, double value, RBInteger precision) {
        Store::Put(HandleOf(self), value, ClampPrecision(precision));
    }
    static void SetSingleValuePrec(REALobject self, float value, RBInteger precision) {
        Store::Put(HandleOf(self), value, ClampPrecision(precision));
    }
    static void SetValue(REALobject self, REALstring value) {
        Shielded([&] {
            Utf8Arg text(value);
            if (text.ok()) Store::Put(HandleOf(self), text.c_str(), text.size());
        });
    }
    static void SetBooleanValue(REALobject self, RBBoolean value) {
        Store::Put(HandleOf(self), value != 0);
    }
    static void SetInt32Value(REALobject self, int32_t value) {
        Store::Put(HandleOf(self), int(value));
    }
    static void SetUInt32Value(REALobject self, uint32_t value) {
        Store::Put(HandleOf(self), static_cast<unsigned int>(value));
    }
    static void SetInt64Value(REALobject self, int64_t value) {
        Store::Put(HandleOf(self), static_cast<long long>(value));
    }
    static void SetUInt64Value(REALobject self, uint64_t value) {
        Store::Put(HandleOf(self), static_cast<unsigned long long>(value));
    }
    static void SetSingleValue(REALobject self, float value) { Store::Put(HandleOf(self), value); }
    static void SetDoubleValue(REALobject self, double value) { Store::Put(HandleOf(self), value); }
};
