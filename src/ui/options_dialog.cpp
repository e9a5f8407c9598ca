// SPDX-License-Identifier: MIT
#include "ui/options_dialog.h"

#include <strings.h>
#include <algorithm>
#include <cctype>

#include "ui/simpleviewer_options_dialog.h"
#include "ui/watermark_dialog.h"
#include "util/files.h"
#include "util/fonts.h"

namespace kavlo::ui {

using core::makeMessage;
using core::Message;
using core::MessageAnswer;
using core::MessageButtons;
using core::MessageIcon;
using core::Platform;
using model::AlbumModel;
using model::AlbumSettings;
using model::ExifCaptionPlace;
using util::dataFolder;
using util::fileNameOf;
using util::format;
using util::installedFontFiles;
using util::listFiles;
using util::stripExtension;
using util::StripPosition;
using util::WatermarkPosition;

// ---- Number boxes -------------------------------------------------------------------

std::optional<int> parseNumberBox(const std::string& text) {
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        // Saturate instead of overflowing: a pasted run of digits is simply "too big",
        // and the range checks bring it back.
        if (value < 999999999) value = std::min<long long>(value * 10 + (c - '0'), 999999999);
    }
    return static_cast<int>(value);
}

int closestInRange(int v, int min, int max) {
    if (v < min) return v > max ? max : min;
    if (v > max) return max;
    return v;
}

void showRangeMessage(Platform& platform, const std::string& label, int min, int max) {
    platform.messageBox(makeMessage(
        format("%s must have a size between %i and %i.\n\nThe closest value has been inserted.",
               label.c_str(), min, max),
        "Information", MessageButtons::Ok, MessageIcon::Information));
}

void showNotANumberMessage(Platform& platform) {
    platform.messageBox(makeMessage("Please enter a positive whole number.", "Kavlo",
                                    MessageButtons::Ok, MessageIcon::Warning));
}

// ---- Lists --------------------------------------------------------------------------

const std::vector<std::string>& qualityItems() {
    static const std::vector<std::string> items = {"Low (smaller files)", "Medium",
                                                   "High (larger files)"};
    return items;
}

int qualityIndex(int quality) {
    if (quality <= 60) return 0;
    if (quality <= 85) return 1;
    return 2;
}

int qualityValue(int index) {
    static constexpr int values[] = {60, 85, 94};
    return values[std::clamp(index, 0, 2)];
}

const std::map<std::string, std::string>& languageTable() {
    static const std::map<std::string, std::string> table = {
        {"uk", "English"},
        {"dk", "Danish"},
        {"de", "German"},
        {"it", "Italian"},
        {"es", "Spanish"},
        {"se", "Swedish"},
        {"no", "Norwegian"},
        {"is", "Icelandic"},
        {"ru", "Russian"},
        {"fi", "Finnish"},
        {"fr", "French"},
        {"nl", "Dutch"},
        {"hu", "Hungarian"},
        {"pt", "Portuguese"},
        {"ee", "Estonian"},
        {"il", "Hebrew"},
        {"cz", "Czech"},
        {"tr", "Turkish"},
        {"tw", "Traditional Chinese"},
        {"lt", "Lithuanian"},
        {"ro", "Romanian"},
        {"hr", "Croatian"},
        {"gr", "Greek"},
        {"si", "Slovenian"},
        {"esp", "Esperanto"},
        {"pl", "Polish"},
        {"sk", "Slovak"},
        {"jp", "Japanese"},
    };
    return table;
}

std::map<std::string, std::string> discoverSkins(const std::string& cssFolder) {
    static const std::string prefix = "appearance_";
    std::map<std::string, std::string> skins;
    for (const std::string& name : listFiles(cssFolder, "*.css", true)) {
        const std::string stem = stripExtension(name);
        if (stem.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string skin = stem.substr(prefix.size());
        std::string display = skin;
        if (!display.empty())
            display[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(display[0])));
        skins.emplace(skin, display);
    }
    return skins;
}

std::vector<std::string> sortedDisplayNames(const std::map<std::string, std::string>& table) {
    std::vector<std::string> names;
    for (const auto& [key, display] : table) names.push_back(display);
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

namespace {

/// The key whose display name is `display`; nullopt when none has it.
std::optional<std::string> keyOfDisplay(const std::map<std::string, std::string>& table,
                                        const std::string& display) {
    if (display.empty()) return std::nullopt;
    for (const auto& [key, name] : table)
        if (name == display) return key;
    return std::nullopt;
}

}  // namespace

// ---- The window ---------------------------------------------------------------------

std::string OptionsDialog::defaultCssFolder() { return dataFolder() + "templates/js2/ext/css"; }

std::string OptionsDialog::examplesLink() { return "file://" + dataFolder() + "skins/index.html"; }

OptionsDialog::OptionsDialog(AlbumSettings& settings, ExifCaptionPlace& exifpos,
                             const AlbumModel& album, Platform& platform, std::string cssFolder)
    : m_settings(settings), m_exifpos(exifpos), m_album(album), m_platform(platform),
      m_skins(discoverSkins(cssFolder)) {
    OptionsControls& c = controls;
    c.exifIndex = std::clamp(static_cast<int>(exifpos), 0, 2);
    c.autorotate = settings.autorotate;
    c.simpleviewer = settings.simpleviewer;
    c.imagetext = settings.imagetext;
    c.orgfilenames = settings.orgfilenames;
    c.renditions = settings.renditions;
    c.small = settings.small;
    c.smallSize = std::to_string(std::max(settings.svsize, 0));
    c.smallQuality = qualityIndex(settings.squality);
    c.smallSharpen = settings.ssharpen;
    c.smallPosition = std::clamp(static_cast<int>(settings.smallpos), 0, 3);
    c.mainWidth = std::to_string(std::max(settings.mhsize, 0));
    c.mainHeight = std::to_string(std::max(settings.mvsize, 0));
    c.mainQuality = qualityIndex(settings.mquality);
    c.mainSharpen = settings.msharpen;
    c.large = settings.large;
    c.largeSize = std::to_string(std::max(settings.lvsize, 0));
    c.largeQuality = qualityIndex(settings.lquality);
    c.largeSharpen = settings.lsharpen;
    c.copyhires = settings.copyhires;
    c.striplocation = settings.striplocation;
}

void OptionsDialog::open() {
    const auto& languages = languageTable();
    if (auto it = languages.find(m_settings.language); it != languages.end()) {
        controls.language = it->second;
    } else {
        controls.language.clear();
        m_platform.messageBox(makeMessage("Language '" + m_settings.language + "' was not found.",
                                          "Fatal error", MessageButtons::Ok, MessageIcon::Error));
    }
    if (auto it = m_skins.find(m_settings.appearance); it != m_skins.end()) {
        controls.skin = it->second;
    } else {
        controls.skin.clear();
        m_platform.messageBox(makeMessage("Skin '" + m_settings.appearance + "' was not found.",
                                          "Fatal error", MessageButtons::Ok, MessageIcon::Error));
    }
    applyEnabling();
}

OptionsEnabled OptionsDialog::enabled() const {
    const OptionsControls& c = controls;
    OptionsEnabled e;
    e.svOptions = c.simpleviewer;
    e.smallSize = c.small && !c.simpleviewer;
    e.smallOthers = c.small;
    e.watermarkEdit = c.imagetext;
    e.largeSize = c.large && !c.copyhires;
    e.copyhires = c.large;
    e.striplocation = c.large && c.copyhires;
    return e;
}

void OptionsDialog::applyEnabling() {
    // The view reads enabled() after every handler; here only the size checks follow.
    checkSize(SizeBox::Thumbnails);
    checkSize(SizeBox::Large);
    checkSize(SizeBox::MainWidth);
    checkSize(SizeBox::MainHeight);
}

std::optional<OptionsDialog::Sizes> OptionsDialog::readSizes(bool tell) const {
    auto s = parseNumberBox(controls.smallSize);
    auto w = parseNumberBox(controls.mainWidth);
    auto h = parseNumberBox(controls.mainHeight);
    auto l = parseNumberBox(controls.largeSize);
    if (!s || !w || !h || !l) {
        if (tell) showNotANumberMessage(m_platform);
        return std::nullopt;
    }
    return Sizes{*s, *w, *h, *l};
}

std::optional<std::pair<int, int>> OptionsDialog::sizeRange(SizeBox box) const {
    auto sizes = readSizes(false);
    if (!sizes) return std::nullopt;
    const Sizes& z = *sizes;
    switch (box) {
    case SizeBox::Thumbnails: return std::pair{8, std::min(z.mainWidth, z.mainHeight) - 1};
    case SizeBox::Large: return std::pair{std::max(z.mainWidth, z.mainHeight) + 1, 4096};
    case SizeBox::MainWidth:
        return std::pair{controls.small ? z.small + 1 : 16, controls.large ? z.large - 1 : 2048};
    case SizeBox::MainHeight:
        return std::pair{controls.small ? z.small + 1 : 16, controls.large ? z.large - 1 : 4096};
    }
    return std::nullopt;
}

bool OptionsDialog::checkSize(SizeBox box) {
    // A box without a number is left alone here; OK refuses it with a message.
    auto sizes = readSizes(false);
    if (!sizes) return false;
    const auto [min, max] = *sizeRange(box);
    std::string* text = nullptr;
    const char* label = "Main images";
    int v = 0;
    switch (box) {
    case SizeBox::Thumbnails:
        text = &controls.smallSize;
        v = sizes->small;
        label = "Thumbnails";
        break;
    case SizeBox::Large:
        text = &controls.largeSize;
        v = sizes->large;
        label = "Large images";
        break;
    case SizeBox::MainWidth:
        text = &controls.mainWidth;
        v = sizes->mainWidth;
        break;
    case SizeBox::MainHeight:
        text = &controls.mainHeight;
        v = sizes->mainHeight;
        break;
    }
    if (v >= min && v <= max) return false;
    // A negative bound (main sizes below 9 make the thumbnail maximum negative) can
    // not be typed into a digits-only box; 0 is the closest value it can show.
    *text = std::to_string(std::max(closestInRange(v, min, max), 0));
    if (m_beforeMessage) m_beforeMessage();
    showRangeMessage(m_platform, label, min, max);
    return true;
}

void OptionsDialog::clickedSmall() {
    m_settings.reuseimages = false;
    applyEnabling();
}

void OptionsDialog::clickedLarge() {
    m_settings.reuseimages = false;
    applyEnabling();
}

void OptionsDialog::clickedCopyHires() {
    m_settings.reuseimages = false;
    applyEnabling();
}

void OptionsDialog::clickedImageText() {
    m_settings.reuseimages = false;
    applyEnabling();
}

void OptionsDialog::clickedSimpleViewer() {
    if (controls.simpleviewer) {
        Message question = makeMessage(
            // Paragraphs only: the message box wraps the lines to its own width.
            "SimpleViewer will add image fades, better image caching and in general provide a "
            "more dynamic experience for users with the Flash plugin. Users without this will "
            "see the standard Kavlo album.\n\n"
            "The SimpleViewer gallery style is credited to its original author and company.\n\n"
            "Would you like use SimpleViewer as the primary album viewer?",
            "SimpleViewer Information", MessageButtons::YesNo, MessageIcon::Information);
        if (m_platform.messageBox(question) == MessageAnswer::Yes) {
            m_settings.reuseimages = false;
            // SimpleViewer thumbnails are square crops of a fixed size.
            controls.smallSize = std::to_string(m_settings.svthumbsize);
        } else {
            controls.simpleviewer = false;
        }
    } else {
        m_settings.reuseimages = false;
    }
    applyEnabling();
}

void OptionsDialog::changedQuality() { m_settings.reuseimages = false; }

void OptionsDialog::clickedSharpen() { m_settings.reuseimages = false; }

void OptionsDialog::clickedAutorotate() { m_settings.reuseimages = false; }

void OptionsDialog::clickedOrgFileNames() {
    // Album image names change: the old images cannot be found again, so they go.
    m_settings.cleardirs = true;
    m_settings.reuseimages = false;
}

void OptionsDialog::simpleViewerOptions(OptionsSubWindows& windows) {
    SimpleViewerOptionsDialog dlg(m_platform, static_cast<int>(m_album.images.size()));
    dlg.frameSize = std::clamp(m_settings.svframesize, 0, SimpleViewerOptionsDialog::kMaxFrameSize);
    constexpr int kMaxIndex = SimpleViewerOptionsDialog::kMaxMatrixIndex;
    dlg.rowIndex = std::clamp(m_settings.svthumbrows - 1, 0, kMaxIndex);
    dlg.columnIndex = std::clamp(m_settings.svthumbcols - 1, 0, kMaxIndex);
    dlg.backgroundColour = m_settings.svbgcolor;
    dlg.textColour = m_settings.svtextcolor;
    dlg.frameColour = m_settings.svframecolor;
    dlg.stagePadding = std::to_string(std::max(m_settings.svstagepadding, 0));
    dlg.scaling = m_settings.svcropthumbs ? "Crop" : "Fit";
    const std::string oldScaling = dlg.scaling;
    if (!windows.runSimpleViewerOptions(dlg)) return;

    m_settings.svframesize = dlg.frameSize;
    m_settings.svthumbcols = dlg.columnIndex + 1;
    m_settings.svthumbrows = dlg.rowIndex + 1;
    if (dlg.backgroundColour != m_settings.svbgcolor) m_settings.reuseimages = false;
    m_settings.svbgcolor = dlg.backgroundColour;
    m_settings.svtextcolor = dlg.textColour;
    m_settings.svframecolor = dlg.frameColour;
    m_settings.svstagepadding = dlg.stagePaddingValue();
    if (dlg.scaling != oldScaling) {
        m_settings.reuseimages = false;
        m_settings.svcropthumbs = dlg.scaling == "Crop";
    }
}

void OptionsDialog::editWatermark(OptionsSubWindows& windows) {
    WatermarkDialog::Values in;
    in.text = m_settings.ittext;
    in.useMinorCaption = m_settings.itfrommicap;
    in.fontFile = fileNameOf(m_settings.itfontfile);
    in.sizeText = std::to_string(m_settings.itfontsize);
    in.position = static_cast<int>(m_settings.itposition);
    in.colour = m_settings.itcolor;
    in.transparency = m_settings.ittransp;

    // Listing the fonts and reading their names takes a moment: the wait cursor
    // covers it and goes once the editor is ready for input.
    m_platform.setWaitCursor(true);
    WatermarkDialog dlg(m_platform, in, m_fontFiles ? *m_fontFiles : installedFontFiles());
    dlg.open();
    m_platform.setWaitCursor(false);
    if (!windows.runWatermarkDialog(dlg)) return;

    const WatermarkDialog::Values out = dlg.result();
    m_settings.ittext = out.text;
    m_settings.itfrommicap = out.useMinorCaption;
    // The editor hands back the bare file name when it never found the configured
    // font; keep the configured path then instead of losing its folder.
    if (out.fontFile != in.fontFile) m_settings.itfontfile = out.fontFile;
    // A stored size that is not in the size list leaves the list without selection;
    // keep the stored size then rather than turning it into 0 (which renders nothing).
    if (auto size = parseNumberBox(out.sizeText)) m_settings.itfontsize = *size;
    m_settings.itposition = static_cast<WatermarkPosition>(out.position);
    m_settings.itcolor = out.colour;
    m_settings.ittransp = out.transparency;
    m_settings.reuseimages = false;
}

bool OptionsDialog::ok() {
    auto sizes = readSizes(true);
    if (!sizes) return false;
    const OptionsControls& c = controls;
    AlbumSettings& s = m_settings;
    s.small = c.small;
    s.large = c.large;
    s.smallpos = static_cast<StripPosition>(c.smallPosition);
    s.shsize = s.svsize = sizes->small;
    s.mhsize = sizes->mainWidth;
    s.mvsize = sizes->mainHeight;
    s.lhsize = s.lvsize = sizes->large;
    s.ssharpen = c.smallSharpen;
    s.msharpen = c.mainSharpen;
    s.lsharpen = c.largeSharpen;
    s.copyhires = c.copyhires;
    // The published copies change with it; copies of an earlier run cannot stay.
    if (s.striplocation != c.striplocation) s.reuseimages = false;
    s.striplocation = c.striplocation;
    if (auto code = keyOfDisplay(languageTable(), c.language)) s.language = *code;
    if (auto skin = keyOfDisplay(m_skins, c.skin)) s.appearance = *skin;
    m_exifpos = static_cast<ExifCaptionPlace>(c.exifIndex);
    s.squality = qualityValue(c.smallQuality);
    s.mquality = qualityValue(c.mainQuality);
    s.lquality = qualityValue(c.largeQuality);
    s.autorotate = c.autorotate;
    s.simpleviewer = c.simpleviewer;
    s.imagetext = c.imagetext;
    s.orgfilenames = c.orgfilenames;
    s.renditions = c.renditions;
    return true;
}

}  // namespace kavlo::ui
