// SPDX-License-Identifier: MIT
// Caption sources over the album: each operation walks the selection in album order and
// reads each image's file anew (one open, one header read).
#include "core/caption_extraction.h"

#include <cstddef>

#include "imaging/codecs.h"
#include "metadata/exif.h"
#include "metadata/exif_caption.h"
#include "metadata/iptc.h"
#include "util/files.h"

namespace kavlo::core {

using imaging::RPreadJpegInfo;
using metadata::ExifInfo;
using metadata::formatExifCaption;
using metadata::freeExif;
using metadata::iptcCaption;
using metadata::IptcRecord;
using metadata::readExif;
using metadata::readIptc;
using model::AlbumModel;
using model::ImageEntry;
using util::isJpegFile;

namespace {

/// Calls fn(entry) for every JPEG image of the selection (index -1: every image). TIFF
/// images keep their captions; an index outside the list selects nothing.
template <typename Fn>
void forJpegImages(AlbumModel& model, int index, Fn fn) {
    auto visit = [&fn](ImageEntry& e) {
        if (isJpegFile(e.path)) fn(e);
    };
    if (index == -1) {
        for (ImageEntry& e : model.images) visit(e);
    } else if (index >= 0 && static_cast<std::size_t>(index) < model.images.size()) {
        visit(model.images[static_cast<std::size_t>(index)]);
    }
}

}  // namespace

void setIptcCaptions(AlbumModel& model, int index, bool major, const std::string& tmpl) {
    forJpegImages(model, index, [&](ImageEntry& e) {
        IptcRecord record;
        readIptc(e.path, record);  // an unreadable file leaves the record empty
        AlbumModel::caption(e, major) = iptcCaption(record, tmpl);
    });
}

void setExifCaptions(AlbumModel& model, int index, bool major, ExifOrientations* orientations) {
    const std::string letters = model.settings.exifformat;
    forJpegImages(model, index, [&](ImageEntry& e) {
        // The thumbnail is not part of any caption: read without it.
        ExifInfo info = readExif(e.path, false);
        AlbumModel::caption(e, major) = formatExifCaption(info, letters);
        if (orientations) (*orientations)[e.path] = info.orientation;
        freeExif(info);
    });
}

void setCommentCaptions(AlbumModel& model, int index, bool major) {
    forJpegImages(model, index, [&](ImageEntry& e) {
        std::string comment;
        int height = 0, width = 0;
        if (RPreadJpegInfo(e.path, &comment, &height, &width) != 0) comment.clear();
        AlbumModel::caption(e, major) = comment;
    });
}

void extractCaptions(AlbumModel& model, const CaptionChoices& choices, int selectedIndex) {
    // The formats are kept even when the extraction then changes nothing.
    model.settings.iptcformat = choices.iptcFormat;
    model.settings.exifformat = choices.exifFormat;
    const int index = choices.allImages ? -1 : selectedIndex;
    switch (choices.source) {
    case CaptionSource::iptc:
        setIptcCaptions(model, index, choices.major, choices.iptcFormat);
        break;
    case CaptionSource::exif: setExifCaptions(model, index, choices.major); break;
    case CaptionSource::comment: setCommentCaptions(model, index, choices.major); break;
    case CaptionSource::fileName: model.setFileNameCaptions(index, choices.major); break;
    case CaptionSource::empty: model.clearCaptions(index, choices.major); break;
    case CaptionSource::number: model.setNumberCaptions(index, choices.major); break;
    default: break;
    }
}

}  // namespace kavlo::core
