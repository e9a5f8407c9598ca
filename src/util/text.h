// SPDX-License-Identifier: MIT
// Text utilities: replacement, escaping for the file formats Kavlo writes, line-break
// conversion, code pages, base64, colours and a few settings-derived names.
//
// Common rules:
// - Text in memory is UTF-8. Text read from files and photos goes through repairUtf8:
//   valid UTF-8 passes through, and every byte that is not part of a valid UTF-8
//   sequence becomes the Windows-1252 character of that byte, so text from old cameras
//   and editors stays readable.
// - Every function is pure: it takes its input by constant reference and returns a
//   new string. None fails for any input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kavlo::util {

/// Colour as stored in settings: red in the lowest byte, then green, then blue.
using Colour = std::uint32_t;

/// Replaces every occurrence of `pattern`, searching left to right and continuing
/// after the inserted text (matches never overlap, inserted text is not searched
/// again). An empty pattern returns the text unchanged.
std::string replaceAll(std::string text, std::string_view pattern, std::string_view replacement);

/// "&" -> "&amp;", "<" -> "&lt;", ">" -> "&gt;", '"' -> "&quot;" (in this order);
/// then repairUtf8 when toUtf8 is true.
std::string htmlEscape(const std::string& text, bool toUtf8);
/// Inverse of htmlEscape for its four entities only ("&amp;" first); then
/// repairUtf8 when fromUtf8 is true.
std::string htmlUnescape(const std::string& text, bool fromUtf8);
/// "<" -> "%3C", ">" -> "%3E", '"' -> "%22", "&" -> "%26" (in this order).
std::string percentEscape(const std::string& text);
/// Script string literal escaping: backslash doubled, apostrophe and double quote
/// preceded by a backslash, LF and CR each become one space; then repairUtf8 when
/// toUtf8 is true.
std::string jsEscape(const std::string& text, bool toUtf8);
/// Every CR LF pair becomes "<br/>" (xhtml) or "<br>".
std::string crlfToBr(const std::string& text, bool xhtml);
/// Every exact "<br/>" (xhtml) or "<br>" becomes CR LF.
std::string brToCrlf(const std::string& text, bool xhtml);

/// Valid UTF-8 passes unchanged; every other byte becomes the UTF-8 form of its
/// Windows-1252 character. The input is read up to its first zero byte.
std::string repairUtf8(const std::string& text);
/// UTF-8 (repaired first) to Mac Roman (iconv "MACINTOSH"); a character with no Mac
/// Roman form becomes "?".
std::string utf8ToMacRoman(const std::string& text);
/// Mac Roman to UTF-8.
std::string macRomanToUtf8(const std::string& text);
/// UTF-8 to ISO-8859-1; a character with no ISO-8859-1 form becomes "?".
std::string utf8ToLatin1(const std::string& text);

/// Standard base64 with "=" padding and no line breaks; the input is read up to its
/// first zero byte.
std::string base64Encode(const std::string& text);
/// Decodes groups of four characters; characters outside the alphabet count as 0;
/// the result ends at the first zero byte. Trailing characters that do not make a
/// whole group are ignored.
std::string base64Decode(const std::string& text);

/// Six lower-case hexadecimal digits rrggbb.
std::string colorToHex(Colour colour);
/// Reads rrggbb (either case). Returns false and leaves `colour` unchanged when the
/// first six characters are not all hexadecimal digits.
bool hexToColor(const std::string& text, Colour& colour);

/// printf-style formatting into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kavlo::util
