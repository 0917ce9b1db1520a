// The output sink of every ToString: pugixml writes into one growable byte
// string, which is then copied once into the host String.
#pragma once

#include <cstddef>
#include <pugixml.hpp>
#include <string>

#include "host/exceptions.h"
#include "host/strings.h"

class xml_string_writer : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override {
        // pugixml flushes in chunks of a few KB; let std::string grow
        // geometrically rather than reserving per chunk.
        result.append(static_cast<const char*>(data), size);
    }

    // The collected text as a new UTF-8 host String for a member's result.
    // Text the host cannot take (over its 32-bit length limit) is reported
    // rather than silently returned as nil.
    REALstring ToHostString() const {
        REALstring str = BuildString(result.data(), result.size());
        if (!str && !result.empty()) ThrowXmlException("Could not build the result string", -8);
        return str;
    }

    std::string result;
};
