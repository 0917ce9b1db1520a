// The members Attribute and TextHelper share: pugixml gives xml_attribute and
// xml_text the same conversions with the same defaults (the writer is named
// set_value on one and set on the other), so one template over the class's
// handle accessor serves both tables. Also the identity comparison Node and
// Attribute share.
#pragma once

#include <cstring>

#include "base/exceptions.h"
#include "base/strings.h"
#include "datetime/iso8601.h"
#include "dom/precision.h"
#include "hostabi.h"

// The properties AsString ... AsDateTime.
template <class Handle, Handle (*HandleOf)(REALobject)>
struct ValueReaders {
    static REALstring GetAsString(REALobject self, RBInteger) {
        return Shielded(REALstring(nullptr),
                        [&] { return ResultString(HandleOf(self).as_string()); });
    }
    static RBBoolean GetAsBoolean(REALobject self, RBInteger) {
        return HandleOf(self).as_bool(false);
    }
    static int32_t GetAsInt32(REALobject self, RBInteger) { return HandleOf(self).as_int(0); }
    static uint32_t GetAsUInt32(REALobject self, RBInteger) { return HandleOf(self).as_uint(0); }
    static int64_t GetAsInt64(REALobject self, RBInteger) { return HandleOf(self).as_llong(0); }
    static uint64_t GetAsUInt64(REALobject self, RBInteger) { return HandleOf(self).as_ullong(0); }
    static float GetAsSingle(REALobject self, RBInteger) { return HandleOf(self).as_float(0); }
    static double GetAsDouble(REALobject self, RBInteger) { return HandleOf(self).as_double(0); }
    static REALobject GetAsDateTime(REALobject self, RBInteger) {
        return Shielded(REALobject(nullptr), [&] {
            const char* text = HandleOf(self).as_string();
            return ParseDateTimeFromISO8601(text, std::strlen(text));
        });
    }
};

// The Set overloads. Store: a type with `static bool Put(Handle, args...)`
// calling the handle's writer. pugixml's answer is not examined: a refused
// write changes nothing.
template <class Handle, Handle (*HandleOf)(REALobject), class Store>
struct ValueWriters {
    static void SetDoubleWithPrecision(REALobject self, double value, RBInteger precision) {
        Store::Put(HandleOf(self), value, ClampPrecision(precision));
    }
    static void SetSingleWithPrecision(REALobject self, float value, RBInteger precision) {
        Store::Put(HandleOf(self), value, ClampPrecision(precision));
    }
    static void SetString(REALobject self, REALstring value) {
        Shielded([&] {
            Utf8Arg text(value);
            if (text.ok()) Store::Put(HandleOf(self), text.c_str(), text.size());
        });
    }
    static void SetBoolean(REALobject self, RBBoolean value) {
        Store::Put(HandleOf(self), value != 0);
    }
    static void SetInt32(REALobject self, int32_t value) { Store::Put(HandleOf(self), int(value)); }
    static void SetUInt32(REALobject self, uint32_t value) {
        Store::Put(HandleOf(self), static_cast<unsigned int>(value));
    }
    static void SetInt64(REALobject self, int64_t value) {
        Store::Put(HandleOf(self), static_cast<long long>(value));
    }
    static void SetUInt64(REALobject self, uint64_t value) {
        Store::Put(HandleOf(self), static_cast<unsigned long long>(value));
    }
    static void SetSingle(REALobject self, float value) { Store::Put(HandleOf(self), value); }
    static void SetDouble(REALobject self, double value) { Store::Put(HandleOf(self), value); }
    static void SetDateTime(REALobject self, REALobject value) {
        char buffer[kDateTextCapacity];
        const size_t length = FormatDateTimeToISO8601(value, buffer, sizeof(buffer), false);
        // A DateTime whose fields the host cannot read leaves the value as it was.
        if (value && length == 0) return;
        Store::Put(HandleOf(self), buffer, length);
    }
};

// Operator_Compare: identity of the underlying records, not document order
// (pugixml orders handles by address); nil is never equal.
template <class Handle, Handle (*HandleOf)(REALobject)>
RBInteger Operator_Compare(REALobject self, REALobject rhs) {
    if (!rhs) return 1;
    const Handle left = HandleOf(self), right = HandleOf(rhs);
    if (left == right) return 0;
    return left > right ? 1 : -1;
}
