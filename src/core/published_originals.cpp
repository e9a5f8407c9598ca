// SPDX-License-Identifier: MIT
#include "core/published_originals.h"

#include "metadata/location.h"
#include "util/files.h"

namespace kavlo::core {

using metadata::jpegHasLocation;
using model::AlbumModel;
using model::AlbumSettings;
using model::ImageEntry;
using util::isJpegFile;

bool publishesOriginals(const AlbumSettings& settings) {
    return settings.large && settings.copyhires;
}

std::optional<Message> locationNotice(const AlbumModel& model) {
    if (!publishesOriginals(model.settings) || model.settings.striplocation) return std::nullopt;
    for (const ImageEntry& e : model.images) {
        if (!isJpegFile(e.path) || !jpegHasLocation(e.path)) continue;
        return makeMessage(
            "Photos of this album carry the place where they were taken (a GPS position), and "
            "the album publishes the original photo files, position included (large images "
            "taken from the input files).\n\nTo leave the position out of the published files, "
            "turn on \"Remove location from published originals\" in the Options (on the "
            "command line: --strip-location).",
            "Information", MessageButtons::Ok, MessageIcon::Information);
    }
    return std::nullopt;
}

}  // namespace kavlo::core
