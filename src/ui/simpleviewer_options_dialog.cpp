// SPDX-License-Identifier: MIT
#include "ui/simpleviewer_options_dialog.h"

#include <algorithm>
#include <cmath>

#include "ui/options_dialog.h"

namespace kavlo::ui {

using core::Platform;
using util::Colour;
using util::format;

std::string thumbnailMatrixHint(int imageCount) {
    const int n = imageCount;
    std::vector<std::string> items;
    if (n > 0) {
        int root = static_cast<int>(std::sqrt(static_cast<double>(n)));
        // Guard against the square root rounding up or down at perfect squares.
        while (root > 0 && root * root > n) --root;
        while ((root + 1) * (root + 1) <= n) ++root;
        for (int i = 1; i <= std::min(root, 10); ++i)
            if (n % i == 0) items.push_back(format("%ix%i", i, n / i));
    }
    std::string hint = format("Showing all %i images requires a thumbnail matrix size of ", n);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) hint += i + 1 == items.size() ? " or " : ", ";
        hint += items[i];
    }
    return hint + ".";
}

SimpleViewerOptionsDialog::SimpleViewerOptionsDialog(Platform& platform, int imageCount)
    : imageCount(imageCount), m_platform(platform) {}

std::vector<std::string> SimpleViewerOptionsDialog::frameSizeItems() {
    std::vector<std::string> items;
    for (int i = 0; i <= kMaxFrameSize; ++i) items.push_back(std::to_string(i));
    return items;
}

std::vector<std::string> SimpleViewerOptionsDialog::matrixItems() {
    std::vector<std::string> items;
    for (int i = 1; i <= kMaxMatrixIndex + 1; ++i) items.push_back(std::to_string(i));
    return items;
}

std::vector<std::string> SimpleViewerOptionsDialog::scalingItems() { return {"Crop", "Fit"}; }

bool SimpleViewerOptionsDialog::checkStagePadding() {
    auto value = parseNumberBox(stagePadding);
    if (!value) return false;
    if (*value >= 0 && *value <= 100) return true;
    stagePadding = std::to_string(closestInRange(*value, 0, 100));
    showRangeMessage(m_platform, "Stage padding", 0, 100);
    return true;
}

bool SimpleViewerOptionsDialog::chooseColour(Colour& colour) {
    auto chosen = m_platform.chooseColour(colour, customColours);
    if (!chosen) return false;
    colour = *chosen & 0xFFFFFF;
    return true;
}

bool SimpleViewerOptionsDialog::chooseBackgroundColour() { return chooseColour(backgroundColour); }
bool SimpleViewerOptionsDialog::chooseTextColour() { return chooseColour(textColour); }
bool SimpleViewerOptionsDialog::chooseFrameColour() { return chooseColour(frameColour); }

bool SimpleViewerOptionsDialog::ok() {
    frameSize = std::clamp(frameSize, 0, kMaxFrameSize);
    rowIndex = std::clamp(rowIndex, 0, kMaxMatrixIndex);
    columnIndex = std::clamp(columnIndex, 0, kMaxMatrixIndex);
    if (!parseNumberBox(stagePadding)) {
        showNotANumberMessage(m_platform);
        return false;
    }
    return checkStagePadding();
}

int SimpleViewerOptionsDialog::stagePaddingValue() const {
    return std::clamp(parseNumberBox(stagePadding).value_or(0), 0, 100);
}

}  // namespace kavlo::ui
