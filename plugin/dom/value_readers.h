// The typed readers Attribute and TextHelper share: pugixml gives
// xml_attribute and xml_text the same conversions with the same defaults, so
// one template over the class's handle accessor serves both tables.
#pragma once

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
