// SPDX-License-Identifier: MIT
// The "Options" window: skin, language, Exif caption placement, auto-rotation, the
// SimpleViewer and watermark switches, original file names, and for thumbnails, main
// and large images whether they are made, their sizes, JPEG quality and sharpening.
//
// OptionsDialog edits the album's live AlbumSettings and the main window's exifpos. It
// holds the values of the window's controls (OptionsControls); the Qt view copies the
// widgets into `controls` before each handler and shows `controls` again afterwards.
// Some handlers change the settings at once (reuseimages, cleardirs and whatever the
// two sub-windows return); OK writes the rest, Cancel writes nothing more.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/platform.h"
#include "model/album_model.h"

namespace kavlo::ui {

class WatermarkDialog;
class SimpleViewerOptionsDialog;

// ---- Number boxes shared by the option windows ------------------------------------

/// The value of a number box that accepts digits only: nullopt when the text holds
/// no digit or anything but digits; values beyond 999999999 read as 999999999.
std::optional<int> parseNumberBox(const std::string& text);
/// Closest value of [min, max] as the size checks choose it: below min gives min,
/// unless v also exceeds max (possible only when min > max), which gives max.
int closestInRange(int v, int min, int max);
/// "%s must have a size between %i and %i.\n\nThe closest value has been inserted."
/// shown with the caption "Information".
void showRangeMessage(core::Platform& platform, const std::string& label, int min, int max);
/// The message for a number box that holds no number.
void showNotANumberMessage(core::Platform& platform);

// ---- Lists --------------------------------------------------------------------------

/// The three quality list items, index 0..2.
const std::vector<std::string>& qualityItems();
/// Quality list index of a stored JPEG quality: <= 60 gives 0, 61..85 gives 1, else 2.
int qualityIndex(int quality);
/// JPEG quality of a list index: 60, 85, 94 (out-of-range indexes are clamped).
int qualityValue(int index);

/// Language code -> display name, the 28 languages of the album pages.
const std::map<std::string, std::string>& languageTable();
/// Skin name -> display name for every "appearance_<skin>.css" in `cssFolder`
/// (display name: the skin with its first letter in upper case).
std::map<std::string, std::string> discoverSkins(const std::string& cssFolder);
/// The values of a name map sorted as the list shows them (letter case ignored).
std::vector<std::string> sortedDisplayNames(const std::map<std::string, std::string>& table);

// ---- The window ---------------------------------------------------------------------

/// Values of the Options window's controls.
struct OptionsControls {
    std::string skin;      ///< selected skin display name, "" when none
    std::string language;  ///< selected language display name, "" when none
    int exifIndex = 0;     ///< "E&xposure Information (Exif)" list
    bool autorotate = true;
    bool simpleviewer = false;
    bool imagetext = false;
    bool orgfilenames = false;
    bool renditions = true;  ///< extra renditions for sharp views on dense screens

    bool small = true;      ///< thumbnails "S&how"
    std::string smallSize;  ///< number box text
    int smallQuality = 1;   ///< quality list index
    bool smallSharpen = true;
    int smallPosition = 0;  ///< "Left", "Right", "Top", "Bottom"

    std::string mainWidth;
    std::string mainHeight;
    int mainQuality = 1;
    bool mainSharpen = true;

    bool large = false;  ///< large images "Sho&w"
    std::string largeSize;
    int largeQuality = 1;
    bool largeSharpen = true;
    bool copyhires = false;      ///< "Use input &files"
    bool striplocation = false;  ///< "Remove &location from published originals"
};

/// Which controls accept input (those not named here always do).
struct OptionsEnabled {
    bool svOptions = false;      ///< "Optio&ns"
    bool watermarkEdit = false;  ///< "E&dit"
    bool smallSize = false;
    bool smallOthers = false;  ///< thumbnail quality, sharpen and position
    bool largeSize = false;    ///< large size, quality and sharpen
    bool copyhires = false;
    bool striplocation = false;  ///< only when the originals are published
};

/// The four number boxes that are range-checked.
enum class SizeBox { Thumbnails, Large, MainWidth, MainHeight };

/// How the Options window opens its two sub-windows. The Qt view shows its windows;
/// tests script the answers. Each returns true when the sub-window closed with OK.
class OptionsSubWindows {
public:
    virtual ~OptionsSubWindows() = default;
    virtual bool runSimpleViewerOptions(SimpleViewerOptionsDialog& dialog) = 0;
    virtual bool runWatermarkDialog(WatermarkDialog& dialog) = 0;
};

class OptionsDialog {
public:
    /// Loads the controls from `settings` and `exifpos`, builds the language table
    /// and finds the skins in `cssFolder` (by default the js2 template set's css
    /// folder beside the program).
    OptionsDialog(model::AlbumSettings& settings, model::ExifCaptionPlace& exifpos,
                  const model::AlbumModel& album, core::Platform& platform,
                  std::string cssFolder = defaultCssFolder());

    static std::string defaultCssFolder();
    /// "file://" + the skin example page beside the program.
    static std::string examplesLink();

    OptionsControls controls;

    const std::map<std::string, std::string>& skins() const { return m_skins; }
    /// Display names in list order.
    std::vector<std::string> skinItems() const { return sortedDisplayNames(m_skins); }
    std::vector<std::string> languageItems() const { return sortedDisplayNames(languageTable()); }

    /// Opening: selects skin and language (a "Fatal error" message for one that is not
    /// in its list), then applies the enabling rules.
    void open();

    /// Which controls accept input, from the current controls.
    OptionsEnabled enabled() const;
    /// The enabling rules followed by the four size checks.
    void applyEnabling();
    /// Range check of one number box; true when it changed the value (the user has
    /// been told). Does nothing while a size box holds no number.
    bool checkSize(SizeBox box);
    /// The [min, max] that checkSize uses for a box; nullopt when a size box holds no
    /// number.
    std::optional<std::pair<int, int>> sizeRange(SizeBox box) const;

    // Handlers, called after the view copied the widgets into `controls`.
    void clickedSmall();         ///< thumbnails "S&how"
    void clickedLarge();         ///< large images "Sho&w"
    void clickedCopyHires();     ///< "Use input &files"
    void clickedImageText();     ///< the watermark box
    void clickedSimpleViewer();  ///< may ask the SimpleViewer question
    void changedQuality();       ///< any of the three quality lists
    void clickedSharpen();       ///< any of the three sharpen boxes
    void clickedAutorotate();
    void clickedOrgFileNames();

    /// "Optio&ns": the SimpleViewer options on the album's gallery settings.
    void simpleViewerOptions(OptionsSubWindows& windows);
    /// "E&dit": the watermark editor, under the wait cursor until it closes.
    void editWatermark(OptionsSubWindows& windows);
    /// Called before a message about a corrected value, so that a view shows the
    /// corrected `controls` while the message is read.
    void setBeforeMessage(std::function<void()> showControls) {
        m_beforeMessage = std::move(showControls);
    }
    /// Font files the watermark editor lists (default: the installed fonts).
    void setFontFiles(std::vector<std::string> files) { m_fontFiles = std::move(files); }

    /// OK: false (and nothing written) when a number box holds no number; otherwise
    /// writes the controls to the settings and exifpos and returns true.
    bool ok();

private:
    /// Sizes from the number boxes; nullopt (after telling the user) when one holds
    /// no number.
    struct Sizes {
        int small, mainWidth, mainHeight, large;
    };
    std::optional<Sizes> readSizes(bool tell) const;

    model::AlbumSettings& m_settings;
    model::ExifCaptionPlace& m_exifpos;
    const model::AlbumModel& m_album;
    core::Platform& m_platform;
    std::map<std::string, std::string> m_skins;
    std::optional<std::vector<std::string>> m_fontFiles;
    std::function<void()> m_beforeMessage;
};

}  // namespace kavlo::ui
