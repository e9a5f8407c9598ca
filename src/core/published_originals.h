// SPDX-License-Identifier: MIT
// Originals published with the album (large images taken from the input files) and the
// GPS position they may carry.
#pragma once

#include <optional>
#include <string>

#include "core/platform.h"
#include "model/album_model.h"

namespace kavlo::core {

/// True when the run copies source files into the album: large images on, taken from
/// the input files.
bool publishesOriginals(const model::AlbumSettings& settings);

/// The notice due before a run that publishes originals with their GPS position: when
/// publishesOriginals() and striplocation is off, and one of the album's JPEG photos
/// (the only ones ever copied) carries a position. Reads the header sections of the
/// photos until the first with a position. Nothing is due otherwise.
std::optional<Message> locationNotice(const model::AlbumModel& model);

}  // namespace kavlo::core
