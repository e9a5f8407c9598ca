// SPDX-License-Identifier: MIT
#include "metadata/iptc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "jpeg_builder.h"
#include "support/test_photos.h"

namespace kavlo::metadata {
namespace {

using testing::Bytes;

/// One record-2 dataset: 0x1C 0x02 number length(2) value.
Bytes dataset(std::uint8_t number, const std::string& value) {
    Bytes b{0x1C, 0x02, number, std::uint8_t(value.size() >> 8), std::uint8_t(value.size())};
    b.insert(b.end(), value.begin(), value.end());
    return b;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

/// The head of a Photoshop APP13 section: signature and an 8BIM IPTC resource header.
Bytes photoshopHeader() {
    const std::string sig = std::string("Photoshop 3.0") + '\0' + "8BIM";
    Bytes b(sig.begin(), sig.end());
    b.insert(b.end(), {0x04, 0x04, 0, 0, 0, 0, 0x01, 0x00});
    return b;
}

IptcRecord parsed(const Bytes& bytes) {
    IptcRecord r;
    parseIptc(bytes.data(), bytes.size(), r);
    return r;
}

TEST(IptcParse, fillsFieldsByTheirRules) {
    const IptcRecord r = parsed(concat({
        photoshopHeader(),
        dataset(5, "Object"),
        dataset(10, "5"),
        dataset(15, "CAT"),
        dataset(20, "A"),
        dataset(20, "B"),
        dataset(25, "sea"),
        dataset(25, "sun"),
        dataset(25, "sand"),
        dataset(40, "Handle with care"),
        dataset(55, "20040730"),
        dataset(80, "Staff"),
        dataset(85, "Photographer"),
        dataset(90, "Wellington"),
        dataset(95, "WGN"),
        dataset(101, "New Zealand"),
        dataset(100, "NZL"),
        dataset(103, "REF1"),
        dataset(105, "Headline"),
        dataset(110, "Credit"),
        dataset(115, "Source"),
        dataset(116, "(c) 2004"),
        dataset(120, "First caption"),
        dataset(120, "Harbour at dawn."),
        dataset(122, "Editor"),
        dataset(200, "ignored"),
    }));
    const char* expected[IptcRecord::kFieldCount] = {"Object",
                                                     "5",
                                                     "CAT",
                                                     "A B ",
                                                     "sea - sun - sand",
                                                     "Handle with care",
                                                     "20040730",
                                                     "07-30-04",
                                                     "Staff",
                                                     "Photographer",
                                                     "Wellington",
                                                     "WGN",
                                                     "NZL",
                                                     "REF1",
                                                     "Headline",
                                                     "Credit",
                                                     "Source",
                                                     "(c) 2004",
                                                     "Harbour at dawn.",
                                                     "Editor"};
    for (int f = 0; f < IptcRecord::kFieldCount; ++f) EXPECT_EQ(r.fields[f], expected[f]) << f;
}

TEST(IptcParse, zeroLengthDatasetsChangeNothing) {
    const IptcRecord r = parsed(concat({dataset(120, "Kept"), dataset(120, ""), dataset(25, "a"),
                                        dataset(25, ""), dataset(25, "b")}));
    EXPECT_EQ(r.fields[18], "Kept");
    EXPECT_EQ(r.fields[4], "a - b");
}

TEST(IptcParse, datasetRunningPastTheEndStopsTheScan) {
    Bytes bytes = concat({dataset(105, "Headline"), dataset(120, "Caption text")});
    bytes.resize(bytes.size() - 1);
    IptcRecord r = parsed(bytes);
    EXPECT_EQ(r.fields[14], "Headline");
    EXPECT_EQ(r.fields[18], "");
    // A dataset header cut after its number: nothing more is read.
    r = parsed(concat({dataset(105, "H"), Bytes{0x1C, 0x02, 120, 0}}));
    EXPECT_EQ(r.fields[14], "H");
    // A lone 0x1C at the very end.
    r = parsed(concat({dataset(105, "H"), Bytes{0x1C}}));
    EXPECT_EQ(r.fields[14], "H");
    parseIptc(nullptr, 10, r);
    EXPECT_EQ(r.fields[14], "H");
}

TEST(IptcParse, shortCreationDateLeavesDateCreatedEmpty) {
    IptcRecord r = parsed(concat({dataset(55, "20040730"), dataset(55, "2004")}));
    EXPECT_EQ(r.fields[6], "2004");
    EXPECT_EQ(r.fields[7], "");
    EXPECT_EQ(applyIptcTemplate(r, "[%date_created%]"), "[]");
}

TEST(IptcTemplate, replacesPlaceholdersInTableOrder) {
    IptcRecord r;
    r.fields[18] = "Harbour at dawn.";
    r.fields[8] = "Staff";
    EXPECT_EQ(applyIptcTemplate(r, "%caption_abstract% Photo by %byline_author%/AP."),
              "Harbour at dawn. Photo by Staff/AP.");
    EXPECT_EQ(applyIptcTemplate(r, "%unknown% %caption_abstract%"), "%unknown% Harbour at dawn.");
    // A value holding a later placeholder is filled too; an earlier one stays as it is.
    r.fields[14] = "%caption_abstract% and %object_name%";
    EXPECT_EQ(applyIptcTemplate(r, "%headline%"), "Harbour at dawn. and %object_name%");
    EXPECT_EQ(applyIptcTemplate(IptcRecord{}, "%caption_abstract%"), "");
    for (int f = 0; f < IptcRecord::kFieldCount; ++f) {
        IptcRecord one;
        one.fields[f] = "X";
        const std::string placeholder = iptcPlaceholder(static_cast<IptcField>(f));
        if (f == 6) EXPECT_EQ(placeholder, "");
        else EXPECT_EQ(applyIptcTemplate(one, placeholder), "X") << placeholder;
    }
}

TEST(IptcTemplate, captionDropsLineBreaksOfTheTemplate) {
    IptcRecord r;
    r.fields[14] = "Head";
    r.fields[18] = "Caption";
    EXPECT_EQ(iptcCaption(r, "%headline%\r\n%caption_abstract%"), "HeadCaption");
    EXPECT_EQ(iptcCaption(IptcRecord{}, "%caption_abstract%"), "");
}

TEST(IptcTemplate, macintoshTextIsConverted) {
    IptcRecord r =
        parsed(concat({dataset(120, "Caf\x8A \rnext\r\rline"), dataset(80, "M\x9Aller")}));
    EXPECT_EQ(iptcCaption(r, "%mac_roman%%caption_abstract%"), "Caf\xC3\xA4 next  line");
    // Template text keeps its own characters through the round trip.
    EXPECT_EQ(iptcCaption(r, "\xC3\x9C"
                             "ber %byline_author%%mac_roman%"),
              "\xC3\x9C"
              "ber M\xC3\xB6ller");
    // Without the marker the bytes stay as they are.
    EXPECT_EQ(iptcCaption(r, "%byline_author%"), "M\x9Aller");
}

// readIptc on files: a real camera file with APP13 sections inserted after its start.
class IptcFile : public ::testing::Test {
protected:
    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/metadata";
        std::filesystem::create_directories(dir);
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static Bytes camera() {
        std::ifstream in(test::testPhoto("cameras/Canon_40D.jpg"), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(IptcFile, readsTheFirstApp13Section) {
    Bytes jpeg = camera();
    const Bytes first =
        testing::section(0xED, concat({photoshopHeader(), dataset(120, "Harbour")}));
    const Bytes second = testing::section(0xED, dataset(120, "Second"));
    jpeg.insert(jpeg.begin() + 2, second.begin(), second.end());
    jpeg.insert(jpeg.begin() + 2, first.begin(), first.end());
    IptcRecord r;
    ASSERT_TRUE(readIptc(write("iptc.jpg", jpeg), r));
    EXPECT_EQ(r.fields[18], "Harbour");
    EXPECT_EQ(iptcCaption(r, "%caption_abstract%"), "Harbour");
}

TEST_F(IptcFile, fileWithoutIptcOrUnreadable) {
    IptcRecord r;
    EXPECT_TRUE(readIptc(write("plain.jpg", camera()), r));
    for (const std::string& f : r.fields) EXPECT_EQ(f, "");
    EXPECT_FALSE(readIptc("/nonexistent/kavlo/none.jpg", r));
    EXPECT_FALSE(readIptc(write("text.jpg", Bytes{'n', 'o', 't'}), r));
    // Cut inside the header: libjpeg's error comes back as false, nothing is printed.
    Bytes cut = camera();
    cut.resize(600);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(readIptc(write("cut.jpg", cut), r));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace kavlo::metadata
