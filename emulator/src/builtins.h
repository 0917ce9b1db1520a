// The host's own classes that plug-ins use by name: RuntimeException (and the
// two subclasses the host itself raises), FolderItem, DateTime and TimeZone.
// Their members are native C functions of the host ABI, so that
// REALLoadObjectMethod can hand them out like any plug-in member.
#pragma once

#include <cstdint>
#include <string>

#include "hostabi.h"

namespace emu::builtin {

struct RuntimeExceptionData {
    REALstring message;
    RBInteger errorNumber;
};

struct FolderItemData {
    REALstring nativePath;
};

struct DateTimeData {
    RBInteger year, month, day, hour, minute, second, nanosecond;
    REALobject timeZone;  // locked; nil when made without a zone
};

struct TimeZoneData {
    RBInteger secondsFromGMT;
};

// The calendar rules of DateTime's constructor. Years 1 to 99,999,999 of the
// proleptic Gregorian calendar are accepted. On failure `why` says which field.
bool validDateTime(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                   int64_t second, int64_t nanosecond, std::string& why);

}  // namespace emu::builtin
