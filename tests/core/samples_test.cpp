// SPDX-License-Identifier: MIT
// The demo photos: the painter writes readable JPEGs with Exif, IPTC and a comment,
// one stored sideways, and a TIFF; the committed samples carry the same metadata.
#include <gtest/gtest.h>

#include <filesystem>

#include "metadata/exif.h"
#include "metadata/iptc.h"
#include "test_support.h"
#include "util/files.h"

namespace kavlo::core {

using imaging::Image;
using imaging::RPreadJpeg;
using imaging::RPreadTiff;
using metadata::ExifInfo;
using metadata::freeExif;
using metadata::IptcRecord;
using metadata::readExif;
using metadata::readIptc;
using util::FileList;
using util::isTiffFile;
using util::listImages;

namespace {

namespace fs = std::filesystem;

void checkSampleFolder(const std::string& dir) {
    const FileList images = listImages(dir, false);
    ASSERT_EQ(images.size(), 5u) << dir;
    int sideways = 0;
    for (const std::string& path : images) {
        EXPECT_LT(fs::file_size(path), 150u * 1024) << path;
        if (isTiffFile(path)) {
            const Image t(RPreadTiff(path));
            EXPECT_EQ(t.width(), 480);
            EXPECT_EQ(t.height(), 320);
            continue;
        }
        ExifInfo e = readExif(path, false);
        EXPECT_EQ(e.make, "Kavlo") << path;
        EXPECT_FALSE(e.model.empty());
        EXPECT_EQ(e.dateTime.size(), 19u);
        EXPECT_GT(e.exposureTime, 0.0f);
        EXPECT_GT(e.fNumber, 1.0f);
        EXPECT_GT(e.focalLength, 1.0f);
        EXPECT_GE(e.iso, 100);
        EXPECT_FALSE(e.comment.empty());
        EXPECT_EQ(e.width, 960);
        EXPECT_EQ(e.height, 640);
        if (e.orientation == 6) ++sideways;
        else EXPECT_EQ(e.orientation, 1);
        freeExif(e);
        IptcRecord r;
        ASSERT_TRUE(readIptc(path, r));
        EXPECT_FALSE(r.fields[18].empty()) << "caption/abstract of " << path;
        EXPECT_EQ(r.fields[8], "Kavlo sample painter");
        EXPECT_FALSE(r.fields[4].empty()) << "keywords of " << path;
        std::string comment;
        int w = 0, h = 0;
        const Image img(RPreadJpeg(path, &comment, 0, &w, &h));
        EXPECT_EQ(img.width(), 960);
        EXPECT_FALSE(comment.empty());
    }
    EXPECT_EQ(sideways, 1);
}

TEST(Samples, painterWritesPhotosWithMetadata) {
    const std::string out = test::scratchFolder("samples");
    const std::string cmd = std::string("'") + KAVLO_MAKE_SAMPLES + "' '" + out + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    checkSampleFolder(out);
}

TEST(Samples, committedSamplesCarryTheirMetadata) {
    checkSampleFolder(std::string(KAVLO_SOURCE_DIR) + "/samples");
}

}  // namespace
}  // namespace kavlo::core
