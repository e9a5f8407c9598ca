// SPDX-License-Identifier: MIT
// Fuzz target: an album information file read into a model, then written and read
// again. Whatever a hostile file holds, reopening the album Kavlo wrote must give the
// same image paths, byte for byte, in the same order with the same captions. The one
// change allowed is the file form's own: line breaks, tabs and control characters
// inside a text become spaces (captions keep line breaks only as "<br>" text). From the second
// write on the file text must not change at all.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_input_file.h"
#include "model/album_model.h"
#include "storage/album_info.h"

// Names the broken property before stopping, so that a crash report says which.
#define FUZZ_CHECK(cond)                                          \
    do {                                                          \
        if (!(cond)) {                                            \
            std::fprintf(stderr, "property failed: %s\n", #cond); \
            std::abort();                                         \
        }                                                         \
    } while (0)

// The default settings ask fontconfig for the default watermark font once; the
// library keeps that start-up memory for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {
kavlo::fuzz::ScratchCleanup cleanup{"-albuminfo.xml"};
kavlo::fuzz::ScratchCleanup cleanupAgain{"-again.xml"};

// What the XML attribute form keeps of a text: every control character becomes one
// space (the file's CR LF line ends make a CR LF pair in a text two spaces).
std::string flattened(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return out;
}

bool rewrite(const kavlo::model::AlbumModel& from, kavlo::model::AlbumModel& to) {
    const std::string& again = kavlo::fuzz::scratchPath("-again.xml");
    return kavlo::storage::writeAlbumInfo(from, again) && kavlo::storage::readAlbumInfo(to, again);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kavlo::fuzz::writeInput(data, size, "-albuminfo.xml");
    kavlo::model::AlbumModel model;
    {
        kavlo::fuzz::QuietStderr quiet;
        if (!kavlo::storage::readAlbumInfo(model, path)) return 0;
    }

    kavlo::model::AlbumModel second;
    FUZZ_CHECK(rewrite(model, second));
    FUZZ_CHECK(second.images.size() == model.images.size());
    for (std::size_t i = 0; i < model.images.size(); ++i) {
        const kavlo::model::ImageEntry& a = model.images[i];
        const kavlo::model::ImageEntry& b = second.images[i];
        FUZZ_CHECK(b.path == a.path);
        FUZZ_CHECK(b.macap == flattened(a.macap));
        FUZZ_CHECK(b.micap == flattened(a.micap));
    }
    FUZZ_CHECK(second.title == flattened(model.title));
    FUZZ_CHECK(second.footer == flattened(model.footer));

    const std::string text = kavlo::storage::albumInfoText(second);
    kavlo::model::AlbumModel third;
    FUZZ_CHECK(rewrite(second, third));
    FUZZ_CHECK(kavlo::storage::albumInfoText(third) == text);
    return 0;
}
