// ISO 8601 text to and from the host's DateTime.
#pragma once

#include <cstddef>

#include "hostabi.h"

// Forgets the cached DateTime and TimeZone class references (plug-in entry).
void ResetDateTimeClassCaches();

// Asks the host for the DateTime and TimeZone classes during PluginEntry, so
// that an application using the date members keeps them.
void AskForDateTimeClasses();

// Every date member of Document, Attribute and TextHelper goes through these,
// so the text shapes live in one place. A new DateTime, or nil for text of
// another shape or a date the host refuses; the date-only form reads the
// first ten characters and ignores the rest.
REALobject ParseDateTimeFromISO8601(const char* text, size_t length);
REALobject ParseDateFromISO8601(const char* text, size_t length);
// Writes the long form of `dateTime` (nil: nothing) into `buffer`; returns the
// number of characters written, never more than bufferSize - 1.
size_t FormatDateTimeToISO8601(REALobject dateTime, char* buffer, size_t bufferSize, bool dateOnly);
// Room for the long text of any DateTime the host can hold: every field is
// printed as its full 64-bit value, never narrowed, so a field can take 20
// characters; six of those, the offset hours (at most 16 digits), the offset
// minutes and seven separators come to 145 characters.
constexpr size_t kDateTextCapacity = 160;
