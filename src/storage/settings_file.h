// SPDX-License-Identifier: MIT
// The settings file (kavlo_settings.xml) and the settings block that the album
// information file embeds too: every AlbumSettings field as one key of a
// resource/values file.
#pragma once

#include <string>

#include "model/album_model.h"
#include "util/diagnostics.h"

namespace kavlo::storage {

class ResourceValues;

/// Loads the file and sets every AlbumSettings field whose key it holds (see
/// readSettings below). False when the file cannot be loaded (`error`, when given,
/// says why); no field changes then.
bool readSettings(model::AlbumSettings& settings, const std::string& path,
                  util::ErrorCode* error = nullptr);
/// Sets the fields from an already loaded store. Absent keys keep their field; an
/// integer that cannot be read, a colour that is not six hexadecimal digits, an
/// unknown position word, and a folder name (sdir, mdir, ldir) that is not one plain
/// folder name keep their field too (the last with a warning diagnostic, printed by
/// default on standard error).
/// `source` names the file in that warning.
void readSettings(model::AlbumSettings& settings, const ResourceValues& values,
                  const std::string& source = std::string());

/// The settings block, one key per line ending in "\n" (the file writers turn each
/// into CR LF). With `withEnvelope`, the XML declaration, root and values start come
/// first and the closing lines last; with `withLinks`, linktext and linkurl are included.
std::string writeSettings(const model::AlbumSettings& settings, bool withEnvelope, bool withLinks);

/// $XDG_CONFIG_HOME/kavlo/kavlo_settings.xml, by default ~/.config/kavlo/kavlo_settings.xml.
std::string settingsFilePath();

/// The whole settings file (exifpos, inputdir, the block without link keys, or with
/// them when `withLinks`), one line per key ending in "\n".
std::string settingsFileText(model::ExifCaptionPlace exifpos, const std::string& inputdir,
                             const model::AlbumSettings& settings, bool withLinks = false);

/// Writes the whole settings file (exifpos, inputdir, the block without link keys),
/// creating its folder and replacing the old file atomically. False on any failure;
/// the old file is then intact.
bool saveSettingsFile(const std::string& path, model::ExifCaptionPlace exifpos,
                      const std::string& inputdir, const model::AlbumSettings& settings);

}  // namespace kavlo::storage
