// ISO 8601 text to and from the host's DateTime.
#pragma once

#include <cstddef>

#include "hostabi.h"

// Forgets the cached DateTime and TimeZone class references (plug-in entry).
void ResetDateTimeClassCaches();

// Members registered by Document, Attribute and TextHelper.
REALstring DateToISO8601(REALobject value);
REALstring DateTimeToISO8601(REALobject value);
REALobject ISO8601ToDateTime(REALstring value, RBBoolean skipTime);

// The date members of Attribute and TextHelper go through these two, so the
// text shapes live in one place.
REALobject ParseDateTimeFromISO8601(const char* text, size_t length);
// Writes the long form of `dateTime` (nil: nothing) into `buffer`; returns the
// number of characters written, never more than bufferSize - 1.
size_t FormatDateTimeToISO8601(REALobject dateTime, char* buffer, size_t bufferSize, bool dateOnly);
constexpr size_t kISO8601BufferSize = 30;
