// SPDX-License-Identifier: MIT
// File-system utilities: paths, listings, probes, atomic writes, templates.
#include "util/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>

#include "util/text.h"

#ifndef KAVLO_VERSION
#define KAVLO_VERSION ""
#endif

namespace kavlo::util {

namespace {

struct DirClose {
    void operator()(DIR* d) const noexcept { closedir(d); }
};
using DirPtr = std::unique_ptr<DIR, DirClose>;

// Owns a file descriptor; closes it on every exit path that did not close it itself.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    /// Closes now and reports whether the close succeeded (it can report a write error).
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Length of the UTF-8 character starting at s[i], so that "?" matches one character
// of a non-ASCII name; stray bytes count as one character each.
std::size_t charLength(const std::string& s, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (c >= 0xC0 && c < 0xE0) n = 2;
    else if (c >= 0xE0 && c < 0xF0) n = 3;
    else if (c >= 0xF0 && c < 0xF8) n = 4;
    if (i + n > s.size()) return 1;
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

// Wildcard match with "*" (any run, also empty) and "?" (one character), ignoring
// ASCII letter case. Iterative with one backtrack point, so no pattern can make it
// take exponential time.
bool wildcardMatch(const std::string& pattern, const std::string& name) {
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += charLength(name, n);
        } else if (p < pattern.size() && lowerAscii(pattern[p]) == lowerAscii(name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            starN += charLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Creates a new, uniquely named file in the folder of `target`. The name begins with
// "." so that a left-over temporary file is never listed as an image.
int createTempBeside(const std::string& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    std::string folder = parentFolderOf(target);
    if (target.find('/') == std::string::npos) folder = ".";
    else if (folder.empty()) folder = "/";
    const std::string base = fileNameOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = (folder == "/" ? std::string("/") : folder + "/") + "." + base +
                   format(".tmp-%d-%u", static_cast<int>(getpid()), counter.fetch_add(1));
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void syncFolderOf(const std::string& path) {
    std::string folder = parentFolderOf(path);
    if (path.find('/') == std::string::npos) folder = ".";
    else if (folder.empty()) folder = "/";
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());
}

// Writes the bytes produced by `produce` into a temporary file beside `path` and
// renames the file over `path`. Any failure removes the temporary file and leaves
// `path` as it was. With Durability::Synced the data and the folder entry are also
// flushed to the disk (the user's own work); album output that a run can make again
// is only renamed, which keeps it whole without a disk flush per file.
template <typename Producer>
bool replaceAtomically(const std::string& path, Durability durability, Producer produce) {
    if (path.empty() || fileNameOf(path).empty()) return false;
    std::string temp;
    Fd fd(createTempBeside(path, temp));
    if (!fd.valid()) return false;
    // A replaced file keeps its permissions (a private settings file stays private).
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    bool ok = produce(fd.get());
    if (durability == Durability::Synced) ok = ok && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    if (durability == Durability::Synced) syncFolderOf(path);
    return true;
}

std::string toCrlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

std::string fileNameOf(const std::string& path) {
    const std::size_t p = path.rfind('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string stripExtension(const std::string& path) {
    const std::size_t p = path.rfind('.');
    return p == std::string::npos ? path : path.substr(0, p);
}

std::string extensionOf(const std::string& path) {
    std::string lower = path;
    for (char& c : lower) c = lowerAscii(c);
    const std::size_t p = lower.rfind('.');
    return p == std::string::npos ? lower : lower.substr(p + 1);
}

bool isJpegFile(const std::string& path) { return extensionOf(path) == "jpg"; }

bool isTiffFile(const std::string& path) { return extensionOf(path) == "tif"; }

const std::vector<std::string>& photoExtensions() {
    static const std::vector<std::string> extensions = {"jpg", "tif",  "heic", "heif",
                                                        "hif", "avif", "png",  "webp"};
    return extensions;
}

const char* photoFormatNames() { return "JPEG, TIFF, HEIC/HEIF, AVIF, PNG or WebP"; }

bool isPhotoFile(const std::string& path) {
    if (path.find('.') == std::string::npos) return false;
    const std::string extension = extensionOf(path);
    const auto& known = photoExtensions();
    return std::find(known.begin(), known.end(), extension) != known.end();
}

std::string stripTrailingSeparator(const std::string& path) {
    if (!path.empty() && path.back() == '/') return path.substr(0, path.size() - 1);
    return path;
}

std::string folderNameOf(const std::string& path) {
    const std::string s = stripTrailingSeparator(path);
    const std::size_t p = s.rfind('/');
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

std::string parentFolderOf(const std::string& path) {
    const std::size_t p = path.rfind('/');
    return p == std::string::npos ? std::string() : path.substr(0, p);
}

std::string rebasePath(const std::string& path, const std::string& folder) {
    return folder + "/" + fileNameOf(path);
}

bool isPlainFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '/' || u < 0x20 || u == 0x7F) return false;
    }
    return true;
}

std::string programFolder() {
    std::string buf(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return std::string();
        if (static_cast<std::size_t>(n) < buf.size()) {
            buf.resize(static_cast<std::size_t>(n));
            break;
        }
        buf.resize(buf.size() * 2);
    }
    const std::size_t p = buf.rfind('/');
    return p == std::string::npos ? std::string() : buf.substr(0, p + 1);
}

FilePtr openRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) ::close(fd);
    return FilePtr(f);
}

ErrorCode openFailureOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return ErrorCode::fileMissing;
    return ErrorCode::unreadable;
}

bool fileExists(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    // Regular files only: a FIFO or device named like a photo or an album file would
    // block or never end when read.
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    return fd.valid();
}

bool folderExists(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool copyFile(const std::string& source, const std::string& destination) {
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) return false;
    struct stat st {};
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return replaceAtomically(destination, Durability::RenameOnly, [&](int out) {
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(in.get(), buf, sizeof buf);
            if (n == 0) return true;
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (!writeAll(out, buf, static_cast<std::size_t>(n))) return false;
        }
    });
}

bool createFolder(const std::string& path) {
    if (path.empty()) return false;
    if (folderExists(path)) return true;
    const std::string parent = parentFolderOf(stripTrailingSeparator(path));
    if (!parent.empty() && !folderExists(parent) && !createFolder(parent)) return false;
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    return errno == EEXIST && folderExists(path);
}

bool isFolderWritable(const std::string& folder) {
    const std::string probe =
        format("%s/__writable_test_tmpfile_%i__", folder.c_str(), static_cast<int>(std::clock()));
    ::rmdir(probe.c_str());
    if (::mkdir(probe.c_str(), 0700) != 0) return false;
    ::rmdir(probe.c_str());
    return true;
}

FileList listFiles(const std::string& folder, const std::string& pattern, bool namesOnly,
                   int* emptyCount) {
    FileList list;
    if (emptyCount) *emptyCount = 0;
    DirPtr dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return list;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        if (!wildcardMatch(pattern, name)) continue;
        const std::string full = folder + "/" + name;
        struct stat st {};
        if (::stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (st.st_size == 0) {
            if (emptyCount) ++*emptyCount;
            continue;
        }
        list.push_back(namesOnly ? name : full);
    }
    std::sort(list.begin(), list.end());
    return list;
}

FileList listImages(const std::string& folder, bool namesOnly, int* emptyCount) {
    FileList list;
    int empty = 0;
    for (const std::string& extension : photoExtensions()) {
        int emptyOfKind = 0;
        FileList kind = listFiles(folder, "*." + extension, namesOnly, &emptyOfKind);
        list.insert(list.end(), kind.begin(), kind.end());
        empty += emptyOfKind;
    }
    std::sort(list.begin(), list.end());
    if (emptyCount) *emptyCount = empty;
    return list;
}

bool deleteImages(const std::string& folder) {
    // A folder that is a symbolic link leads outside the album it belongs to: its
    // images are not Kavlo's to delete.
    struct stat st {};
    if (::lstat(stripTrailingSeparator(folder).c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return false;
    FileList list = listFiles(folder, "*.jpg", false);
    const FileList tiff = listFiles(folder, "*.tif", false);
    list.insert(list.end(), tiff.begin(), tiff.end());
    for (const std::string& path : list) ::unlink(path.c_str());
    return !list.empty();
}

std::string versionString(const std::string& key) {
    return key == "ProductVersion" ? std::string(KAVLO_VERSION) : std::string();
}

std::string dataFolder() {
    const std::string program = programFolder();
    if (folderExists(program + "templates")) return program;
    return program + "../share/kavlo/";
}

bool readFile(const std::string& path, std::string& contents) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return false;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    std::string data;
    if (S_ISREG(st.st_mode) && st.st_size > 0) data.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.append(buf, static_cast<std::size_t>(n));
    }
    contents = std::move(data);
    return true;
}

bool readTextFile(const std::string& path, std::string& text) {
    std::string raw;
    if (!readFile(path, raw)) return false;
    text = replaceAll(std::move(raw), "\r\n", "\n");
    return true;
}

bool writeTextFile(const std::string& path, const std::string& text, Durability durability) {
    return writeFileAtomic(path, toCrlf(text), durability);
}

bool writeFileAtomic(const std::string& path, const std::string& bytes, Durability durability) {
    return replaceAtomically(path, durability,
                             [&](int fd) { return writeAll(fd, bytes.data(), bytes.size()); });
}

bool instantiateTemplate(const std::string& templatePath, const std::string& outputPath,
                         const ReplacementMap& replacements) {
    std::string text;
    if (!readTextFile(templatePath, text)) return false;
    for (const auto& [key, value] : replacements) text = replaceAll(std::move(text), key, value);
    return writeTextFile(outputPath, text, Durability::RenameOnly);
}

}  // namespace kavlo::util
