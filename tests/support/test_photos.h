// SPDX-License-Identifier: MIT
// The repository's test photos (tests/data/photos, or the folder KAVLO_TESTDATA names).
// A test that needs one asks for it here: a missing file or folder throws, so the test
// fails with a message naming the path instead of decoding nothing and crashing later.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace kavlo::test {

/// Full path of a test photo, given below the photos folder ("cameras/Canon_40D.jpg").
/// Throws std::runtime_error naming the path when there is no such regular file.
inline std::string testPhoto(const std::string& relative) {
    const std::string path = std::string(KAVLO_TESTDATA) + "/photos/" + relative;
    if (!std::filesystem::is_regular_file(path)) {
        throw std::runtime_error("missing test photo: " + path +
                                 " (the photos live in tests/data/photos of the repository)");
    }
    return path;
}

/// Full path of a folder of test photos ("cameras"), ending in "/". Throws
/// std::runtime_error naming the path when it is missing or holds no JPEG file.
inline std::string testPhotoFolder(const std::string& relative) {
    namespace fs = std::filesystem;
    const std::string path = std::string(KAVLO_TESTDATA) + "/photos/" + relative;
    std::error_code ec;
    bool any = false;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".jpg") {
            any = true;
            break;
        }
    }
    if (!any) {
        throw std::runtime_error("missing test photos: " + path +
                                 " (the photos live in tests/data/photos of the repository)");
    }
    return path + "/";
}

}  // namespace kavlo::test
