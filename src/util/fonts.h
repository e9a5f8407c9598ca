// SPDX-License-Identifier: MIT
// Installed fonts, as fontconfig knows them.
//
// Both lists are computed once per process (the first call asks fontconfig) and
// are safe to call from any thread afterwards.
#pragma once

#include <string>
#include <vector>

namespace kavlo::util {

/// Every TrueType file ("*.ttf", extension in any letter case) that fontconfig knows,
/// as full paths sorted by byte comparison, without duplicates. Empty when fontconfig
/// cannot be initialised or knows no such file.
std::vector<std::string> installedFontFiles();

/// The file fontconfig matches for the family "Arial" (on Debian: Liberation Sans or
/// DejaVu Sans); "" when fontconfig offers no match with a file.
std::string defaultFontFile();

}  // namespace kavlo::util
