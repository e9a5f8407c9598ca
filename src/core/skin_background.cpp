// SPDX-License-Identifier: MIT
#include "core/skin_background.h"

#include <cctype>

#include "util/files.h"

namespace kavlo::core {

using util::Colour;
using util::isPlainFolderName;
using util::readFile;

namespace {

constexpr Colour kWhite = 0xFFFFFF;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

Colour skinBackground(const std::string& templatedir, const std::string& appearance) {
    std::string css;
    if (!isPlainFolderName(appearance) ||
        !readFile(templatedir + "/js2/ext/css/appearance_" + appearance + ".css", css))
        return kWhite;
    const std::string key = "--kv-bg:";
    const std::size_t at = css.find(key);
    if (at == std::string::npos) return kWhite;
    std::size_t p = at + key.size();
    while (p < css.size() && (css[p] == ' ' || css[p] == '\t')) ++p;
    if (p >= css.size() || css[p] != '#') return kWhite;
    ++p;
    int digits[6];
    std::size_t n = 0;
    while (n < 6 && p + n < css.size() && hexDigit(css[p + n]) >= 0) {
        digits[n] = hexDigit(css[p + n]);
        ++n;
    }
    const bool ended = p + n >= css.size() || hexDigit(css[p + n]) < 0;
    int r, g, b;
    if (n == 6 && ended) {
        r = digits[0] * 16 + digits[1];
        g = digits[2] * 16 + digits[3];
        b = digits[4] * 16 + digits[5];
    } else if (n == 3 && ended) {
        r = digits[0] * 17;
        g = digits[1] * 17;
        b = digits[2] * 17;
    } else {
        return kWhite;
    }
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

}  // namespace kavlo::core
