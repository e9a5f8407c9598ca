// SPDX-License-Identifier: MIT
#include "metadata/location.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "location_builder.h"
#include "metadata/exif.h"
#include "support/test_photos.h"

namespace kavlo::metadata {
namespace {

using testing::Bytes;
using testing::GpsPlacement;

ExifInfo exifOf(const Bytes& jpeg) { return readExifMemory(jpeg.data(), jpeg.size(), true); }

void expectSameExif(const ExifInfo& a, const ExifInfo& b, const std::string& what) {
    EXPECT_EQ(a.make, b.make) << what;
    EXPECT_EQ(a.model, b.model) << what;
    EXPECT_EQ(a.dateTime, b.dateTime) << what;
    EXPECT_EQ(a.width, b.width) << what;
    EXPECT_EQ(a.height, b.height) << what;
    EXPECT_EQ(a.orientation, b.orientation) << what;
    EXPECT_EQ(a.flash, b.flash) << what;
    EXPECT_EQ(a.focalLength, b.focalLength) << what;
    EXPECT_EQ(a.exposureTime, b.exposureTime) << what;
    EXPECT_EQ(a.fNumber, b.fNumber) << what;
    EXPECT_EQ(a.focalLength35, b.focalLength35) << what;
    EXPECT_EQ(a.iso, b.iso) << what;
    EXPECT_EQ(a.comment, b.comment) << what;
    EXPECT_EQ(a.thumbnail, b.thumbnail) << what;
    EXPECT_EQ(a.dateCopies, b.dateCopies) << what;
}

/// Every camera test photo that has an Exif block.
std::vector<std::string> photosWithExif() {
    std::vector<std::string> out;
    for (const char* folder : {"cameras", "large", "orientation"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(test::testPhotoFolder(folder))) {
            const Bytes jpeg = testing::readBytes(entry.path().string());
            if (testing::findSegment(testing::segments(jpeg), 0xE1, "Exif", &jpeg))
                out.push_back(entry.path().string());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

/// What a removal from `withGps` must give: the same length; the picture data from the
/// start of scan on and every byte before the TIFF block unchanged; the GPS directory
/// and its values zero; no position left; the rest of the Exif record as `original`
/// reads; a second removal finding nothing.
void expectCleanRemoval(const Bytes& original, const Bytes& withGps, const GpsPlacement& where,
                        const std::string& what) {
    const LocationFreeJpeg clean = removeJpegLocation(withGps);
    ASSERT_EQ(clean.outcome, LocationRemoval::removed) << what;
    const Bytes& out = clean.bytes;
    ASSERT_EQ(out.size(), withGps.size()) << what;
    const std::size_t scan = testing::scanData(withGps);
    EXPECT_TRUE(std::equal(out.begin() + std::ptrdiff_t(scan), out.end(),
                           withGps.begin() + std::ptrdiff_t(scan)))
        << what;
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + std::ptrdiff_t(where.tiff), withGps.begin()))
        << what;
    for (const auto& [begin, end] : where.gps) {
        EXPECT_TRUE(std::all_of(out.begin() + std::ptrdiff_t(where.tiff + begin),
                                out.begin() + std::ptrdiff_t(where.tiff + end),
                                [](std::uint8_t b) { return b == 0; }))
            << what << ": bytes " << begin << " to " << end;
    }
    EXPECT_FALSE(jpegHasLocation(out)) << what;
    EXPECT_FALSE(testing::gpsPlacementOf(out)) << what;
    expectSameExif(exifOf(out), exifOf(original), what);
    const LocationFreeJpeg again = removeJpegLocation(out);
    EXPECT_EQ(again.outcome, LocationRemoval::unchanged) << what;
    EXPECT_EQ(again.bytes, out) << what;
}

// ---------------------------------------------------------------------------------------
// Real camera files: three carry a position (a Kodak compact and two iPhone photos),
// three a GPS directory with only its version (Canon), the others none.

TEST(Location, realPhotosWithAPosition) {
    for (const char* name :
         {"cameras/Kodak_CX7530.jpg", "large/iphone_hdr_NO.jpg", "large/iphone_hdr_YES.jpg"}) {
        const std::string path = test::testPhoto(name);
        const Bytes jpeg = testing::readBytes(path);
        EXPECT_TRUE(jpegHasLocation(path)) << name;
        EXPECT_TRUE(jpegHasLocation(jpeg)) << name;
        const std::optional<GpsPlacement> where = testing::gpsPlacementOf(jpeg);
        ASSERT_TRUE(where) << name;
        ASSERT_GE(where->gps.size(), 3u) << name;  // the directory, latitude, longitude
        expectCleanRemoval(jpeg, jpeg, *where, name);
    }
}

TEST(Location, realPhotosWithoutAPosition) {
    const std::vector<std::string> photos = photosWithExif();
    ASSERT_GE(photos.size(), 35u);
    int versionOnly = 0;
    for (const std::string& path : photos) {
        const Bytes jpeg = testing::readBytes(path);
        if (path.find("Kodak_CX7530") != std::string::npos ||
            path.find("iphone_hdr") != std::string::npos)
            continue;
        EXPECT_FALSE(jpegHasLocation(path)) << path;
        const LocationFreeJpeg clean = removeJpegLocation(jpeg);
        if (const std::optional<GpsPlacement> where = testing::gpsPlacementOf(jpeg)) {
            // A GPS directory with nothing but its version goes all the same.
            ++versionOnly;
            expectCleanRemoval(jpeg, jpeg, *where, path);
        } else {
            EXPECT_EQ(clean.outcome, LocationRemoval::unchanged) << path;
            EXPECT_EQ(clean.bytes, jpeg) << path;
        }
    }
    EXPECT_EQ(versionOnly, 3);
}

TEST(Location, removesAnAddedPositionFromEveryCameraFile) {
    int motorola = 0, added = 0;
    for (const std::string& path : photosWithExif()) {
        const Bytes original = testing::readBytes(path);
        GpsPlacement where;
        Bytes withGps;
        try {
            withGps = testing::addGps(original, 48.8584, -2.2945, &where);
        } catch (const std::runtime_error&) {
            continue;  // an Exif block too large to grow within one section
        }
        ++added;
        motorola += withGps[where.tiff] == 'M';
        ASSERT_TRUE(jpegHasLocation(withGps)) << path;
        // Files with a GPS directory of their own now point at two; both go.
        if (const auto own = testing::gpsPlacementOf(original)) {
            for (const auto& r : own->gps) where.gps.push_back(r);
        }
        expectCleanRemoval(original, withGps, where, path);
    }
    EXPECT_GE(added, 35);
    EXPECT_GT(motorola, 0) << "both byte orders are covered";
}

TEST(Location, copyWritesTheFileWithoutItsPosition) {
    const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/metadata/location";
    std::filesystem::create_directories(dir);
    const Bytes withGps = testing::addGps(
        testing::readBytes(test::testPhoto("large/iphone_hdr_NO.jpg")), -33.86, 151.2);
    const std::string source = dir + "/gps.jpg";
    std::ofstream(source, std::ios::binary)
        .write(reinterpret_cast<const char*>(withGps.data()), std::streamsize(withGps.size()));
    EXPECT_TRUE(jpegHasLocation(source));

    std::string error;
    ASSERT_TRUE(copyJpegWithoutLocation(source, dir + "/published.jpg", error)) << error;
    EXPECT_EQ(testing::readBytes(dir + "/published.jpg"), removeJpegLocation(withGps).bytes);
    EXPECT_FALSE(jpegHasLocation(dir + "/published.jpg"));

    // Refused or unreadable: nothing is written.
    const std::string text = dir + "/text.jpg";
    std::ofstream(text) << "not a photo";
    std::filesystem::remove(dir + "/none.jpg");
    EXPECT_FALSE(copyJpegWithoutLocation(text, dir + "/none.jpg", error));
    EXPECT_NE(error.find("not a JPEG file"), std::string::npos) << error;
    EXPECT_FALSE(copyJpegWithoutLocation(dir + "/missing.jpg", dir + "/none.jpg", error));
    EXPECT_FALSE(std::filesystem::exists(dir + "/none.jpg"));
    EXPECT_FALSE(jpegHasLocation(dir + "/missing.jpg"));
}

// ---------------------------------------------------------------------------------------
// Built Exif blocks: shared bytes, odd pointers, no position.

/// A JPEG whose Exif block is `tiff`, with IFD0 entries given raw.
Bytes jpegWithTiff(const Bytes& tiff) { return testing::jpegWith({testing::exifSection(tiff)}); }

/// TIFF block, Intel order: IFD0 at 8 with the given 12-byte entries, link 0, then `data`
/// (whose offsets the entries name directly).
Bytes tiffWith(const std::vector<Bytes>& entries, const Bytes& data) {
    testing::TiffBuilder o(false);
    Bytes t{'I', 'I', 42, 0, 8, 0, 0, 0};
    const Bytes n = o.put16(std::uint16_t(entries.size()));
    t.insert(t.end(), n.begin(), n.end());
    for (const Bytes& e : entries) t.insert(t.end(), e.begin(), e.end());
    t.insert(t.end(), {0, 0, 0, 0});
    t.insert(t.end(), data.begin(), data.end());
    return t;
}

Bytes entry(std::uint16_t tag, std::uint16_t format, std::uint32_t count, std::uint32_t value) {
    testing::TiffBuilder o(false);
    Bytes e = o.put16(tag);
    for (const Bytes& b : {o.put16(format), o.put32(count), o.put32(value)})
        e.insert(e.end(), b.begin(), b.end());
    return e;
}

TEST(Location, bytesAnotherTagUsesSurviveTheRemoval) {
    // IFD0 (8): Make at 50, GPS pointer at 38 -> GPS directory at 56 whose latitude value
    // overlaps the Make text, and a pointer back at IFD0 from a second GPS entry.
    const std::size_t data = 8 + 2 + 3 * 12 + 4;  // 50
    Bytes make = {'C', 'a', 'n', 'o', 'n', 0};
    const std::size_t gps = data + make.size();  // 56
    testing::TiffBuilder o(false);
    Bytes g = o.put16(2);
    for (const Bytes& e :
         {entry(2, 5, 3, std::uint32_t(data)), entry(4, 5, 3, std::uint32_t(gps + 30))})
        g.insert(g.end(), e.begin(), e.end());
    g.insert(g.end(), {0, 0, 0, 0});
    Bytes values(24, 0x77);  // longitude
    Bytes tail = make;
    tail.insert(tail.end(), g.begin(), g.end());
    tail.insert(tail.end(), values.begin(), values.end());
    const Bytes jpeg =
        jpegWithTiff(tiffWith({entry(271, 2, 6, std::uint32_t(data)),
                               entry(0x8825, 4, 1, std::uint32_t(gps)), entry(0x8825, 4, 1, 8)},
                              tail));
    ASSERT_TRUE(jpegHasLocation(jpeg));
    const LocationFreeJpeg clean = removeJpegLocation(jpeg);
    ASSERT_EQ(clean.outcome, LocationRemoval::removed);
    const ExifInfo e = exifOf(clean.bytes);
    EXPECT_EQ(e.make, "Canon");
    EXPECT_FALSE(jpegHasLocation(clean.bytes));
    EXPECT_EQ(std::count(clean.bytes.begin(), clean.bytes.end(), 0x77), 0);
    // IFD0 lost both pointers: one entry left, the link after it.
    const std::size_t ifd0 = testing::segments(clean.bytes)[0].at + 10 + 8;
    EXPECT_EQ(clean.bytes[ifd0], 1);
    EXPECT_EQ(removeJpegLocation(clean.bytes).outcome, LocationRemoval::unchanged);
}

TEST(Location, gpsDirectoryWithoutPositionIsRemovedButNotReported) {
    // Cameras without a receiver may still write a GPS directory holding its version.
    const std::size_t gps = 8 + 2 + 12 + 4;
    Bytes dir = {1, 0};
    const Bytes v = entry(0, 1, 4, 0x00000302);
    dir.insert(dir.end(), v.begin(), v.end());
    dir.insert(dir.end(), {0, 0, 0, 0});
    const Bytes jpeg = jpegWithTiff(tiffWith({entry(0x8825, 4, 1, std::uint32_t(gps))}, dir));
    EXPECT_FALSE(jpegHasLocation(jpeg));
    const LocationFreeJpeg clean = removeJpegLocation(jpeg);
    EXPECT_EQ(clean.outcome, LocationRemoval::removed);
    const std::optional<GpsPlacement> where = testing::gpsPlacementOf(jpeg);
    ASSERT_TRUE(where);
    const auto [begin, end] = where->gps.at(0);
    EXPECT_TRUE(std::all_of(clean.bytes.begin() + std::ptrdiff_t(where->tiff + begin),
                            clean.bytes.begin() + std::ptrdiff_t(where->tiff + end),
                            [](std::uint8_t b) { return b == 0; }));
}

TEST(Location, pointersOutsideTheBlockAndCutDirectories) {
    // A pointer past the block's end is dropped; a directory longer than the block is
    // read as far as it goes (a lenient reader would find the pointer in it).
    const Bytes past = jpegWithTiff(tiffWith({entry(0x8825, 4, 1, 0xFFFFFF00)}, {}));
    const LocationFreeJpeg a = removeJpegLocation(past);
    EXPECT_EQ(a.outcome, LocationRemoval::removed);
    EXPECT_EQ(a.bytes.size(), past.size());

    Bytes cut = tiffWith({entry(271, 2, 2, 0x41), entry(0x8825, 4, 1, 0xFFFF)}, {});
    cut[8] = 40;             // forty entries claimed
    cut.resize(8 + 2 + 24);  // two present, no link
    const LocationFreeJpeg b = removeJpegLocation(jpegWithTiff(cut));
    EXPECT_EQ(b.outcome, LocationRemoval::removed);
    EXPECT_EQ(removeJpegLocation(b.bytes).outcome, LocationRemoval::unchanged);
}

// ---------------------------------------------------------------------------------------
// XMP.

Bytes jpegWithXmp(const std::string& packet) {
    return testing::jpegWith({testing::xmpSection(packet)});
}

std::string packetOf(const Bytes& jpeg) {
    const std::vector<testing::Segment> list = testing::segments(jpeg);
    const testing::Segment* s = testing::findSegment(list, 0xE1, "http://ns.adobe.com/xap", &jpeg);
    return std::string(jpeg.begin() + std::ptrdiff_t(s->at + 4 + 29),
                       jpeg.begin() + std::ptrdiff_t(s->end()));
}

TEST(Location, removesGpsPropertiesFromXmpAndKeepsTheRest) {
    const std::string packet = testing::xmpPacket(
        "\n    exif:GPSLatitude=\"48,51.5N\" xmp:CreatorTool=\"Editor 1.0\"\n"
        "    exif:GPSLongitude='2,17.67E'",
        "   <exif:GPSAltitude>31415/100</exif:GPSAltitude>\n"
        "   <exif:ExposureTime>1/125</exif:ExposureTime>\n"
        "   <exif:GPSVersionID/>\n"
        "   <exif:GPSDestLatitude><rdf:Seq><rdf:li>1</rdf:li></rdf:Seq></exif:GPSDestLatitude>\n"
        "   <loc:gpsTrack xmlns:loc=\"urn:example:loc\">9</loc:gpsTrack>\n");
    const Bytes jpeg = jpegWithXmp(packet);
    EXPECT_TRUE(jpegHasLocation(jpeg));
    const LocationFreeJpeg clean = removeJpegLocation(jpeg);
    ASSERT_EQ(clean.outcome, LocationRemoval::removed);
    ASSERT_EQ(clean.bytes.size(), jpeg.size());
    const std::string out = packetOf(clean.bytes);
    EXPECT_EQ(out.find("GPS"), std::string::npos) << out;
    EXPECT_EQ(out.find("gps"), std::string::npos) << out;
    EXPECT_NE(out.find("xmp:CreatorTool=\"Editor 1.0\""), std::string::npos) << out;
    EXPECT_NE(out.find("<exif:ExposureTime>1/125</exif:ExposureTime>"), std::string::npos);
    EXPECT_NE(out.find("xmlns:exif=\"http://ns.adobe.com/exif/1.0/\""), std::string::npos);
    EXPECT_NE(out.find("<?xpacket end=\"w\"?>"), std::string::npos);
    EXPECT_FALSE(jpegHasLocation(clean.bytes));
    const LocationFreeJpeg again = removeJpegLocation(clean.bytes);
    EXPECT_EQ(again.outcome, LocationRemoval::unchanged);  // still well-formed, nothing left
}

TEST(Location, xmpOtherPrefixesAndPacketsWithoutGps) {
    // Any prefix: the name counts, not how the namespace is spelled.
    const Bytes other = jpegWithXmp(testing::xmpPacket(
        " xmlns:e=\"http://ns.adobe.com/exif/1.0/\" e:GPSLongitude=\"2,17E\"", ""));
    EXPECT_TRUE(jpegHasLocation(other));
    EXPECT_EQ(removeJpegLocation(other).outcome, LocationRemoval::removed);

    const Bytes plain = jpegWithXmp(testing::xmpPacket(" xmp:Rating=\"5\"", ""));
    EXPECT_FALSE(jpegHasLocation(plain));
    EXPECT_EQ(removeJpegLocation(plain).outcome, LocationRemoval::unchanged);
    // Broken XML that does not mention GPS holds nothing to remove.
    const Bytes broken = jpegWithXmp("<x:xmpmeta><rdf:RDF></x:xmpmeta>");
    EXPECT_EQ(removeJpegLocation(broken).outcome, LocationRemoval::unchanged);
}

TEST(Location, refusesWhatItCannotClean) {
    const auto refused = [](const Bytes& jpeg) {
        const LocationFreeJpeg r = removeJpegLocation(jpeg);
        EXPECT_TRUE(r.bytes.empty());
        EXPECT_FALSE(r.reason.empty());
        return r.outcome == LocationRemoval::refused;
    };
    // Not well-formed, or a document type (whose entities could hide a position).
    EXPECT_TRUE(refused(jpegWithXmp("<x:xmpmeta><exif:GPSLatitude>1</x:xmpmeta>")));
    EXPECT_TRUE(refused(jpegWithXmp(
        "<!DOCTYPE x [<!ENTITY g \"<exif:GPSLatitude>1</exif:GPSLatitude>\">]><x>&g;</x>")));
    EXPECT_TRUE(jpegHasLocation(jpegWithXmp("<x:xmpmeta><exif:GPSLatitude>1</x:xmpmeta>")));
    // UTF-16 XMP is not what JPEG files carry.
    std::string utf16;
    for (const char c : std::string("<x exif:GPSLatitude=\"1\"/>")) utf16 += {c, '\0'};
    EXPECT_TRUE(refused(jpegWithXmp(utf16)));
    // An extended XMP section that mentions GPS.
    Bytes ext;
    const char id[] = "http://ns.adobe.com/xmp/extension/";
    ext.insert(ext.end(), id, id + sizeof id);
    const std::string rest(40, '0');
    ext.insert(ext.end(), rest.begin(), rest.end());
    const std::string body = "<exif:GPSLatitude>1</exif:GPSLatitude>";
    ext.insert(ext.end(), body.begin(), body.end());
    EXPECT_TRUE(refused(testing::jpegWith({testing::section(0xE1, ext)})));
    // No JPEG file: bad start, empty, cut before the scan, end of image first.
    EXPECT_TRUE(refused(Bytes{'n', 'o', 't'}));
    EXPECT_TRUE(refused(Bytes{}));
    Bytes cut = testing::readBytes(test::testPhoto("cameras/Canon_40D.jpg"));
    cut.resize(300);
    EXPECT_TRUE(refused(cut));
    EXPECT_TRUE(refused(Bytes{0xFF, 0xD8, 0xFF, 0xD9}));
}

// ---------------------------------------------------------------------------------------
// Further images of a multi-picture index.

TEST(Location, cleansTheSecondImageOfAMultiPictureFile) {
    const Bytes first = testing::readBytes(test::testPhoto("cameras/Nikon_D70.jpg"));
    const Bytes second =
        testing::addGps(testing::readBytes(test::testPhoto("cameras/Canon_40D.jpg")), 1.5, 2.5);
    const Bytes mpo = testing::withSecondImage(first, second);
    const std::size_t secondAt = mpo.size() - second.size();
    ASSERT_FALSE(jpegHasLocation(first));
    EXPECT_TRUE(jpegHasLocation(mpo));

    const LocationFreeJpeg clean = removeJpegLocation(mpo);
    ASSERT_EQ(clean.outcome, LocationRemoval::removed);
    ASSERT_EQ(clean.bytes.size(), mpo.size());
    // The first image is untouched; the second, still where the index says, is clean.
    EXPECT_TRUE(
        std::equal(mpo.begin(), mpo.begin() + std::ptrdiff_t(secondAt), clean.bytes.begin()));
    const Bytes secondOut(clean.bytes.begin() + std::ptrdiff_t(secondAt), clean.bytes.end());
    EXPECT_EQ(secondOut, removeJpegLocation(second).bytes);
    EXPECT_FALSE(jpegHasLocation(clean.bytes));

    // The file-based check follows the index too.
    const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/metadata/location";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/two.mpo.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(mpo.data()), std::streamsize(mpo.size()));
    EXPECT_TRUE(jpegHasLocation(dir + "/two.mpo.jpg"));

    // A second image whose header is broken cannot be vouched for.
    Bytes broken = mpo;
    broken.resize(secondAt + 40);
    EXPECT_EQ(removeJpegLocation(broken).outcome, LocationRemoval::refused);
}

}  // namespace
}  // namespace kavlo::metadata
