// SPDX-License-Identifier: MIT
// The album records: default settings and the operations on the image list.
#include "model/album_model.h"

#include <algorithm>
#include <unordered_set>

#include "util/files.h"
#include "util/fonts.h"

namespace kavlo::model {

using util::dataFolder;
using util::defaultFontFile;
using util::fileExists;
using util::fileNameOf;
using util::format;
using util::listImages;
using util::rebasePath;
using util::stripExtension;

namespace {

// Calls fn(entry, 1-based number) for the entry at `index`, or for every entry when
// index is -1. An index outside the list touches nothing.
template <typename Fn>
void forIndex(std::vector<ImageEntry>& images, int index, Fn fn) {
    if (index == -1) {
        for (std::size_t i = 0; i < images.size(); ++i) fn(images[i], static_cast<int>(i) + 1);
    } else if (index >= 0 && static_cast<std::size_t>(index) < images.size()) {
        fn(images[static_cast<std::size_t>(index)], index + 1);
    }
}

}  // namespace

AlbumSettings defaultAlbumSettings() {
    AlbumSettings s;
    s.itfontfile = defaultFontFile();
    s.templatedir = dataFolder() + "templates";
    return s;
}

void AlbumModel::appendFiles(const std::vector<std::string>& paths) {
    images.reserve(images.size() + paths.size());
    for (const std::string& path : paths) images.push_back(ImageEntry{path, "", ""});
}

int AlbumModel::countNewImages(const std::string& folder, bool add) {
    std::unordered_set<std::string> known;
    known.reserve(images.size());
    for (const ImageEntry& e : images) known.insert(e.path);
    int count = 0;
    for (const std::string& path : listImages(folder, false)) {
        if (known.count(path) != 0) continue;
        ++count;
        if (add) images.push_back(ImageEntry{path, "", ""});
    }
    return count;
}

void AlbumModel::relocate(const std::string& folder) {
    for (ImageEntry& e : images) e.path = rebasePath(e.path, folder);
}

std::pair<bool, int> AlbumModel::checkMissing(bool remove) {
    const auto missing = [](const ImageEntry& e) { return e.path.empty() || !fileExists(e.path); };
    int count = 0;
    if (remove) {
        const auto firstRemoved = std::remove_if(images.begin(), images.end(), missing);
        count = static_cast<int>(images.end() - firstRemoved);
        images.erase(firstRemoved, images.end());
    } else {
        count = static_cast<int>(std::count_if(images.begin(), images.end(), missing));
    }
    return {count == 0, count};
}

void AlbumModel::setNumberCaptions(int index, bool major) {
    forIndex(images, index,
             [major](ImageEntry& e, int number) { caption(e, major) = format("%i", number); });
}

void AlbumModel::clearCaptions(int index, bool major) {
    forIndex(images, index, [major](ImageEntry& e, int) { caption(e, major).clear(); });
}

void AlbumModel::setFileNameCaptions(int index, bool major) {
    forIndex(images, index, [major](ImageEntry& e, int) {
        caption(e, major) = stripExtension(fileNameOf(e.path));
    });
}

}  // namespace kavlo::model
