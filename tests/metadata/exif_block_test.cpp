// SPDX-License-Identifier: MIT
// Exif blocks as PNG, WebP and HEIF files carry them: the same record as from a JPEG file.
#include <gtest/gtest.h>

#include <filesystem>

#include "location_builder.h"
#include "metadata/exif.h"
#include "support/test_photos.h"

namespace kavlo::metadata {
namespace {

using testing::Bytes;
using Dir = testing::TiffBuilder::Dir;

/// The TIFF block of a JPEG file's Exif section; empty when it has none.
Bytes tiffBlockOf(const Bytes& jpeg) {
    const std::vector<testing::Segment> list = testing::segments(jpeg);
    const testing::Segment* s = testing::findSegment(list, 0xE1, "Exif", &jpeg);
    if (!s) return {};
    return Bytes(jpeg.begin() + std::ptrdiff_t(s->at + 10),
                 jpeg.begin() + std::ptrdiff_t(s->end()));
}

void expectSameRecording(const ExifInfo& block, const ExifInfo& file, const std::string& what) {
    EXPECT_EQ(block.make, file.make) << what;
    EXPECT_EQ(block.model, file.model) << what;
    EXPECT_EQ(block.dateTime, file.dateTime) << what;
    EXPECT_EQ(block.orientation, file.orientation) << what;
    EXPECT_EQ(block.exposureTime, file.exposureTime) << what;
    EXPECT_EQ(block.fNumber, file.fNumber) << what;
    EXPECT_EQ(block.focalLength, file.focalLength) << what;
    EXPECT_EQ(block.focalLength35, file.focalLength35) << what;
    EXPECT_EQ(block.ccdWidth, file.ccdWidth) << what;
    EXPECT_EQ(block.iso, file.iso) << what;
    EXPECT_EQ(block.flash, file.flash) << what;
    EXPECT_EQ(block.whiteBalance, file.whiteBalance) << what;
    EXPECT_EQ(block.exposureBias, file.exposureBias) << what;
    EXPECT_EQ(block.thumbnail, file.thumbnail) << what;
    EXPECT_EQ(block.thumbnailSize, file.thumbnailSize) << what;
    EXPECT_EQ(block.dateCopies, file.dateCopies) << what;
}

TEST(ExifBlock, readsWhatTheJpegReaderReadsFromEveryCameraBlock) {
    int blocks = 0;
    for (const char* folder : {"cameras", "large", "orientation"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(test::testPhotoFolder(folder))) {
            const std::string path = entry.path().string();
            const Bytes jpeg = testing::readBytes(path);
            const Bytes tiff = tiffBlockOf(jpeg);
            if (tiff.empty()) continue;
            ++blocks;
            const ExifInfo file = readExif(path, true);
            const ExifInfo bare = readExifBlock(tiff, true);
            expectSameRecording(bare, file, path);
            // What only a JPEG header holds stays zero.
            EXPECT_EQ(bare.width, 0) << path;
            EXPECT_EQ(bare.process, 0) << path;
            EXPECT_TRUE(bare.fileName.empty()) << path;
            // The same block after "Exif\0\0", as some PNG and HEIF writers store it.
            Bytes prefixed{'E', 'x', 'i', 'f', 0, 0};
            prefixed.insert(prefixed.end(), tiff.begin(), tiff.end());
            expectSameRecording(readExifBlock(prefixed, true), file, path + " after Exif\\0\\0");
            EXPECT_TRUE(readExifBlock(tiff, false).thumbnail.empty());
        }
    }
    EXPECT_GE(blocks, 35);
}

TEST(ExifBlock, builtBlocksInBothByteOrders) {
    for (const bool motorola : {false, true}) {
        testing::TiffBuilder t(motorola);
        t.ascii(Dir::ifd0, 271, "Apple")
            .u16(Dir::ifd0, 274, 6)
            .rational(Dir::exif, 33434, 1, 250)
            .ascii(Dir::exif, 36867, "2024:06:01 12:00:00")
            .undefined(Dir::exif, 37510, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'i'})
            .thumbnail({0xFF, 0xD8, 0xFF, 0xD9});
        const ExifInfo e = readExifBlock(t.build(), true);
        EXPECT_EQ(e.make, "Apple");
        EXPECT_EQ(e.orientation, 6);
        EXPECT_FLOAT_EQ(e.exposureTime, 1.0f / 250);
        EXPECT_EQ(e.dateTime, "2024:06:01 12:00:00");
        EXPECT_EQ(e.comment, "Hi");
        EXPECT_EQ(e.thumbnail, (Bytes{0xFF, 0xD8, 0xFF, 0xD9}));
    }
}

TEST(ExifBlock, whatIsNotAnExifBlockGivesTheZeroRecord) {
    testing::TiffBuilder t(false);
    t.ascii(Dir::ifd0, 271, "Canon");
    const Bytes good = t.build();
    Bytes heifItem{0, 0, 0, 6, 'E', 'x', 'i', 'f', 0, 0};  // the offset field is the reader's job
    heifItem.insert(heifItem.end(), good.begin(), good.end());
    Bytes wrongMagic = good;
    wrongMagic[2] = 43;
    for (const Bytes& bad : {Bytes{}, Bytes{'E', 'x', 'i', 'f', 0, 0}, Bytes{'I', 'I', 42},
                             Bytes(64, 0), heifItem, wrongMagic}) {
        const ExifInfo e = readExifBlock(bad, true);
        EXPECT_TRUE(e.make.empty());
        EXPECT_EQ(e.orientation, 0);
        EXPECT_TRUE(e.thumbnail.empty());
    }
    // A block cut anywhere reads what lies inside it, never beyond.
    for (std::size_t n = 0; n <= good.size(); ++n) {
        const ExifInfo e = readExifBlock(std::span(good.data(), n), true);
        EXPECT_TRUE(e.make.empty() || e.make == "Canon" ||
                    std::string("Canon").starts_with(e.make));
    }
}

}  // namespace
}  // namespace kavlo::metadata
