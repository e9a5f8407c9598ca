// SPDX-License-Identifier: MIT
// Whole album files, temporary files and stale images.
#include "core/album_output.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "imaging/codecs.h"
#include "metadata/location.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::core {

using imaging::RasterImage;
using imaging::RPwriteJpeg;
using metadata::copyJpegWithoutLocation;
using util::copyFile;
using util::fileNameOf;
using util::format;
using util::parentFolderOf;

namespace {

long long regularFileSize(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long long>(st.st_size);
}

bool allDigits(const std::string& s, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

int numberOf(const std::string& s, std::size_t from, std::size_t to) {
    long long n = 0;
    for (std::size_t i = from; i < to && n <= 1000000000; ++i) n = n * 10 + (s[i] - '0');
    return n > 1000000000 ? 1000000000 : static_cast<int>(n);
}

}  // namespace

long long writeJpegWhole(const std::string& path, int quality, const std::string& comment,
                         const RasterImage& image) {
    // The same form of temporary name as the other atomic writes of the album, so that
    // removeTemporaryFiles() clears either kind after a killed run.
    static std::atomic<unsigned> counter{0};
    const std::string folder = parentFolderOf(path);
    const std::string temp = (folder.empty() ? std::string() : folder + "/") + "." +
                             fileNameOf(path) +
                             format(".tmp-%d-%u", static_cast<int>(::getpid()), counter++);
    if (RPwriteJpeg(temp, quality, &comment, image) != 0) {
        ::unlink(temp.c_str());
        return -1;
    }
    const long long bytes = regularFileSize(temp);
    if (bytes < 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return -1;
    }
    return bytes;
}

long long copyWhole(const std::string& source, const std::string& path) {
    if (!copyFile(source, path)) return -1;
    return regularFileSize(path);
}

bool writeAlbumFile(const std::string& albumFolder, RecordedFile file, int quality,
                    const std::string& comment, const RasterImage& image, ImageRecordEntry& entry) {
    const long long bytes = writeJpegWhole(albumFolder + "/" + file.path, quality, comment, image);
    if (bytes < 0) return false;
    file.bytes = static_cast<std::uint64_t>(bytes);
    file.copy = false;
    entry.files.push_back(std::move(file));
    return true;
}

bool copyAlbumFile(const std::string& albumFolder, RecordedFile file, const std::string& source,
                   ImageRecordEntry& entry) {
    const long long bytes = copyWhole(source, albumFolder + "/" + file.path);
    if (bytes < 0) return false;
    file.bytes = static_cast<std::uint64_t>(bytes);
    file.copy = true;
    entry.files.push_back(std::move(file));
    return true;
}

bool copyAlbumFileWithoutLocation(const std::string& albumFolder, RecordedFile file,
                                  const std::string& source, ImageRecordEntry& entry,
                                  std::string& error) {
    const std::string path = albumFolder + "/" + file.path;
    if (!copyJpegWithoutLocation(source, path, error)) return false;
    const long long bytes = regularFileSize(path);
    if (bytes < 0) {
        error = "the copy cannot be read back";
        return false;
    }
    file.bytes = static_cast<std::uint64_t>(bytes);
    file.copy = true;
    entry.files.push_back(std::move(file));
    return true;
}

bool isTemporaryName(const std::string& name) {
    // ".<name>.tmp-<pid>-<counter>"
    if (name.size() < 2 || name[0] != '.') return false;
    const std::size_t tmp = name.rfind(".tmp-");
    if (tmp == std::string::npos || tmp == 0) return false;
    const std::size_t dash = name.find('-', tmp + 5);
    return dash != std::string::npos && allDigits(name, tmp + 5, dash) &&
           allDigits(name, dash + 1, name.size());
}

int removeTemporaryFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (isTemporaryName(entry->d_name)) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        if (regularFileSize(path) >= 0 && ::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

int albumImageNumber(const std::string& name) {
    if (name.size() < 5 || name.compare(name.size() - 4, 4, ".jpg") != 0) return 0;
    const std::size_t end = name.size() - 4;
    if (end >= 4 && allDigits(name, 0, end)) return numberOf(name, 0, end);
    const std::size_t dash = name.rfind('-', end);
    if (dash != std::string::npos && end - dash - 1 >= 3 && allDigits(name, dash + 1, end)) {
        return numberOf(name, dash + 1, end);
    }
    return 0;
}

int removeStaleImages(const std::string& folder, const std::vector<std::string>& current) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const int n = albumImageNumber(name);
        if (n <= 0) continue;
        if (n > static_cast<int>(current.size()) ||
            current[static_cast<std::size_t>(n - 1)] != name) {
            stale.push_back(name);
        }
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& name : stale) {
        const std::string path = folder + "/" + name;
        if (regularFileSize(path) >= 0 && ::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

}  // namespace kavlo::core
