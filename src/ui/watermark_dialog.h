// SPDX-License-Identifier: MIT
// The "Watermark Editor" window: watermark text (or each image's minor caption),
// font, size, colour, transparency and position, with a live preview.
//
// WatermarkDialog holds the values of the window's controls and the preview
// picture; the Qt view copies its widgets in, calls the handlers and shows the state.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/platform.h"
#include "imaging/image.h"
#include "imaging/raster_image.h"

namespace kavlo::ui {

class WatermarkDialog {
public:
    /// What the window is opened with and what it returns on OK.
    struct Values {
        std::string text;
        bool useMinorCaption = false;
        /// In: the bare file name of the configured font. Out: the full path of the
        /// selected font after the preview found it, else the name given in.
        std::string fontFile;
        std::string sizeText;            ///< decimal text; "" when the size list has no selection
        int position = 5;                ///< 0..6, see positionItems()
        util::Colour colour = 0xFFFFFF;  ///< red in the lowest byte
        int transparency = 0;            ///< 0..9, tenths
    };

    /// `fontFiles`: full paths of the TrueType files to offer.
    WatermarkDialog(core::Platform& platform, const Values& in, std::vector<std::string> fontFiles);
    ~WatermarkDialog();
    WatermarkDialog(const WatermarkDialog&) = delete;
    WatermarkDialog& operator=(const WatermarkDialog&) = delete;

    // Values of the controls.
    std::string text;                     ///< "&Text"
    bool useMinorCaption = false;         ///< "Use &minor caption as watermark"
    std::string fontName;                 ///< selected display name in "&Font", "" when none
    std::string sizeText;                 ///< selected item of "&Size", "" when none
    int position = 5;                     ///< "&Position" index
    int transparency = 0;                 ///< "Transparenc&y" index
    util::Colour colour = 0xFFFFFF;       ///< "Colo&r"
    core::CustomColours customColours{};  ///< all black at first

    static const std::vector<std::string>& sizeItems();
    static const std::vector<std::string>& positionItems();
    static const std::vector<std::string>& transparencyItems();
    /// Display names of the fonts, in list order (filled by open()).
    const std::vector<std::string>& fontItems() const { return m_fontItems; }
    /// Font display name -> file.
    const std::map<std::string, std::string>& fontMap() const { return m_fontMap; }

    /// Opening: reads the font names, selects the configured font and size, and
    /// renders the preview.
    void open();
    /// The text box accepts input exactly when the minor caption is not used.
    bool textEnabled() const { return !useMinorCaption; }

    /// Re-renders the preview from the controls (text, font, size, transparency or
    /// colour changed). A change of position leaves the preview as it is.
    void updatePreview();
    /// "Colo&r": the colour chooser; true (and a new preview) when a colour was chosen.
    bool chooseColour();

    /// The preview: 24-bit (blue, green, red) text on a white or black backdrop, or the
    /// empty image when there is nothing to show.
    const imaging::RasterImage& preview() const { return m_preview.record(); }
    /// The font file as it stands (bare name until a preview found the font).
    const std::string& fontFile() const { return m_fontFile; }

    /// The values to hand back on OK.
    Values result() const;

private:
    void clearPreview();

    core::Platform& m_platform;
    std::vector<std::string> m_fontFiles;
    std::map<std::string, std::string> m_fontMap;
    std::vector<std::string> m_fontItems;
    std::string m_fontFile;
    imaging::Image m_preview;
};

}  // namespace kavlo::ui
