// SPDX-License-Identifier: MIT
// Settings from the command line: the key table, value checks and their application.
#include "ui/setting_overrides.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <type_traits>
#include <variant>

#include "imaging/watermark.h"
#include "ui/options_dialog.h"
#include "ui/simpleviewer_options_dialog.h"
#include "util/files.h"
#include "util/fonts.h"
#include "util/positions.h"
#include "util/text.h"

namespace kavlo::ui {

using core::Platform;
using model::AlbumModel;
using model::AlbumSettings;
using model::ExifCaptionPlace;
using util::colorToHex;
using util::Colour;
using util::fileExists;
using util::fileNameOf;
using util::format;
using util::hexToColor;
using util::installedFontFiles;
using util::isPlainFolderName;
using util::repairUtf8;
using util::StripPosition;
using util::stripPositionFromName;
using util::WatermarkPosition;

namespace {

using S = AlbumSettings;

enum class Kind {
    Flag,          ///< yes or no
    Size,          ///< digits; corrected by the size checks
    SizePair,      ///< an old single-size key: both fields of its class
    Number,        ///< a whole number from min to max
    StagePadding,  ///< digits; corrected to 0..100 as the SimpleViewer window does
    Text,
    Folder,  ///< one plain folder name
    Skin,
    Language,
    StripPlace,
    WatermarkPlace,
    Colour,
    Font,
    ExifLetters,
    ExifPlace,  ///< exifpos, which belongs to the settings file, not AlbumSettings
    Refused,    ///< inputdir: the folder on the command line sets it
};

/// What the Options window does besides storing the value, when the value changes.
enum class Effect {
    None,
    Reuse,         ///< the album images change: they cannot be reused
    Names,         ///< the album image names change: the image folders are emptied
    Layout,        ///< a switch the enabling rules follow: all four sizes are checked
    SimpleViewer,  ///< as Layout; turning it on sets the thumbnail size to svthumbsize
};

/// The size boxes of the Options window a key belongs to.
enum Boxes : unsigned {
    kNoBox = 0,
    kThumbnails = 1,
    kLarge = 2,
    kMainWidth = 4,
    kMainHeight = 8,
    kAllBoxes = 15,
};

using Field = std::variant<std::monostate, bool S::*, int S::*, std::string S::*, Colour S::*,
                           StripPosition S::*, WatermarkPosition S::*>;

struct KeyRule {
    const char* name;
    Kind kind;
    Field field;
    int min = 0, max = 0;  ///< Number
    Effect effect = Effect::None;
    unsigned boxes = kNoBox;
    int S::*second = nullptr;  ///< SizePair: the other field
};

// The settings file's keys in its order, then the older single-size keys it still reads.
const std::vector<KeyRule>& keyTable() {
    static const std::vector<KeyRule> table = {
        {"exifpos", Kind::ExifPlace, {}, 0, 2},
        {"inputdir", Kind::Refused, {}},
        {"appearance", Kind::Skin, &S::appearance},
        {"language", Kind::Language, &S::language},
        {"small", Kind::Flag, &S::small, 0, 0, Effect::Layout},
        {"shsize", Kind::Size, &S::shsize, 0, 0, Effect::None, kThumbnails},
        {"svsize", Kind::Size, &S::svsize, 0, 0, Effect::None, kThumbnails},
        {"squality", Kind::Number, &S::squality, 1, 100, Effect::Reuse},
        {"ssharpen", Kind::Flag, &S::ssharpen, 0, 0, Effect::Reuse},
        {"smallpos", Kind::StripPlace, &S::smallpos},
        {"sdir", Kind::Folder, &S::sdir},
        {"mhsize", Kind::Size, &S::mhsize, 0, 0, Effect::None, kMainWidth},
        {"mvsize", Kind::Size, &S::mvsize, 0, 0, Effect::None, kMainHeight},
        {"mquality", Kind::Number, &S::mquality, 1, 100, Effect::Reuse},
        {"msharpen", Kind::Flag, &S::msharpen, 0, 0, Effect::Reuse},
        {"mdir", Kind::Folder, &S::mdir},
        {"large", Kind::Flag, &S::large, 0, 0, Effect::Layout},
        {"lhsize", Kind::Size, &S::lhsize, 0, 0, Effect::None, kLarge},
        {"lvsize", Kind::Size, &S::lvsize, 0, 0, Effect::None, kLarge},
        {"lquality", Kind::Number, &S::lquality, 1, 100, Effect::Reuse},
        {"lsharpen", Kind::Flag, &S::lsharpen, 0, 0, Effect::Reuse},
        {"ldir", Kind::Folder, &S::ldir},
        {"copyhires", Kind::Flag, &S::copyhires, 0, 0, Effect::Layout},
        {"autorotate", Kind::Flag, &S::autorotate, 0, 0, Effect::Reuse},
        {"linktext", Kind::Text, &S::linktext},
        {"linkurl", Kind::Text, &S::linkurl},
        {"iptcformat", Kind::Text, &S::iptcformat},
        {"exifformat", Kind::ExifLetters, &S::exifformat},
        {"simpleviewer", Kind::Flag, &S::simpleviewer, 0, 0, Effect::SimpleViewer},
        {"svframesize", Kind::Number, &S::svframesize, 0, SimpleViewerOptionsDialog::kMaxFrameSize},
        {"svthumbrows", Kind::Number, &S::svthumbrows, 1,
         SimpleViewerOptionsDialog::kMaxMatrixIndex + 1},
        {"svthumbcols", Kind::Number, &S::svthumbcols, 1,
         SimpleViewerOptionsDialog::kMaxMatrixIndex + 1},
        {"svstagepadding", Kind::StagePadding, &S::svstagepadding},
        {"svbgcolor", Kind::Colour, &S::svbgcolor, 0, 0, Effect::Reuse},
        {"svtextcolor", Kind::Colour, &S::svtextcolor},
        {"svframecolor", Kind::Colour, &S::svframecolor},
        {"svcropthumbs", Kind::Flag, &S::svcropthumbs, 0, 0, Effect::Reuse},
        {"imagetext", Kind::Flag, &S::imagetext, 0, 0, Effect::Layout},
        {"ittext", Kind::Text, &S::ittext, 0, 0, Effect::Reuse},
        {"itfrommicap", Kind::Flag, &S::itfrommicap, 0, 0, Effect::Reuse},
        {"itfontfile", Kind::Font, &S::itfontfile, 0, 0, Effect::Reuse},
        {"itfontsize", Kind::Number, &S::itfontsize, 1, imaging::kMaxFontSize, Effect::Reuse},
        {"itposition", Kind::WatermarkPlace, &S::itposition, 0, 0, Effect::Reuse},
        {"itcolor", Kind::Colour, &S::itcolor, 0, 0, Effect::Reuse},
        {"ittransp", Kind::Number, &S::ittransp, 0, 9, Effect::Reuse},
        {"orgfilenames", Kind::Flag, &S::orgfilenames, 0, 0, Effect::Names},
        {"renditions", Kind::Flag, &S::renditions, 0, 0, Effect::Reuse},
        {"striplocation", Kind::Flag, &S::striplocation, 0, 0, Effect::Reuse},
        {"ssize", Kind::SizePair, &S::shsize, 0, 0, Effect::None, kThumbnails, &S::svsize},
        {"msize", Kind::SizePair, &S::mhsize, 0, 0, Effect::None, kMainWidth | kMainHeight,
         &S::mvsize},
        {"lsize", Kind::SizePair, &S::lhsize, 0, 0, Effect::None, kLarge, &S::lvsize},
    };
    return table;
}

const KeyRule* findKey(const std::string& name) {
    for (const KeyRule& k : keyTable())
        if (name == k.name) return &k;
    return nullptr;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool allDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Watermark placements by name, index = itposition.
constexpr const char* kWatermarkPlaces[] = {"top-left",    "top-centre",    "top-right",
                                            "bottom-left", "bottom-centre", "bottom-right",
                                            "centre"};

std::optional<std::string> flagValue(const std::string& v) {
    const std::string l = lower(v);
    if (l == "yes" || l == "true" || l == "on" || l == "1") return "yes";
    if (l == "no" || l == "false" || l == "off" || l == "0") return "no";
    return std::nullopt;
}

/// A TrueType file: a path to an existing file, or the file name of an installed font.
std::optional<std::string> fontValue(const std::string& v) {
    if (v.empty()) return std::nullopt;
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_regular_file(v, ec)) return fs::absolute(v, ec).lexically_normal().string();
    if (v.find('/') != std::string::npos) return std::nullopt;
    const std::vector<std::string> fonts = installedFontFiles();
    for (const std::string& f : fonts)
        if (fileNameOf(f) == v) return f;
    for (const std::string& f : fonts)
        if (strcasecmp(fileNameOf(f).c_str(), v.c_str()) == 0) return f;
    return std::nullopt;
}

std::string joined(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : separator) + item;
    return out;
}

}  // namespace

SettingChoices SettingChoices::fromTemplates(const std::string& templateDir) {
    SettingChoices c;
    c.skins = discoverSkins(templateDir + "/js2/ext/css");
    const auto& table = languageTable();
    for (const auto& [code, display] : table) {
        if (fileExists(templateDir + "/js2/ext/js/langdef_" + code + ".js"))
            c.languages.push_back(code);
    }
    std::stable_sort(c.languages.begin(), c.languages.end(),
                     [&table](const std::string& a, const std::string& b) {
                         return strcasecmp(table.at(a).c_str(), table.at(b).c_str()) < 0;
                     });
    return c;
}

std::vector<std::string> settingKeys() {
    std::vector<std::string> keys;
    for (const KeyRule& k : keyTable())
        if (k.kind != Kind::Refused) keys.emplace_back(k.name);
    return keys;
}

std::optional<SettingOverride> checkSetting(const std::string& keyText, const std::string& v,
                                            const SettingChoices& choices, std::string& error) {
    const std::string key = lower(keyText);
    const KeyRule* rule = findKey(key);
    if (!rule) {
        error = "unknown settings key '" + keyText + "' (kavlo --help lists them)";
        return std::nullopt;
    }
    auto bad = [&](const std::string& needed) -> std::optional<SettingOverride> {
        error = key + " cannot be '" + v + "': " + needed;
        return std::nullopt;
    };
    auto good = [&](std::string value) { return SettingOverride{key, std::move(value)}; };

    switch (rule->kind) {
    case Kind::Flag:
        if (auto f = flagValue(v)) return good(*f);
        return bad("yes or no is needed");
    case Kind::Size:
    case Kind::SizePair:
    case Kind::StagePadding:
        // As in the Options window's number boxes: digits only; the range is checked
        // (and corrected) once the album's other sizes are known.
        if (auto n = parseNumberBox(v)) return good(std::to_string(*n));
        return bad("a size in pixels (digits only) is needed");
    case Kind::Number:
    case Kind::ExifPlace: {
        const std::string needed =
            format("a whole number from %i to %i is needed", rule->min, rule->max);
        if (!allDigits(v) || v.size() > 9) return bad(needed);
        const int n = std::stoi(v);
        if (n < rule->min || n > rule->max) return bad(needed);
        return good(std::to_string(n));
    }
    case Kind::Text: return good(repairUtf8(v));
    case Kind::Folder:
        if (isPlainFolderName(v)) return good(v);
        return bad("one folder name (no '/') is needed");
    case Kind::Skin:
        for (const auto& [name, display] : choices.skins)
            if (strcasecmp(name.c_str(), v.c_str()) == 0) return good(name);
        {
            std::vector<std::string> names;
            for (const auto& [name, display] : choices.skins) names.push_back(name);
            return bad(names.empty() ? "the template set holds no skin"
                                     : "the skins are " + joined(names, ", "));
        }
    case Kind::Language:
        for (const std::string& code : choices.languages) {
            if (strcasecmp(code.c_str(), v.c_str()) == 0 ||
                strcasecmp(languageTable().at(code).c_str(), v.c_str()) == 0) {
                return good(code);
            }
        }
        return bad("a language code listed by kavlo --help is needed");
    case Kind::StripPlace:
        if (auto p = stripPositionFromName(lower(v))) return good(lower(v));
        return bad("left, right, top or bottom is needed");
    case Kind::WatermarkPlace: {
        if (allDigits(v) && v.size() == 1 && v[0] <= '6') return good(v);
        std::string l = lower(v);
        l = util::replaceAll(l, "center", "centre");
        l = util::replaceAll(l, "_", "-");
        for (int i = 0; i < 7; ++i)
            if (l == kWatermarkPlaces[i]) return good(std::to_string(i));
        return bad("0 to 6, or " +
                   joined({std::begin(kWatermarkPlaces), std::end(kWatermarkPlaces)}, ", ") +
                   " is needed");
    }
    case Kind::Colour: {
        const std::string hex = !v.empty() && v[0] == '#' ? v.substr(1) : v;
        Colour c = 0;
        if (hex.size() == 6 && hexToColor(hex, c)) return good(colorToHex(c));
        return bad("a colour rrggbb of six hexadecimal digits is needed");
    }
    case Kind::Font:
        if (auto path = fontValue(v)) return good(*path);
        return bad("a TrueType file, or the file name of an installed font, is needed");
    case Kind::ExifLetters:
        for (char c : v) {
            if (std::string("eaxfiukmd").find(c) == std::string::npos)
                return bad("letters of e, a, x, f, i, u, k, m and d are needed");
        }
        return good(v);
    case Kind::Refused:
        error = "inputdir is the folder of the photos: give the folder on the command line";
        return std::nullopt;
    }
    return bad("");
}

std::string settingKeysHelp(const SettingChoices& choices) {
    std::vector<std::string> skins;
    for (const auto& [name, display] : choices.skins) skins.push_back(name);
    // "  hr (Croatian), cz (Czech), ...", wrapped before 80 columns.
    std::string languages;
    std::string line = "  ";
    for (const std::string& code : choices.languages) {
        const std::string item = code + " (" + languageTable().at(code) + ")";
        if (line.size() > 2) {
            line += ",";
            if (line.size() + 1 + item.size() >= 80) {
                languages += line + "\n";
                line = "  ";
            } else {
                line += " ";
            }
        }
        line += item;
    }
    if (line.size() > 2) languages += line + "\n";

    return "Settings keys (--set KEY=VALUE; yes and no are also true/false, on/off, 1/0):\n"
           "  appearance        the skin: " +
           (skins.empty() ? std::string("(the template set holds none)") : joined(skins, ", ")) +
           "\n"
           "  language          the language code of the album pages (list below)\n"
           "  small, large      yes or no: make thumbnails, large images\n"
           "  shsize, svsize    thumbnail width and height, 8 up to the main size - 1\n"
           "  mhsize, mvsize    main image width (16 to 2048) and height (16 to 4096),\n"
           "                    above the thumbnail size and below the large size\n"
           "  lhsize, lvsize    large image width and height, above the main size up to 4096\n"
           "  ssize, msize, lsize\n"
           "                    width and height of one kind at once\n"
           "  squality, mquality, lquality\n"
           "                    JPEG quality, 1 to 100 (the Options window offers 60, 85\n"
           "                    and 94)\n"
           "  ssharpen, msharpen, lsharpen\n"
           "                    yes or no: sharpen after scaling\n"
           "  smallpos          where the thumbnails sit: left, right, top or bottom\n"
           "  sdir, mdir, ldir  folder names of the thumbnails, main and large images\n"
           "  copyhires         yes or no: the large images are copies of the photos\n"
           "  striplocation     yes or no: copies of the photos leave out their GPS\n"
           "                    position (also --strip-location)\n"
           "  autorotate        yes or no: turn photos upright by their Exif orientation\n"
           "  orgfilenames      yes or no: the photos' names in the album's file names\n"
           "  renditions        yes or no: extra sizes of every photo for sharp views on\n"
           "                    dense and large screens (on for new albums)\n"
           "  exifpos           Exif captions of a new album: 0 tooltips, 1 captions, 2 none\n"
           "  exifformat        Exif items by letter: e exposure, a aperture, x bias,\n"
           "                    f focal length, i ISO, u flash, k make, m model, d date\n"
           "  iptcformat        caption template of IPTC fields, such as %caption_abstract%\n"
           "  linktext, linkurl\n"
           "                    text and address of the album's link\n"
           "  imagetext         yes or no: stamp a watermark into main and large images\n"
           "  ittext            the watermark text\n"
           "  itfrommicap       yes or no: each photo's minor caption is its watermark\n"
           "  itfontfile        a TrueType file, or the file name of an installed one\n"
           "  itfontsize        the watermark's size in points, 1 to 1000\n"
           "  itposition        0 to 6: top-left, top-centre, top-right, bottom-left,\n"
           "                    bottom-centre, bottom-right, centre (names work too)\n"
           "  itcolor           the watermark colour, rrggbb in hexadecimal\n"
           "  ittransp          the watermark's transparency, 0 (opaque) to 9\n"
           "  simpleviewer      yes or no: add a SimpleViewer gallery (thumbnails 65)\n"
           "  svframesize       0 to 30; svthumbrows, svthumbcols: 1 to 20;\n"
           "                    svstagepadding: 0 to 100\n"
           "  svbgcolor, svtextcolor, svframecolor\n"
           "                    SimpleViewer colours, rrggbb\n"
           "  svcropthumbs      yes or no: crop SimpleViewer thumbnails square\n"
           "\n"
           "Languages (--language CODE or NAME):\n" +
           languages;
}

std::optional<ExifCaptionPlace> applySettingOverrides(const std::vector<SettingOverride>& overrides,
                                                      AlbumSettings& s, const AlbumModel& album,
                                                      Platform& platform,
                                                      const std::string& cssFolder) {
    std::optional<ExifCaptionPlace> exifpos;
    const AlbumSettings before = s;
    unsigned boxes = kNoBox;
    bool stagePadding = false;
    std::vector<const KeyRule*> given;
    for (const SettingOverride& o : overrides) {
        const KeyRule* rule = findKey(o.key);
        if (!rule) continue;  // checked when the command line was read
        given.push_back(rule);
        const int number = static_cast<int>(std::strtol(o.value.c_str(), nullptr, 10));
        switch (rule->kind) {
        case Kind::ExifPlace: exifpos = static_cast<ExifCaptionPlace>(number); break;
        case Kind::Refused: break;
        case Kind::Flag: {
            bool& field = s.*std::get<bool S::*>(rule->field);
            const bool on = o.value == "yes";
            // SimpleViewer thumbnails are square crops of a fixed size.
            if (rule->effect == Effect::SimpleViewer && on && !field)
                s.shsize = s.svsize = s.svthumbsize;
            field = on;
            break;
        }
        case Kind::Size:
        case Kind::Number:
        case Kind::StagePadding: s.*std::get<int S::*>(rule->field) = number; break;
        case Kind::SizePair:
            s.*std::get<int S::*>(rule->field) = number;
            s.*rule->second = number;
            break;
        case Kind::Text:
        case Kind::Folder:
        case Kind::Skin:
        case Kind::Language:
        case Kind::Font:
        case Kind::ExifLetters: s.*std::get<std::string S::*>(rule->field) = o.value; break;
        case Kind::StripPlace:
            if (auto p = stripPositionFromName(o.value))
                s.*std::get<StripPosition S::*>(rule->field) = *p;
            break;
        case Kind::WatermarkPlace:
            s.*std::get<WatermarkPosition S::*>(rule->field) =
                static_cast<WatermarkPosition>(number);
            break;
        case Kind::Colour: hexToColor(o.value, s.*std::get<Colour S::*>(rule->field)); break;
        }
        boxes |= rule->boxes;
        stagePadding = stagePadding || rule->kind == Kind::StagePadding;
    }

    // What the window does on a change, for the keys whose value differs in the end
    // (a switch turned on and off again changes nothing).
    for (const KeyRule* rule : given) {
        const bool changed = std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), std::monostate>) {
                    return false;
                } else {
                    return !(before.*member == s.*member);
                }
            },
            rule->field);
        if (!changed) continue;
        switch (rule->effect) {
        case Effect::None: break;
        case Effect::Reuse: s.reuseimages = false; break;
        case Effect::Names:
            s.cleardirs = true;
            s.reuseimages = false;
            break;
        case Effect::Layout:
        case Effect::SimpleViewer:
            s.reuseimages = false;
            boxes = kAllBoxes;
            break;
        }
    }

    if (boxes != kNoBox) {
        // The Options window's own checks, on the values as if typed into its boxes:
        // its thumbnail box shows svsize and its large box lvsize; the widths, when
        // they differ, are checked by the same rules in a second pass.
        AlbumSettings copy = s;
        ExifCaptionPlace place = exifpos.value_or(ExifCaptionPlace::minorCaption);
        OptionsDialog window(copy, place, album, platform, cssFolder);
        const auto value = [](const std::string& text) { return parseNumberBox(text).value_or(0); };
        if (boxes == kAllBoxes) {
            window.applyEnabling();
        } else {
            if (boxes & kThumbnails) window.checkSize(SizeBox::Thumbnails);
            if (boxes & kLarge) window.checkSize(SizeBox::Large);
            if (boxes & kMainWidth) window.checkSize(SizeBox::MainWidth);
            if (boxes & kMainHeight) window.checkSize(SizeBox::MainHeight);
        }
        const bool squareSmall = s.shsize == s.svsize;
        const bool squareLarge = s.lhsize == s.lvsize;
        if (boxes & kMainWidth) s.mhsize = value(window.controls.mainWidth);
        if (boxes & kMainHeight) s.mvsize = value(window.controls.mainHeight);
        if (boxes & kThumbnails) {
            s.svsize = value(window.controls.smallSize);
            if (squareSmall) {
                s.shsize = s.svsize;
            } else {
                window.controls.smallSize = std::to_string(std::max(s.shsize, 0));
                window.checkSize(SizeBox::Thumbnails);
                s.shsize = value(window.controls.smallSize);
            }
        }
        if (boxes & kLarge) {
            s.lvsize = value(window.controls.largeSize);
            if (squareLarge) {
                s.lhsize = s.lvsize;
            } else {
                window.controls.largeSize = std::to_string(std::max(s.lhsize, 0));
                window.checkSize(SizeBox::Large);
                s.lhsize = value(window.controls.largeSize);
            }
        }
    }
    if (stagePadding) {
        SimpleViewerOptionsDialog window(platform, static_cast<int>(album.images.size()));
        window.stagePadding = std::to_string(std::max(s.svstagepadding, 0));
        window.checkStagePadding();
        s.svstagepadding = window.stagePaddingValue();
    }
    return exifpos;
}

}  // namespace kavlo::ui
