// Parsing of the host-language declarations that plug-ins register:
// method prototypes, constants and enumeration entries. Keywords are
// case-insensitive; spacing and parameter names carry no meaning for matching.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace emu::detail {

struct ParsedParam {
    std::string name;
    std::string type;  // as written, qualified names kept ("TorvaneXml.Node")
    bool array = false;
    bool byRef = false;
    bool assigns = false;
    bool optional = false;
    bool paramArray = false;
    bool hasDefault = false;
    std::string defaultText;  // trimmed
};

struct ParsedDecl {
    std::string name;
    std::vector<ParsedParam> params;
    std::string returnType;  // "" when the member returns nothing
    bool returnArray = false;
};

// "Name(a as T, b as U = 1) as R". Returns false and an explanation on error.
bool parseMethodDecl(std::string_view text, ParsedDecl& out, std::string& error);

// "Name [As Type] = value".
struct ParsedConstant {
    std::string name, type, value;
};
bool parseConstantDecl(std::string_view text, ParsedConstant& out, std::string& error);

// "NAME" or "NAME = 12" (decimal or &h/&o/&b, optionally negative).
struct ParsedEnumEntry {
    std::string name;
    bool hasValue = false;
    int64_t value = 0;
};
bool parseEnumEntry(std::string_view text, ParsedEnumEntry& out, std::string& error);

bool parseIntegerLiteral(std::string_view text, int64_t& out);
bool parseRealLiteral(std::string_view text, double& out);

std::string lower(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
std::string trim(std::string_view s);

// The canonical form used to match a prototype: lower-case name, parameter
// types (with ByRef/Assigns/array markers) and return type; names dropped.
std::string signatureKey(const ParsedDecl& d);
std::string paramKey(const ParsedDecl& d);  // parameters only, for overriding

}  // namespace emu::detail
