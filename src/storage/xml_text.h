// SPDX-License-Identifier: MIT
// Pieces shared by the writers of resource/values files.
#pragma once

#include <string>

namespace kavlo::storage {

/// The three lines that open every resource/values file ("\n" line ends).
inline constexpr const char* kResourceHeader =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resource>\n<values\n";
/// The two lines that close it.
inline constexpr const char* kResourceFooter = "/>\n</resource>\n";

/// A text value as it stands between the quotes of an attribute: htmlEscape with
/// UTF-8 conversion. Characters that XML 1.0 does not allow in a document (C0
/// controls other than tab, line feed and carriage return; U+FFFE and U+FFFF)
/// become a space, since a single one would make the whole file unreadable.
std::string xmlAttributeText(const std::string& text);

}  // namespace kavlo::storage
