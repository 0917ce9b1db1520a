#include "decl.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace emu::detail {

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

namespace {

struct Scanner {
    std::string_view s;
    size_t p = 0;

    void skipSpace() {
        while (p < s.size() && std::isspace(static_cast<unsigned char>(s[p]))) ++p;
    }
    bool atEnd() {
        skipSpace();
        return p >= s.size();
    }
    bool peek(char c) {
        skipSpace();
        return p < s.size() && s[p] == c;
    }
    bool eat(char c) {
        if (!peek(c)) return false;
        ++p;
        return true;
    }
    static bool identStart(char c) {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
    }
    static bool identChar(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    }
    bool ident(std::string& out) {
        skipSpace();
        if (p >= s.size() || !identStart(s[p])) return false;
        size_t b = p;
        while (p < s.size() && identChar(s[p])) ++p;
        out.assign(s.substr(b, p - b));
        return true;
    }
    // A keyword must be followed by a non-identifier character.
    bool keyword(std::string_view kw) {
        skipSpace();
        if (s.size() - p < kw.size()) return false;
        if (!iequals(s.substr(p, kw.size()), kw)) return false;
        if (p + kw.size() < s.size() && identChar(s[p + kw.size()])) return false;
        p += kw.size();
        return true;
    }
    bool typeName(std::string& out, bool& array) {
        std::string part;
        if (!ident(part)) return false;
        out = part;
        while (p < s.size() && s[p] == '.') {
            ++p;
            if (p >= s.size() || !identStart(s[p])) return false;
            ident(part);
            out += '.';
            out += part;
        }
        array = arrayMarker();
        return true;
    }
    // "()" after a name or type marks an array; anything else is left unread.
    bool arrayMarker() {
        size_t save = p;
        if (eat('(')) {
            if (eat(')')) return true;
            p = save;
        }
        return false;
    }
};

}  // namespace

namespace {

// ByVal, ByRef, Optional, Assigns, ParamArray and Extends, in any order.
void parseModifiers(Scanner& sc, ParsedParam& prm) {
    for (;;) {
        if (sc.keyword("ByVal") || sc.keyword("Extends")) continue;
        if (sc.keyword("ByRef")) {
            prm.byRef = true;
        } else if (sc.keyword("Optional")) {
            prm.optional = true;
        } else if (sc.keyword("Assigns")) {
            prm.assigns = true;
        } else if (sc.keyword("ParamArray")) {
            prm.paramArray = true;
        } else {
            return;
        }
    }
}

// The text of "= value" up to the ',' or ')' that ends the parameter;
// parentheses and quoted strings may hold either.
bool defaultText(Scanner& sc, std::string& out) {
    sc.skipSpace();
    size_t b = sc.p;
    int depth = 0;
    bool inQuote = false;
    for (; sc.p < sc.s.size(); ++sc.p) {
        char c = sc.s[sc.p];
        if (inQuote) {
            if (c == '"') inQuote = false;
        } else if (c == '"') {
            inQuote = true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth == 0) break;
            --depth;
        } else if (c == ',' && depth == 0) {
            break;
        }
    }
    out = trim(sc.s.substr(b, sc.p - b));
    return !out.empty() && !inQuote;
}

// "[modifiers] name[()] As Type[()] [= default]".
bool parseParam(Scanner& sc, size_t index, ParsedParam& prm, std::string& error) {
    parseModifiers(sc, prm);
    if (!sc.ident(prm.name)) {
        error = "parameter " + std::to_string(index + 1) + " has no name";
        return false;
    }
    bool nameArray = sc.arrayMarker();
    if (!sc.keyword("As")) {
        error = "parameter '" + prm.name + "' has no 'As Type'";
        return false;
    }
    if (!sc.typeName(prm.type, prm.array)) {
        error = "parameter '" + prm.name + "' has no type name";
        return false;
    }
    prm.array = prm.array || nameArray;
    if (sc.eat('=')) {
        if (!defaultText(sc, prm.defaultText)) {
            error = "parameter '" + prm.name + "' has an empty default value";
            return false;
        }
        prm.hasDefault = true;
    }
    return true;
}

bool parseParamList(Scanner& sc, ParsedDecl& out, std::string& error) {
    if (sc.eat(')')) return true;
    for (;;) {
        ParsedParam prm;
        if (!parseParam(sc, out.params.size(), prm, error)) return false;
        out.params.push_back(std::move(prm));
        if (sc.eat(',')) continue;
        if (sc.eat(')')) return true;
        error = "expected ',' or ')' after parameter '" + out.params.back().name + "'";
        return false;
    }
}

}  // namespace

bool parseMethodDecl(std::string_view text, ParsedDecl& out, std::string& error) {
    out = ParsedDecl{};
    Scanner sc{text};
    if (!sc.ident(out.name)) {
        error = "no member name";
        return false;
    }
    if (!sc.eat('(')) {
        error = "missing '(' after the member name";
        return false;
    }
    if (!parseParamList(sc, out, error)) return false;
    if (sc.keyword("As") && !sc.typeName(out.returnType, out.returnArray)) {
        error = "missing return type after 'As'";
        return false;
    }
    if (!sc.atEnd()) {
        error = "unexpected text '" + std::string(text.substr(sc.p)) + "'";
        return false;
    }
    for (size_t i = 0; i + 1 < out.params.size(); ++i) {
        if (out.params[i].assigns) {
            error = "only the last parameter may be Assigns";
            return false;
        }
    }
    return true;
}

bool parseConstantDecl(std::string_view text, ParsedConstant& out, std::string& error) {
    out = ParsedConstant{};
    Scanner sc{text};
    if (!sc.ident(out.name)) {
        error = "no constant name";
        return false;
    }
    if (sc.keyword("As")) {
        bool array = false;
        if (!sc.typeName(out.type, array) || array) {
            error = "bad constant type";
            return false;
        }
    }
    if (!sc.eat('=')) {
        error = "constant has no '= value'";
        return false;
    }
    out.value = trim(text.substr(sc.p));
    if (out.value.empty()) {
        error = "constant has an empty value";
        return false;
    }
    return true;
}

bool parseIntegerLiteral(std::string_view text, int64_t& out) {
    std::string t = trim(text);
    if (t.empty()) return false;
    bool neg = false;
    size_t i = 0;
    if (t[0] == '-' || t[0] == '+') {
        neg = t[0] == '-';
        i = 1;
    }
    int base = 10;
    if (t.size() >= i + 2 && t[i] == '&') {
        char k = static_cast<char>(std::tolower(static_cast<unsigned char>(t[i + 1])));
        base = k == 'h' ? 16 : k == 'o' ? 8 : k == 'b' ? 2 : 0;
        if (base == 0) return false;
        i += 2;
    }
    if (i >= t.size()) return false;
    uint64_t v = 0;
    for (; i < t.size(); ++i) {
        int d;
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(t[i])));
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else {
            return false;
        }
        if (d >= base) return false;
        uint64_t nv = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (nv / static_cast<uint64_t>(base) != v) return false;  // overflow
        v = nv;
    }
    out = neg ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
    return true;
}

bool parseRealLiteral(std::string_view text, double& out) {
    int64_t i;
    if (parseIntegerLiteral(text, i)) {
        out = static_cast<double>(i);
        return true;
    }
    std::string t = trim(text);
    if (t.empty()) return false;
    for (char c : t) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E'))
            return false;
    }
    char* end = nullptr;
    errno = 0;
    out = std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size() && errno == 0;
}

bool parseEnumEntry(std::string_view text, ParsedEnumEntry& out, std::string& error) {
    out = ParsedEnumEntry{};
    Scanner sc{text};
    if (!sc.ident(out.name)) {
        error = "enumeration entry has no name";
        return false;
    }
    if (sc.atEnd()) return true;
    if (!sc.eat('=')) {
        error = "expected '=' after '" + out.name + "'";
        return false;
    }
    if (!parseIntegerLiteral(text.substr(sc.p), out.value)) {
        error = "value of '" + out.name + "' is not an integer";
        return false;
    }
    out.hasValue = true;
    return true;
}

static std::string typeKey(const std::string& type, bool array) {
    return lower(type) + (array ? "()" : "");
}

std::string paramKey(const ParsedDecl& d) {
    std::string k = "(";
    for (size_t i = 0; i < d.params.size(); ++i) {
        const ParsedParam& p = d.params[i];
        if (i) k += ',';
        if (p.byRef) k += "byref ";
        if (p.assigns) k += "assigns ";
        if (p.paramArray) k += "paramarray ";
        k += typeKey(p.type, p.array);
    }
    k += ')';
    return k;
}

std::string signatureKey(const ParsedDecl& d) {
    std::string k = lower(d.name) + paramKey(d);
    if (!d.returnType.empty()) k += " as " + typeKey(d.returnType, d.returnArray);
    return k;
}

}  // namespace emu::detail
