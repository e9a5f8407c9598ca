// SPDX-License-Identifier: MIT
// Where the album's pieces sit: the thumbnail strip beside the main image and the
// watermark text in an album image. The settings and album files keep a word for the
// strip and a number for the watermark; their readers and writers convert at the file.
#pragma once

#include <optional>
#include <string>

namespace kavlo::util {

/// Where the thumbnail strip sits beside the main image (settings key smallpos).
enum class StripPosition : int { left = 0, right = 1, top = 2, bottom = 3 };

/// The word of a strip position in the files and album pages: "left", "right", "top",
/// "bottom" ("left" for a value outside the four).
inline std::string stripPositionName(StripPosition position) {
    switch (position) {
    case StripPosition::right: return "right";
    case StripPosition::top: return "top";
    case StripPosition::bottom: return "bottom";
    default: return "left";
    }
}

/// The strip position a word names (exact spelling); nullopt for any other word.
inline std::optional<StripPosition> stripPositionFromName(const std::string& word) {
    for (const StripPosition p :
         {StripPosition::left, StripPosition::right, StripPosition::top, StripPosition::bottom}) {
        if (word == stripPositionName(p)) return p;
    }
    return std::nullopt;
}

/// Where the watermark text sits in an album image (settings key itposition, stored as
/// its number). A number outside 0..6 read from a file is kept as it is, so that it is
/// written back unchanged, and places the text like centre.
enum class WatermarkPosition : int {
    topLeft = 0,
    topCentre = 1,
    topRight = 2,
    bottomLeft = 3,
    bottomCentre = 4,
    bottomRight = 5,
    centre = 6
};

}  // namespace kavlo::util
