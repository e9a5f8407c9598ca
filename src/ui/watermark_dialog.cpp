// SPDX-License-Identifier: MIT
#include "ui/watermark_dialog.h"

#include <strings.h>
#include <algorithm>
#include <utility>

#include "imaging/watermark.h"
#include "ui/options_dialog.h"
#include "util/files.h"

namespace kavlo::ui {

using core::Platform;
using imaging::applyTransparency;
using imaging::fontNameFromFile;
using imaging::Image;
using imaging::renderTextOverlay;
using imaging::RPblend;
using imaging::RPfillColour;
using util::fileNameOf;

WatermarkDialog::WatermarkDialog(Platform& platform, const Values& in,
                                 std::vector<std::string> fontFiles)
    : text(in.text), useMinorCaption(in.useMinorCaption), sizeText(in.sizeText),
      position(std::clamp(in.position, 0, 6)), transparency(std::clamp(in.transparency, 0, 9)),
      colour(in.colour & 0xFFFFFF), m_platform(platform), m_fontFiles(std::move(fontFiles)),
      m_fontFile(in.fontFile) {}

WatermarkDialog::~WatermarkDialog() = default;

const std::vector<std::string>& WatermarkDialog::sizeItems() {
    static const std::vector<std::string> items = {
        "6",  "7",  "8",  "9",  "10", "11", "12", "13", "14", "15", "16", "17", "18",
        "19", "20", "24", "28", "32", "36", "40", "44", "48", "64", "80", "96"};
    return items;
}

const std::vector<std::string>& WatermarkDialog::positionItems() {
    static const std::vector<std::string> items = {"Top Left",    "Top Center",    "Top Right",
                                                   "Bottom Left", "Bottom Center", "Bottom Right",
                                                   "Center"};
    return items;
}

const std::vector<std::string>& WatermarkDialog::transparencyItems() {
    static const std::vector<std::string> items = {"0", "1", "2", "3", "4",
                                                   "5", "6", "7", "8", "9"};
    return items;
}

void WatermarkDialog::open() {
    m_fontMap.clear();
    m_fontItems.clear();
    std::string remembered;
    for (const std::string& path : m_fontFiles) {
        const std::string name = fontNameFromFile(path);
        if (name.empty()) continue;
        const bool configured = fileNameOf(path) == m_fontFile;
        auto [it, inserted] = m_fontMap.emplace(name, path);
        if (inserted) m_fontItems.push_back(name);
        // Two files may carry one name; the configured file wins that name.
        else if (configured) it->second = path;
        if (configured) remembered = name;
    }
    std::stable_sort(m_fontItems.begin(), m_fontItems.end(),
                     [](const std::string& a, const std::string& b) {
                         return strcasecmp(a.c_str(), b.c_str()) < 0;
                     });
    fontName = remembered;
    const auto& sizes = sizeItems();
    if (std::find(sizes.begin(), sizes.end(), sizeText) == sizes.end()) sizeText.clear();
    updatePreview();
}

void WatermarkDialog::clearPreview() { m_preview.reset(); }

void WatermarkDialog::updatePreview() {
    if (text.empty()) {
        clearPreview();
        return;
    }
    auto font = m_fontMap.find(fontName);
    if (font == m_fontMap.end()) return;
    m_fontFile = font->second;
    const int size = parseNumberBox(sizeText).value_or(0);

    const auto red = static_cast<std::uint8_t>(colour & 0xFF);
    const auto green = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    const auto blue = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
    Image overlay(renderTextOverlay(text, m_fontFile, size, blue, green, red));
    if (overlay.pixels() == nullptr || overlay.width() <= 1 || overlay.height() <= 1) {
        clearPreview();
        return;
    }
    applyTransparency(overlay.record(), transparency * 10);
    // Light text on black, dark text on white, so the preview always shows it.
    const std::uint8_t back = (red + green + blue) / 3 < 127 ? 255 : 0;
    Image backdrop = Image::create(overlay.width(), overlay.height(), 24);
    if (backdrop.pixels() == nullptr) {
        clearPreview();
        return;
    }
    RPfillColour(backdrop.record(), back, back, back, 0);
    RPblend(backdrop.record(), 0, 0, overlay.width(), overlay.height(), 32, overlay.pixels());
    m_preview = std::move(backdrop);
}

bool WatermarkDialog::chooseColour() {
    auto chosen = m_platform.chooseColour(colour, customColours);
    if (!chosen) return false;
    colour = *chosen & 0xFFFFFF;
    updatePreview();
    return true;
}

WatermarkDialog::Values WatermarkDialog::result() const {
    Values v;
    v.text = text;
    v.useMinorCaption = useMinorCaption;
    v.fontFile = m_fontFile;
    v.sizeText = sizeText;
    v.position = position;
    v.colour = colour;
    v.transparency = transparency;
    return v;
}

}  // namespace kavlo::ui
