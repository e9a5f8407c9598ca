// SPDX-License-Identifier: MIT
// The album information file (ext/xml/albuminfo.xml inside each album): the whole
// AlbumModel (texts, destination, images with both captions, renderer kind and
// settings) as a resource/values file, so that a generated album can be reopened.
#pragma once

#include <string>

#include "model/album_model.h"
#include "util/diagnostics.h"

namespace kavlo::storage {

/// The file's text with "\n" line ends: desc, title, intro (line breaks as "<br>"),
/// footer, destdir (base64), renderer, then image%04i (base64 path), macap%04i and
/// micap%04i for every image from 0, then the settings block with the link keys.
std::string albumInfoText(const model::AlbumModel& model);

/// Writes albumInfoText with CR LF line ends, replacing `path` atomically. The folder
/// must exist. False on any failure; an earlier file is then intact.
bool writeAlbumInfo(const model::AlbumModel& model, const std::string& path);

/// Fills the model from the file. False when the file cannot be loaded (the model is
/// then unchanged; `error`, when given, says why). Absent keys keep their field; the image list is
/// replaced by the images numbered from 0 up to the first gap. A renderer kind other than "default"
/// is read as "default"; either resets the settings to the defaults before the
/// settings block of the file is read. A file without destdir keeps model.destdir.
bool readAlbumInfo(model::AlbumModel& model, const std::string& path,
                   util::ErrorCode* error = nullptr);

}  // namespace kavlo::storage
