// SPDX-License-Identifier: MIT
// Caption sources over the album: each operation walks the selection in album order and
// reads each image's file anew (one open, one header read).
#include "core/caption_extraction.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>

#include "imaging/codecs.h"
#include "imaging/source_header.h"
#include "metadata/exif.h"
#include "metadata/exif_caption.h"
#include "metadata/iptc.h"
#include "util/files.h"

namespace kavlo::core {

using imaging::readSourceHeader;
using imaging::RPreadJpegInfo;
using imaging::SourceHeader;
using metadata::ExifInfo;
using metadata::formatExifCaption;
using metadata::freeExif;
using metadata::iptcCaption;
using metadata::IptcRecord;
using metadata::readExif;
using metadata::readExifBlock;
using metadata::readIptc;
using model::AlbumModel;
using model::ImageEntry;
using util::extensionOf;
using util::isJpegFile;
using util::isPhotoFile;
using util::isTiffFile;

namespace {

/// What a photo's file can hold, by its name as the album lists it.
enum class Container {
    jpeg,      ///< Exif, IPTC, comment
    tiff,      ///< IPTC
    png,       ///< Exif (eXIf), IPTC (raw profile text)
    exifOnly,  ///< WebP, HEIF/HEIC, AVIF: Exif
    other,
};

Container containerOf(const std::string& path) {
    if (isJpegFile(path)) return Container::jpeg;
    if (isTiffFile(path)) return Container::tiff;
    if (extensionOf(path) == "png") return Container::png;
    return isPhotoFile(path) ? Container::exifOnly : Container::other;
}

/// Calls fn(entry, container) for every image of the selection (index -1: every image)
/// whose container is one of `kinds`; the others keep their captions. An index outside
/// the list selects nothing.
template <typename Fn>
void forImages(AlbumModel& model, int index, std::initializer_list<Container> kinds, Fn fn) {
    auto visit = [&fn, kinds](ImageEntry& e) {
        const Container c = containerOf(e.path);
        if (std::find(kinds.begin(), kinds.end(), c) != kinds.end()) fn(e, c);
    };
    if (index == -1) {
        for (ImageEntry& e : model.images) visit(e);
    } else if (index >= 0 && static_cast<std::size_t>(index) < model.images.size()) {
        visit(model.images[static_cast<std::size_t>(index)]);
    }
}

}  // namespace

void setIptcCaptions(AlbumModel& model, int index, bool major, const std::string& tmpl) {
    const auto kinds = {Container::jpeg, Container::tiff, Container::png};
    forImages(model, index, kinds, [&](ImageEntry& e, Container) {
        IptcRecord record;
        readIptc(e.path, record);  // an unreadable file leaves the record empty
        AlbumModel::caption(e, major) = iptcCaption(record, tmpl);
    });
}

void setExifCaptions(AlbumModel& model, int index, bool major, ExifOrientations* orientations) {
    const std::string letters = model.settings.exifformat;
    const auto kinds = {Container::jpeg, Container::png, Container::exifOnly};
    forImages(model, index, kinds, [&](ImageEntry& e, Container c) {
        // The thumbnail is not part of any caption: read without it.
        ExifInfo info{};
        // A HEIF container turns its picture itself: its Exif orientation is not used.
        bool turnedByContainer = false;
        if (c == Container::jpeg) {
            info = readExif(e.path, false);
        } else {
            const SourceHeader header = readSourceHeader(e.path);
            info = readExifBlock(header.exif, false);
            turnedByContainer = header.orientationApplied;
        }
        AlbumModel::caption(e, major) = formatExifCaption(info, letters);
        if (orientations) (*orientations)[e.path] = turnedByContainer ? 0 : info.orientation;
        freeExif(info);
    });
}

void setCommentCaptions(AlbumModel& model, int index, bool major) {
    const auto kinds = {Container::jpeg, Container::png, Container::exifOnly};
    forImages(model, index, kinds, [&](ImageEntry& e, Container c) {
        // Only JPEG files have comments: the other photo files get the empty caption.
        std::string comment;
        if (c != Container::jpeg) {
            AlbumModel::caption(e, major).clear();
            return;
        }
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
