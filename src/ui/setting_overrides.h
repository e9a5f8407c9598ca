// SPDX-License-Identifier: MIT
// Settings given on the command line (--set KEY=VALUE and the named options that stand
// for keys): every key of the settings file, each value checked before anything runs,
// applied to the album's settings after start-up with the Options window's side effects
// and size checks.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/platform.h"
#include "model/album_model.h"

namespace kavlo::ui {

/// The skins and languages the template set offers.
struct SettingChoices {
    std::map<std::string, std::string> skins;  ///< skin name -> display name
    std::vector<std::string> languages;        ///< language codes, sorted by display name

    /// Skins from js2/ext/css, languages of the Options window whose language file
    /// js2/ext/js/langdef_<code>.js exists.
    static SettingChoices fromTemplates(const std::string& templateDir);
};

/// One key of the command line with its value in the settings file's form ("yes",
/// "left", "ff8800", a skin name, a full font path...).
struct SettingOverride {
    std::string key;
    std::string value;
};

/// Checks KEY=VALUE. On success returns the key (lower case) and the value in the
/// settings file's form; otherwise nullopt and the reason in `error`.
std::optional<SettingOverride> checkSetting(const std::string& key, const std::string& value,
                                            const SettingChoices& choices, std::string& error);

/// The keys --set accepts, in the settings file's order (old single-size keys last).
std::vector<std::string> settingKeys();

/// The description of the keys for --help.
std::string settingKeysHelp(const SettingChoices& choices);

/// Sets the overrides on `settings` in order (later ones win) as the Options window
/// would: a change that makes the album images different (quality, sharpening,
/// rotation, watermark, ...) clears reuseimages, a change of orgfilenames also sets
/// cleardirs, and turning SimpleViewer on sets the thumbnail size to svthumbsize. Then
/// the Options window's size checks run for the sizes given (all four when thumbnails,
/// large images, input-file copies, watermarks or SimpleViewer were switched), and
/// the stage padding is checked when given; a value out of range is corrected with the
/// window's message through `platform`. `album` gives the window its image count.
/// Returns the exifpos the command line sets, if any.
std::optional<model::ExifCaptionPlace> applySettingOverrides(
    const std::vector<SettingOverride>& overrides, model::AlbumSettings& settings,
    const model::AlbumModel& album, core::Platform& platform, const std::string& cssFolder);

}  // namespace kavlo::ui
