// SPDX-License-Identifier: MIT
// The image record: reading, writing and the checks of the reuse test.
#include "core/image_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <sstream>

#include "core/renditions.h"
#include "imaging/colour.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::core {

using model::AlbumSettings;
using model::ImageEntry;
using util::base64Decode;
using util::base64Encode;
using util::Durability;
using util::isJpegFile;
using util::isTiffFile;
using util::format;
using util::readTextFile;
using util::writeTextFile;

namespace {

/// Changes whenever the code that makes album images would make different bytes from
/// the same source and settings, so that albums made before regenerate once.
constexpr const char* kImageCodeVersion = "kavlo-images-2";
constexpr const char* kHeader = "kavlo image record 1";

std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    return h;
}

std::string hex64(std::uint64_t v) { return format("%016" PRIx64, v); }

bool parseHex64(const std::string& s, std::uint64_t& v) {
    if (s.size() != 16) return false;
    v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return false;
        v = v << 4 | static_cast<std::uint64_t>(d);
    }
    return true;
}

template <typename Int>
bool parseNumber(const std::string& s, Int& v) {
    if (s.empty() || s.size() > 20) return false;
    std::size_t i = 0;
    bool negative = false;
    if (s[0] == '-') {
        negative = true;
        i = 1;
        if (s.size() == 1) return false;
    }
    unsigned long long n = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        n = n * 10 + static_cast<unsigned>(s[i] - '0');
    }
    v = negative ? static_cast<Int>(-static_cast<long long>(n)) : static_cast<Int>(n);
    return true;
}

const char* kindCode(AlbumFileKind kind) {
    switch (kind) {
    case AlbumFileKind::thumbnail: return "s";
    case AlbumFileKind::main: return "m";
    case AlbumFileKind::large: return "l";
    case AlbumFileKind::thumbnail2x: return "t";
    case AlbumFileKind::rendition: return "r";
    }
    return "?";
}

std::optional<AlbumFileKind> kindOf(const std::string& code) {
    if (code == "s") return AlbumFileKind::thumbnail;
    if (code == "m") return AlbumFileKind::main;
    if (code == "l") return AlbumFileKind::large;
    if (code == "t") return AlbumFileKind::thumbnail2x;
    if (code == "r") return AlbumFileKind::rendition;
    return std::nullopt;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

}  // namespace

std::optional<SourceStamp> stampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    SourceStamp s;
    s.path = path;
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return s;
}

const RecordedFile* ImageRecordEntry::find(AlbumFileKind kind, int step) const {
    for (const RecordedFile& f : files)
        if (f.kind == kind && f.step == step) return &f;
    return nullptr;
}

std::uint64_t shapeFingerprint(const AlbumSettings& s, const ImageEntry& entry) {
    std::string key = kImageCodeVersion;
    key += format("\nsmall %d %d %d %d %d", s.small, s.shsize, s.svsize, s.squality, s.ssharpen);
    key += format("\nmain %d %d %d %d", s.mhsize, s.mvsize, s.mquality, s.msharpen);
    key += format("\nlarge %d %d %d %d %d %d", s.large, s.lhsize, s.lvsize, s.lquality, s.lsharpen,
                  s.copyhires);
    key += format("\nautorotate %d", s.autorotate);
    // Colours of tagged photos are converted by the colour engine, whose version may
    // change its results.
    key += format("\ncolour %d", imaging::colourEngineVersion());
    if (isJpegFile(entry.path)) {
        // Copies of the photo (copyhires, or a main image the photo's own size) with or
        // without its GPS position.
        key += format("\nstriplocation %d", s.striplocation);
    } else if (!isTiffFile(entry.path)) {
        // PNG, WebP, HEIF and AVIF: transparent pixels go onto the skin's page colour.
        key += format("\nbackground %06x", static_cast<unsigned>(s.skinbg));
    }
    if (s.simpleviewer) {
        key += format("\nsquares %d %d %06x", s.svthumbsize, s.svcropthumbs,
                      static_cast<unsigned>(s.svbgcolor));
    }
    if (s.imagetext) {
        // The text as stamped (and written as the files' comment).
        const std::string& text = s.itfrommicap ? entry.micap : s.ittext;
        key += format("\nwatermark %d %d %d %06x ", s.itfontsize, static_cast<int>(s.itposition),
                      s.ittransp, static_cast<unsigned>(s.itcolor));
        key += base64Encode(s.itfontfile) + " " + base64Encode(text);
    }
    if (s.renditions) {
        key += "\nrenditions";
        for (int box : renditionSteps()) key += format(" %d", box);
    }
    return fnv1a(key);
}

bool isWholeFile(const std::string& albumFolder, const RecordedFile& file) {
    const std::string path = albumFolder + "/" + file.path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    bool whole = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                 static_cast<std::uint64_t>(st.st_size) == file.bytes && st.st_size >= 4;
    if (whole && !file.copy) {
        unsigned char tail[2] = {0, 0};
        whole = ::pread(fd, tail, 2, st.st_size - 2) == 2 && tail[0] == 0xFF && tail[1] == 0xD9;
    }
    ::close(fd);
    return whole;
}

std::string ImageRecord::pathIn(const std::string& albumFolder) {
    return albumFolder + "/ext/xml/imagerecord.txt";
}

std::string ImageRecord::line(const ImageRecordEntry& e) {
    std::string out = format("%d %s %" PRIu64 " %" PRId64 " %s %zu", e.number,
                             hex64(e.shape).c_str(), e.source.size, e.source.mtimeNs,
                             base64Encode(e.source.path).c_str(), e.files.size());
    for (const RecordedFile& f : e.files) {
        out += format(" %s %d %s %d %d %" PRIu64 " %c", kindCode(f.kind), f.step,
                      base64Encode(f.path).c_str(), f.width, f.height, f.bytes, f.copy ? 'c' : 'w');
    }
    return out + " " + hex64(fnv1a(out));
}

std::optional<ImageRecordEntry> ImageRecord::parseLine(const std::string& text) {
    const std::size_t cut = text.rfind(' ');
    if (cut == std::string::npos) return std::nullopt;
    std::uint64_t sum = 0;
    if (!parseHex64(text.substr(cut + 1), sum) || sum != fnv1a(text.substr(0, cut))) {
        return std::nullopt;
    }
    const std::vector<std::string> w = words(text.substr(0, cut));
    ImageRecordEntry e;
    std::size_t count = 0;
    if (w.size() < 6 || !parseNumber(w[0], e.number) || e.number < 1 ||
        !parseHex64(w[1], e.shape) || !parseNumber(w[2], e.source.size) ||
        !parseNumber(w[3], e.source.mtimeNs) || !parseNumber(w[5], count) ||
        w.size() != 6 + 7 * count) {
        return std::nullopt;
    }
    e.source.path = base64Decode(w[4]);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string* f = &w[6 + 7 * i];
        RecordedFile file;
        const auto kind = kindOf(f[0]);
        if (!kind || !parseNumber(f[1], file.step) || !parseNumber(f[3], file.width) ||
            !parseNumber(f[4], file.height) || !parseNumber(f[5], file.bytes) ||
            (f[6] != "c" && f[6] != "w")) {
            return std::nullopt;
        }
        file.kind = *kind;
        file.path = base64Decode(f[2]);
        file.copy = f[6] == "c";
        // A path that could lead out of the album is no album file.
        if (file.path.empty() || file.path[0] == '/' || file.path.find("..") != std::string::npos) {
            return std::nullopt;
        }
        e.files.push_back(std::move(file));
    }
    return e;
}

bool ImageRecord::load(const std::string& path) {
    m_entries.clear();
    std::string text;
    if (!readTextFile(path, text)) return false;
    std::istringstream in(text);
    std::string l;
    if (!std::getline(in, l) || l != kHeader) return false;
    // Only lines that end with their line break are whole; a line cut short has none.
    std::size_t pos = l.size() + 1;
    while (pos < text.size()) {
        const std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) break;
        if (auto e = parseLine(text.substr(pos, end - pos))) m_entries[e->number] = std::move(*e);
        pos = end + 1;
    }
    return true;
}

const ImageRecordEntry* ImageRecord::find(int number) const {
    const auto it = m_entries.find(number);
    return it == m_entries.end() ? nullptr : &it->second;
}

void ImageRecord::set(ImageRecordEntry entry) {
    const int n = entry.number;
    m_entries[n] = std::move(entry);
}

void ImageRecord::erase(int number) { m_entries.erase(number); }

std::string ImageRecord::text() const {
    std::string out = std::string(kHeader) + "\n";
    for (const auto& [n, e] : m_entries) out += line(e) + "\n";
    return out;
}

bool ImageRecord::save(const std::string& path) const {
    return writeTextFile(path, text(), Durability::Synced);
}

bool ImageRecord::append(const std::string& path, const ImageRecordEntry& entry) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return false;
    struct stat st {};
    std::string bytes;
    if (::fstat(fd, &st) == 0 && st.st_size == 0) bytes = std::string(kHeader) + "\r\n";
    bytes += line(entry) + "\r\n";
    // One write: a line is either all there or cut short (and then ignored).
    ssize_t n;
    do {
        n = ::write(fd, bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    const bool ok = n == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

}  // namespace kavlo::core
