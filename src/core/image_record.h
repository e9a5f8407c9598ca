// SPDX-License-Identifier: MIT
// The image record of an album (ext/xml/imagerecord.txt): for every album image the
// source file it was made from (path, size, modification time), a fingerprint of the
// settings that shaped it, and each file written for it (path in the album, pixel size,
// byte size). A later run keeps an image's files only when its record entry still
// matches and every file is whole; everything else is made again.
//
// The file is rewritten atomically at the start of a run with only the entries that
// still match the run's photos and settings, so that no entry can vouch for a file the
// run is about to replace. While the run goes on, one line per finished image is
// appended; at the end the file is rewritten once more in album order. Every line
// carries a checksum: a line cut short by a killed run is ignored, and later lines
// for an image replace earlier ones. Albums without the file simply regenerate once.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/album_model.h"

namespace kavlo::core {

/// What identifies the file a photo was read from.
struct SourceStamp {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;  ///< modification time, nanoseconds since the epoch
    bool operator==(const SourceStamp&) const = default;
};

/// The stamp of a regular file; nullopt when it cannot be read.
std::optional<SourceStamp> stampOf(const std::string& path);

/// The kinds of album file made for one image.
enum class AlbumFileKind { thumbnail, main, large, thumbnail2x, rendition };

/// One album file as written.
struct RecordedFile {
    AlbumFileKind kind = AlbumFileKind::main;
    int step = 0;      ///< rendition step (index into renditionSteps()), else 0
    std::string path;  ///< relative to the album folder, "medium/0001.jpg"
    int width = 0, height = 0;
    std::uint64_t bytes = 0;
    bool copy = false;  ///< a byte copy of the source file rather than an encoded image
    bool operator==(const RecordedFile&) const = default;
};

/// What the record holds for one album image.
struct ImageRecordEntry {
    int number = 0;  ///< 1-based album number
    SourceStamp source;
    std::uint64_t shape = 0;  ///< shapeFingerprint() of the run that made the files
    std::vector<RecordedFile> files;
    bool operator==(const ImageRecordEntry&) const = default;

    const RecordedFile* find(AlbumFileKind kind, int step = 0) const;
};

/// A fingerprint of everything that decides the pixels and bytes of an image's files:
/// the sizes, qualities and sharpening of every kind, rotation, the watermark (text as
/// stamped, font, size, place, colour, transparency), SimpleViewer squares and their
/// background, copies of the source and whether they keep the GPS position (JPEG
/// sources), the page colour under transparent pixels (PNG, WebP, HEIF and AVIF
/// sources), the extra renditions and their steps, the colour engine's version and the
/// version of the image-making code. Folder and file names are not part of it (the
/// files' paths are compared instead).
std::uint64_t shapeFingerprint(const model::AlbumSettings& settings,
                               const model::ImageEntry& entry);

/// True when the album file at `albumFolder`/file.path is whole: it has the recorded byte
/// size and, unless it is a copy of the source, ends with the JPEG end-of-image marker
/// (two bytes read from the end of the file; nothing is decoded).
bool isWholeFile(const std::string& albumFolder, const RecordedFile& file);

/// What the run knows of an image before making it: its source file's stamp, the
/// fingerprint of the settings that shape its files, and the image record's entry of
/// the files an earlier run made for it (or null).
struct ImageHistory {
    std::optional<SourceStamp> stamp;
    std::uint64_t shape = 0;
    const ImageRecordEntry* earlier = nullptr;
};

/// The earlier entry when the files it lists may be kept: it was made from this very
/// source file with the same settings, each file is where this run would put it
/// (`expectedPath(kind, step)`, relative to the album) and whole. Null otherwise.
template <typename ExpectedPath>
const ImageRecordEntry* keptFiles(const ImageHistory& history, const std::string& albumFolder,
                                  ExpectedPath expectedPath) {
    const ImageRecordEntry* e = history.earlier;
    if (e == nullptr || !history.stamp || e->source != *history.stamp ||
        e->shape != history.shape || e->find(AlbumFileKind::main) == nullptr) {
        return nullptr;
    }
    for (const RecordedFile& f : e->files) {
        if (f.path != expectedPath(f.kind, f.step) || !isWholeFile(albumFolder, f)) return nullptr;
    }
    return e;
}

class ImageRecord {
public:
    /// ext/xml/imagerecord.txt of the album folder.
    static std::string pathIn(const std::string& albumFolder);

    /// Reads the file: whole, well-formed lines only, later lines winning. A missing or
    /// unreadable file gives an empty record (false).
    bool load(const std::string& path);
    /// The entry of album image `number`, or null.
    const ImageRecordEntry* find(int number) const;
    void set(ImageRecordEntry entry);
    void erase(int number);
    /// Keeps the entries whose number is at most `count` and for which `keep` is true.
    template <typename Predicate>
    void keepIf(int count, Predicate keep) {
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (it->first > count || !keep(it->second)) it = m_entries.erase(it);
            else ++it;
        }
    }
    std::size_t size() const { return m_entries.size(); }

    /// The whole file, "\n" line ends (written as CR LF).
    std::string text() const;
    /// Replaces the file atomically; false on failure (the old file is then intact).
    bool save(const std::string& path) const;
    /// Appends one entry's line to the file (created when missing); false on failure.
    static bool append(const std::string& path, const ImageRecordEntry& entry);

    /// One entry as a line without its line end; parseLine() reads it back.
    static std::string line(const ImageRecordEntry& entry);
    static std::optional<ImageRecordEntry> parseLine(const std::string& line);

private:
    std::map<int, ImageRecordEntry> m_entries;
};

}  // namespace kavlo::core
