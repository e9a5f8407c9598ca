// SPDX-License-Identifier: MIT
// Text utilities: replacement, escaping, code pages, base64, colours.
#include "util/text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kavlo::util {

namespace {

// Windows-1252 code points of the bytes 0x80..0x9F. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters
// of the same value, as the Windows conversion does, so that no byte is ever lost.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t cp) {
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

// Length of the well-formed UTF-8 sequence starting at s[i] (RFC 3629: no overlong
// forms, no surrogates, nothing above U+10FFFF), or 0 when the byte there does not
// begin one.
std::size_t validSequenceLength(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = b(0);
    const std::size_t left = s.size() - i;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        return (left >= 2 && (b(1) & 0xC0) == 0x80) ? 2 : 0;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        if (left < 3) return 0;
        const unsigned char lo = (c == 0xE0) ? 0xA0 : 0x80;
        const unsigned char hi = (c == 0xED) ? 0x9F : 0xBF;
        if (b(1) < lo || b(1) > hi || (b(2) & 0xC0) != 0x80) return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (left < 4) return 0;
        const unsigned char lo = (c == 0xF0) ? 0x90 : 0x80;
        const unsigned char hi = (c == 0xF4) ? 0x8F : 0xBF;
        if (b(1) < lo || b(1) > hi || (b(2) & 0xC0) != 0x80 || (b(3) & 0xC0) != 0x80) return 0;
        return 4;
    }
    return 0;
}

std::string_view upToZero(const std::string& text) {
    const std::size_t zero = text.find('\0');
    return std::string_view(text).substr(0, zero);
}

// Repairs text into valid UTF-8: well-formed sequences are copied, every other byte
// is taken as its Windows-1252 character.
std::string repairedUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t n = validSequenceLength(s, i);
        if (n > 0) {
            out.append(s.data() + i, n);
            i += n;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(s[i]);
        appendUtf8(out, c < 0xA0 ? kCp1252High[c - 0x80] : static_cast<char32_t>(c));
        ++i;
    }
    return out;
}

struct IconvHandle {
    iconv_t cd;
    IconvHandle(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

// Converts with iconv; an input unit the target cannot represent (or that the source
// charset does not define) becomes "?". `unitLength` tells how many input bytes make
// the unit that is skipped then.
template <typename UnitLength>
std::string convert(std::string_view in, const char* to, const char* from, UnitLength unitLength) {
    IconvHandle h(to, from);
    if (!h.ok()) return std::string(in);
    std::string out;
    std::vector<char> buf(256);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buf.data();
        std::size_t dstLeft = buf.size();
        const std::size_t r = iconv(h.cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf.data(), buf.size() - dstLeft);
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: one unit that cannot be converted.
        const std::size_t skip =
            std::min(srcLeft, std::max<std::size_t>(1, unitLength(src, srcLeft)));
        out += '?';
        src += skip;
        srcLeft -= skip;
        iconv(h.cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::size_t utf8Unit(const char* p, std::size_t left) {
    const std::size_t n = validSequenceLength(std::string_view(p, left), 0);
    return n == 0 ? 1 : n;
}

std::size_t byteUnit(const char*, std::size_t) { return 1; }

}  // namespace

std::string replaceAll(std::string text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty()) return text;
    std::string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t p = text.find(pattern, from);
        if (p == std::string::npos) break;
        out.append(text, from, p - from);
        out.append(replacement);
        from = p + pattern.size();
    }
    if (from == 0) return text;
    out.append(text, from, std::string::npos);
    return out;
}

std::string htmlEscape(const std::string& text, bool toUtf8) {
    std::string s = replaceAll(text, "&", "&amp;");
    s = replaceAll(std::move(s), "<", "&lt;");
    s = replaceAll(std::move(s), ">", "&gt;");
    s = replaceAll(std::move(s), "\"", "&quot;");
    return toUtf8 ? repairUtf8(s) : s;
}

std::string htmlUnescape(const std::string& text, bool fromUtf8) {
    std::string s = replaceAll(text, "&amp;", "&");
    s = replaceAll(std::move(s), "&lt;", "<");
    s = replaceAll(std::move(s), "&gt;", ">");
    s = replaceAll(std::move(s), "&quot;", "\"");
    return fromUtf8 ? repairUtf8(s) : s;
}

std::string percentEscape(const std::string& text) {
    std::string s = replaceAll(text, "<", "%3C");
    s = replaceAll(std::move(s), ">", "%3E");
    s = replaceAll(std::move(s), "\"", "%22");
    return replaceAll(std::move(s), "&", "%26");
}

std::string jsEscape(const std::string& text, bool toUtf8) {
    // The backslash goes first: a caption ending in "\" would otherwise escape the
    // closing quote of its string literal and break the whole script file.
    std::string s = replaceAll(text, "\\", "\\\\");
    s = replaceAll(std::move(s), "'", "\\'");
    s = replaceAll(std::move(s), "\"", "\\\"");
    s = replaceAll(std::move(s), "\n", " ");
    s = replaceAll(std::move(s), "\r", " ");
    return toUtf8 ? repairUtf8(s) : s;
}

std::string crlfToBr(const std::string& text, bool xhtml) {
    return replaceAll(text, "\r\n", xhtml ? "<br/>" : "<br>");
}

std::string brToCrlf(const std::string& text, bool xhtml) {
    return replaceAll(text, xhtml ? "<br/>" : "<br>", "\r\n");
}

std::string repairUtf8(const std::string& text) { return repairedUtf8(upToZero(text)); }

std::string utf8ToMacRoman(const std::string& text) {
    return convert(repairedUtf8(upToZero(text)), "MACINTOSH", "UTF-8", utf8Unit);
}

std::string macRomanToUtf8(const std::string& text) {
    return convert(upToZero(text), "UTF-8", "MACINTOSH", byteUnit);
}

std::string utf8ToLatin1(const std::string& text) {
    return convert(repairedUtf8(upToZero(text)), "ISO-8859-1", "UTF-8", utf8Unit);
}

std::string base64Encode(const std::string& text) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string_view in = upToZero(text);
    std::string out;
    out.reserve((in.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= in.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(in[i]) << 16) |
                           (static_cast<unsigned char>(in[i + 1]) << 8) |
                           static_cast<unsigned char>(in[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const std::size_t rest = in.size() - i;
    if (rest == 1) {
        const unsigned v = static_cast<unsigned char>(in[i]) << 16;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += "==";
    } else if (rest == 2) {
        const unsigned v = (static_cast<unsigned char>(in[i]) << 16) |
                           (static_cast<unsigned char>(in[i + 1]) << 8);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::string base64Decode(const std::string& text) {
    const auto value = [](char c) -> unsigned {
        if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A');
        if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 26);
        if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0' + 52);
        if (c == '+') return 62;
        if (c == '/') return 63;
        return 0;
    };
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i + 4 <= text.size(); i += 4) {
        const unsigned a = value(text[i]), b = value(text[i + 1]);
        const unsigned c = value(text[i + 2]), d = value(text[i + 3]);
        out += static_cast<char>(((a << 2) | (b >> 4)) & 0xFF);
        out += static_cast<char>((((b & 15) << 4) | (c >> 2)) & 0xFF);
        out += static_cast<char>((((c & 3) << 6) | d) & 0xFF);
    }
    const std::size_t zero = out.find('\0');
    if (zero != std::string::npos) out.resize(zero);
    return out;
}

std::string colorToHex(Colour colour) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02x%02x%02x", static_cast<unsigned>(colour & 0xFF),
                  static_cast<unsigned>((colour >> 8) & 0xFF),
                  static_cast<unsigned>((colour >> 16) & 0xFF));
    return buf;
}

bool hexToColor(const std::string& text, Colour& colour) {
    if (text.size() < 6) return false;
    unsigned digits[6];
    for (int i = 0; i < 6; ++i) {
        const char c = text[static_cast<std::size_t>(i)];
        if (c >= '0' && c <= '9') {
            digits[i] = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digits[i] = static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digits[i] = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
    }
    const unsigned red = digits[0] * 16 + digits[1];
    const unsigned green = digits[2] * 16 + digits[3];
    const unsigned blue = digits[4] * 16 + digits[5];
    colour = red | (green << 8) | (blue << 16);
    return true;
}

std::string format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, fmt, args);
    va_end(args);
    std::string out;
    if (n < 0) {
        va_end(copy);
        return out;
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.assign(small, static_cast<std::size_t>(n));
    } else {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, copy);
        out.resize(static_cast<std::size_t>(n));
    }
    va_end(copy);
    return out;
}

}  // namespace kavlo::util
