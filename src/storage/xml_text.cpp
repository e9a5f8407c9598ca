// SPDX-License-Identifier: MIT
#include "storage/xml_text.h"

#include "util/text.h"

namespace kavlo::storage {

using util::htmlEscape;

std::string xmlAttributeText(const std::string& text) {
    std::string s = htmlEscape(text, true);  // valid UTF-8 from here on
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            s[i] = ' ';
        } else if (c == 0xEF && i + 2 < s.size() && s[i + 1] == '\xBF' &&
                   (s[i + 2] == '\xBE' || s[i + 2] == '\xBF')) {
            s.replace(i, 3, " ");
        }
    }
    return s;
}

}  // namespace kavlo::storage
