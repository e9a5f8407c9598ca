// SPDX-License-Identifier: MIT
// File-system utilities: path decomposition, image listing, folder probes, the
// program's own folder and version, fonts, and template instantiation.
//
// Common rules:
// - Paths are UTF-8 strings with the separator "/". A folder path has no trailing
//   separator; only programFolder() returns one.
// - No function keeps state, shows a message or throws for an ordinary failure: each
//   reports failure through its result (false, an empty string or an empty list).
// - Text files are written with CR LF line ends (see writeTextFile).
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "util/diagnostics.h"

namespace kavlo::util {

/// Ordered list of bare names or full paths, sorted by plain byte comparison.
using FileList = std::vector<std::string>;
/// Placeholder -> replacement, applied in ascending byte order of the placeholder.
using ReplacementMap = std::map<std::string, std::string>;

/// Text after the last "/"; the whole path when it holds none ("a/" gives "").
std::string fileNameOf(const std::string& path);
/// Text before the last "." anywhere in the path; the whole path when there is none.
std::string stripExtension(const std::string& path);
/// Lower-cased path, then the text after its last "."; the whole lower-cased path
/// when there is none.
std::string extensionOf(const std::string& path);
/// extensionOf(path) == "jpg".
bool isJpegFile(const std::string& path);
/// extensionOf(path) == "tif".
bool isTiffFile(const std::string& path);
/// Extensions (lower case, without the dot) of the photos Kavlo reads: jpg, tif, heic,
/// heif, hif, avif, png, webp.
const std::vector<std::string>& photoExtensions();
/// extensionOf(path) is one of photoExtensions(), in any letter case.
bool isPhotoFile(const std::string& path);
/// The formats of photoExtensions() as messages name them:
/// "JPEG, TIFF, HEIC/HEIF, AVIF, PNG or WebP".
const char* photoFormatNames();
/// Removes one trailing "/".
std::string stripTrailingSeparator(const std::string& path);
/// Last component after stripping one trailing separator; "" when no "/" is left.
std::string folderNameOf(const std::string& path);
/// Text before the last "/"; "" when the path holds none.
std::string parentFolderOf(const std::string& path);
/// folder + "/" + fileNameOf(path).
std::string rebasePath(const std::string& path, const std::string& folder);
/// True when `name` can serve as an album sub-folder: not empty, not "." or "..", no
/// "/" and no control character. Anything else could point outside the album folder.
bool isPlainFolderName(const std::string& name);
/// Folder of the running executable (from /proc/self/exe), with a trailing "/".
std::string programFolder();

/// Closes a stdio file owned by a FilePtr.
struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

/// Opens a regular file for binary reading without waiting; null when the path is
/// missing or names a folder, a FIFO or a device (reading those would block or never
/// end, so a FIFO named like a photo or an album file must not hang Kavlo).
FilePtr openRegularFile(const std::string& path);

/// Why openRegularFile(path) gave null: fileMissing when no regular file is there,
/// unreadable when there is one that cannot be opened.
ErrorCode openFailureOf(const std::string& path);

/// True when the path names a regular file that can be opened for reading.
bool fileExists(const std::string& path);
/// True when the path names a folder.
bool folderExists(const std::string& path);
/// Copies a file, replacing the destination; true on success. The copy is written
/// to a temporary name and renamed (Durability::RenameOnly), so a failed copy never
/// leaves a half file.
bool copyFile(const std::string& source, const std::string& destination);
/// Creates the folder (and missing parents); an existing folder is no error.
bool createFolder(const std::string& path);
/// Creates and removes a probe folder inside `folder`; false when that fails.
bool isFolderWritable(const std::string& folder);

/// Regular, non-hidden files of `folder` whose names match the wildcard `pattern`
/// ("*" and "?", letter case ignored). Zero-length files are skipped and counted in
/// *emptyCount when given. Names only or full paths; sorted by byte comparison.
FileList listFiles(const std::string& folder, const std::string& pattern, bool namesOnly,
                   int* emptyCount = nullptr);
/// The photos of the folder (every extension of photoExtensions(), letter case
/// ignored), one list in byte order.
FileList listImages(const std::string& folder, bool namesOnly, int* emptyCount = nullptr);
/// Deletes every "*.jpg" and "*.tif" file of the folder (the album's image folders hold
/// only JPEG files); true when there was one. A folder that is itself a symbolic link is
/// left alone (false).
bool deleteImages(const std::string& folder);

/// "ProductVersion" gives the product version; any other key gives "".
std::string versionString(const std::string& key);
/// Folder where Kavlo finds the files that ship beside the program (templates,
/// readme.html, skins/): programFolder() when it holds "templates", otherwise
/// programFolder() + "../share/kavlo/". Ends with "/".
std::string dataFolder();

/// Reads a whole file; false when it cannot be read.
bool readFile(const std::string& path, std::string& contents);
/// Reads a text file, turning every CR LF pair into LF.
bool readTextFile(const std::string& path, std::string& text);
/// How far an atomic write goes: Synced flushes the data and the folder entry to the
/// disk before and after the rename (files that hold the user's work: settings, album
/// information); RenameOnly only renames (album output a run can make again).
enum class Durability { Synced, RenameOnly };

/// Writes text with every LF turned into CR LF, atomically: a temporary file in the
/// same folder is written and renamed over `path`. False (and the old file intact) on
/// any failure.
bool writeTextFile(const std::string& path, const std::string& text,
                   Durability durability = Durability::Synced);
/// Writes bytes atomically like writeTextFile, without line-end conversion.
bool writeFileAtomic(const std::string& path, const std::string& bytes,
                     Durability durability = Durability::Synced);

/// Reads the template as text, applies every replacement in ascending key order with
/// replaceAll, writes the result as text. False when reading or writing fails.
bool instantiateTemplate(const std::string& templatePath, const std::string& outputPath,
                         const ReplacementMap& replacements);

}  // namespace kavlo::util
