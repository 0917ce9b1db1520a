// Host strings: bytes plus an encoding, converted on request as the host's
// PluginGetStringData does.
#include <cstdio>
#include <optional>

#include "internal.h"

namespace emu {

using namespace detail;

namespace {

constexpr uint32_t kLatin1 = 0x0201;
constexpr uint32_t kWindows1252 = 0x0500;

// Windows-1252 0x80..0x9F; 0 marks the five unassigned bytes.
const char32_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool decodeUtf8(const std::string& in, std::u32string& out) {
    size_t i = 0;
    while (i < in.size()) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        char32_t cp;
        int n;
        if (c < 0x80) {
            cp = c;
            n = 0;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            n = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            n = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            n = 3;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(n) >= in.size()) return false;
        for (int k = 1; k <= n; ++k) {
            unsigned char cc = static_cast<unsigned char>(in[i + static_cast<size_t>(k)]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        out.push_back(cp);
        i += static_cast<size_t>(n) + 1;
    }
    return true;
}

void encodeUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool decodeUtf16(const std::string& in, bool big, std::u32string& out) {
    if (in.size() % 2) return false;
    for (size_t i = 0; i < in.size(); i += 2) {
        auto unit = [&](size_t j) -> char32_t {
            unsigned char a = static_cast<unsigned char>(in[j]);
            unsigned char b = static_cast<unsigned char>(in[j + 1]);
            return big ? static_cast<char32_t>(a << 8 | b) : static_cast<char32_t>(b << 8 | a);
        };
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 >= in.size()) return false;
            char32_t l = unit(i + 2);
            if (l < 0xDC00 || l > 0xDFFF) return false;
            out.push_back(0x10000 + ((u - 0xD800) << 10) + (l - 0xDC00));
            i += 2;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        } else {
            out.push_back(u);
        }
    }
    return true;
}

void encodeUtf16(char32_t cp, bool big, std::string& out) {
    auto put = [&](char32_t u) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        if (big) {
            out += hi;
            out += lo;
        } else {
            out += lo;
            out += hi;
        }
    };
    if (cp < 0x10000) {
        put(cp);
    } else {
        cp -= 0x10000;
        put(0xD800 + (cp >> 10));
        put(0xDC00 + (cp & 0x3FF));
    }
}

bool decode(const std::string& in, uint32_t enc, std::u32string& out) {
    switch (enc) {
        case kREALTextEncodingUTF8:
            return decodeUtf8(in, out);
        case kREALTextEncodingASCII:
            for (unsigned char c : in) {
                if (c >= 0x80) return false;
                out.push_back(c);
            }
            return true;
        case kLatin1:
            for (unsigned char c : in) out.push_back(c);
            return true;
        case kWindows1252:
            for (unsigned char c : in) {
                if (c >= 0x80 && c < 0xA0) {
                    if (!kCp1252High[c - 0x80]) return false;
                    out.push_back(kCp1252High[c - 0x80]);
                } else {
                    out.push_back(c);
                }
            }
            return true;
        case kREALTextEncodingUTF16:
        case kREALTextEncodingUTF16LE:
            return decodeUtf16(in, false, out);
        case kREALTextEncodingUTF16BE:
            return decodeUtf16(in, true, out);
        case kREALTextEncodingUTF32:
            if (in.size() % 4) return false;
            for (size_t i = 0; i < in.size(); i += 4) {
                char32_t cp = 0;
                for (int k = 3; k >= 0; --k)
                    cp = (cp << 8) | static_cast<unsigned char>(in[i + static_cast<size_t>(k)]);
                if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
                out.push_back(cp);
            }
            return true;
        default:
            return false;
    }
}

bool encode(const std::u32string& in, uint32_t enc, std::string& out) {
    for (char32_t cp : in) {
        switch (enc) {
            case kREALTextEncodingUTF8:
                encodeUtf8(cp, out);
                break;
            case kREALTextEncodingASCII:
                if (cp >= 0x80) return false;
                out += static_cast<char>(cp);
                break;
            case kLatin1:
                if (cp >= 0x100) return false;
                out += static_cast<char>(cp);
                break;
            case kWindows1252: {
                if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) {
                    out += static_cast<char>(cp);
                    break;
                }
                bool found = false;
                for (int k = 0; k < 32 && !found; ++k) {
                    if (kCp1252High[k] == cp && cp) {
                        out += static_cast<char>(0x80 + k);
                        found = true;
                    }
                }
                if (!found) return false;
                break;
            }
            case kREALTextEncodingUTF16:
            case kREALTextEncodingUTF16LE:
                encodeUtf16(cp, false, out);
                break;
            case kREALTextEncodingUTF16BE:
                encodeUtf16(cp, true, out);
                break;
            case kREALTextEncodingUTF32:
                for (int k = 0; k < 4; ++k) out += static_cast<char>((cp >> (8 * k)) & 0xFF);
                break;
            default:
                return false;
        }
    }
    return true;
}

}  // namespace

// The encodings the host defines (and the two single-byte ones the emulator
// converts); anything else is a number the host does not know.
bool knownEncodingValue(uint32_t enc) {
    switch (enc) {
        case kREALTextEncodingUTF8:
        case kREALTextEncodingASCII:
        case kREALTextEncodingUnknown:
        case kREALTextEncodingUTF16:
        case kREALTextEncodingUTF16LE:
        case kREALTextEncodingUTF16BE:
        case kREALTextEncodingUTF32:
        case kLatin1:
        case kWindows1252:
            return true;
        default:
            return false;
    }
}

std::string encodingName(uint32_t enc) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", enc);
    return buf;
}

bool Host::Impl::knownEncoding(uint32_t enc, const char* what) {
    if (knownEncodingValue(enc)) return true;
    violation(std::string(what) + ": encoding " + encodingName(enc) +
              " is not one the host defines");
    return false;
}

bool Host::Impl::validIn(const std::string& bytes, uint32_t enc) const {
    if (enc == kREALTextEncodingUnknown) return true;  // bytes of no encoding
    std::u32string cps;
    return decode(bytes, enc, cps);
}

bool Host::Impl::stringBytes(REALstring s, uint32_t encoding, std::string& out) {
    out.clear();
    if (!s) return true;
    auto it = strings.find(s);
    if (it == strings.end() || it->second.dead) return false;
    const StrRec& r = it->second;
    if (r.unconvertible) return false;
    // The same encoding is handed back byte for byte, as the host does.
    if (r.encoding == encoding) {
        out = r.bytes;
        return true;
    }
    std::u32string cps;
    if (!decode(r.bytes, r.encoding, cps)) return false;
    return encode(cps, encoding, out);
}

Value Host::str(std::string_view utf8) {
    if (utf8.empty() && impl_->config.emptyStringAsNil) return nilString();
    return Value::AdoptString(*this,
                              impl_->newString(std::string(utf8), kREALTextEncodingUTF8, false));
}

Value Host::strInEncoding(std::string_view bytes, uint32_t encoding) {
    if (bytes.empty() && impl_->config.emptyStringAsNil) return nilString();
    return Value::AdoptString(*this, impl_->newString(std::string(bytes), encoding, false));
}

Value Host::strUnconvertible(std::string_view bytes) {
    return Value::AdoptString(*this,
                              impl_->newString(std::string(bytes), kREALTextEncodingUnknown, true));
}

Value Host::nilString() {
    return Value::AdoptString(*this, nullptr);
}

}  // namespace emu
