// SPDX-License-Identifier: MIT
// The "SimpleViewer Options" window: colours, frame size, stage padding and the
// thumbnail matrix of the SimpleViewer gallery, with a colour sample and a hint
// which matrices show every image of the album.
//
// The class holds the values of the window's controls; the Qt view copies widget
// values in, calls the handlers and shows the state again. Messages and the colour
// chooser go through the Platform interface.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/platform.h"
#include "util/text.h"

namespace kavlo::ui {

/// "Showing all %i images requires a thumbnail matrix size of " followed by every
/// "ixj" with i = 1 .. min(floor(sqrt(n)), 10) dividing n, separated by ", " with
/// " or " before the last one, and ".".
std::string thumbnailMatrixHint(int imageCount);

/// The text painted in the colour sample (leading and trailing space included).
inline constexpr const char* kColourSampleText = " The quick brown fox jumps over the lazy dog. ";

class SimpleViewerOptionsDialog {
public:
    /// Highest frame-size index (items "0" .. "30").
    static constexpr int kMaxFrameSize = 30;
    /// Highest row / column index (items "1" .. "20").
    static constexpr int kMaxMatrixIndex = 19;

    explicit SimpleViewerOptionsDialog(core::Platform& platform, int imageCount = 0);

    // Values of the controls. The caller fills them before the window opens and
    // reads them after ok() returned true.
    util::Colour backgroundColour = 0x191919;  ///< "&Background Color"
    util::Colour textColour = 0xFFFFFF;        ///< "&Text Color"
    util::Colour frameColour = 0x555555;       ///< "&Frame Color"
    int frameSize = 1;                         ///< index 0..30 = frame width
    std::string stagePadding = "35";           ///< number box text, digits only
    int rowIndex = 2;                          ///< 0..19 for 1..20 rows
    int columnIndex = 2;                       ///< 0..19 for 1..20 columns
    std::string scaling;                       ///< "Crop" or "Fit" ("" none selected)
    int imageCount = 0;
    core::CustomColours customColours{};  ///< all black at first

    /// Items of the lists, in list order.
    static std::vector<std::string> frameSizeItems();
    static std::vector<std::string> matrixItems();
    static std::vector<std::string> scalingItems();

    /// Text of the hint below the matrix lists.
    std::string matrixHint() const { return thumbnailMatrixHint(imageCount); }

    /// Leaving the stage-padding box: a value outside 0..100 is replaced by the
    /// closest one and the user is told. Returns false (and says nothing; OK will)
    /// when the box holds no number.
    bool checkStagePadding();
    /// The colour buttons: the chooser opens on the colour; true when one was chosen
    /// (the sample must then be repainted).
    bool chooseBackgroundColour();
    bool chooseTextColour();
    bool chooseFrameColour();

    /// OK: refused (false, window stays open) when the stage padding holds no number.
    /// An out-of-range value typed before pressing Return is corrected as on leaving
    /// the box.
    bool ok();
    /// Stage padding as a number; valid after ok() returned true.
    int stagePaddingValue() const;

private:
    bool chooseColour(util::Colour& colour);
    core::Platform& m_platform;
};

}  // namespace kavlo::ui
