// SPDX-License-Identifier: MIT
#include "storage/resource_values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kavlo::storage {
namespace fs = std::filesystem;

namespace {

std::string writeXml(const std::string& name, const std::string& bytes) {
    const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/storage/resource_values";
    fs::create_directories(dir);
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string doc(const std::string& attributes) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<resource>\r\n<values\r\n" + attributes +
           "/>\r\n</resource>\r\n";
}

std::string get(const ResourceValues& v, const std::string& key) {
    std::string value = "<absent>";
    v.find(key, value);
    return value;
}

}  // namespace

TEST(ResourceValues, readsValuesWithEntitiesDecodedAndLineBreaksNormalised) {
    ResourceValues v;
    ASSERT_TRUE(v.load(writeXml("basic.xml", doc("  title     = \"Tom &amp; Jerry\"\r\n"
                                                 "  q         = \"say &quot;hi&quot; &lt;3\"\r\n"
                                                 "  multi     = \"one\r\ntwo\"\r\n"
                                                 "  Small     = \"yes\"\r\n"
                                                 "  utf       = \"Z\xC3\xBCrich\"\r\n"))));
    EXPECT_EQ(get(v, "title"), "Tom & Jerry");
    EXPECT_EQ(get(v, "q"), "say \"hi\" <3");
    EXPECT_EQ(get(v, "multi"), "one two");
    EXPECT_EQ(get(v, "utf"), "Z\xC3\xBCrich");
    EXPECT_EQ(get(v, "small"), "<absent>");  // keys are case-sensitive
    EXPECT_EQ(v.getString("Small"), "yes");
    EXPECT_THROW(v.getString("small"), MissingKey);
    std::string kept = "kept";
    EXPECT_FALSE(v.find("nothing", kept));
    EXPECT_EQ(kept, "kept");
}

TEST(ResourceValues, onlyElementsNamedValuesContributeInDocumentOrderFirstMatchWins) {
    ResourceValues v;
    ASSERT_TRUE(v.load(writeXml("several.xml",
                                "<r><values a=\"1\" dup=\"first\"/><x><values b=\"2\"/></x>"
                                "<Values c=\"3\"/><value d=\"4\"/><values dup=\"second\"/></r>")));
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v.keyAt(0), "a");
    EXPECT_EQ(v.keyAt(1), "dup");
    EXPECT_EQ(v.keyAt(2), "b");
    EXPECT_EQ(v.keyAt(3), "dup");
    EXPECT_EQ(v.valueAt(3), "second");
    EXPECT_EQ(get(v, "dup"), "first");
    EXPECT_EQ(get(v, "c"), "<absent>");
    EXPECT_EQ(get(v, "d"), "<absent>");

    ResourceValues empty;
    ASSERT_TRUE(empty.load(writeXml("novalues.xml", "<resource><other a=\"1\"/></resource>")));
    EXPECT_EQ(empty.size(), 0u);
}

TEST(ResourceValues, getIntReadsLikeStreamExtractionAndTreatsGarbageAsAbsent) {
    ResourceValues v;
    ASSERT_TRUE(
        v.load(writeXml("ints.xml", doc("  a=\"12\" b=\" 12\" c=\"12px\" d=\"-5\" e=\"042\" "
                                        "f=\"+7\" g=\"2147483647\" h=\"-2147483648\" "
                                        "i=\"2147483648\" j=\"px12\" k=\"\" l=\"-\" "
                                        "m=\"99999999999999999999\" n=\"\t\r\n3\"\r\n"))));
    EXPECT_EQ(v.getInt("a"), 12);
    EXPECT_EQ(v.getInt("b"), 12);
    EXPECT_EQ(v.getInt("c"), 12);
    EXPECT_EQ(v.getInt("d"), -5);
    EXPECT_EQ(v.getInt("e"), 42);
    EXPECT_EQ(v.getInt("f"), 7);
    EXPECT_EQ(v.getInt("g"), 2147483647);
    EXPECT_EQ(v.getInt("h"), -2147483647 - 1);
    EXPECT_EQ(v.getInt("n"), 3);
    for (const char* bad : {"i", "j", "k", "l", "m", "absent"}) {
        EXPECT_THROW(v.getInt(bad), MissingKey) << bad;
    }
}

TEST(ResourceValues, reportsMissingAndMalformedFiles) {
    testing::internal::CaptureStdout();
    ResourceValues missing;
    EXPECT_FALSE(missing.load(std::string(KAVLO_TEST_OUTPUT) + "/storage/does-not-exist.xml"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: resource file not found.\n");

    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"empty.xml", "", "no element found at line 1\n"},
        {"cut.xml", "<resource>\n<values a=\"1\"", nullptr},
        {"dupattr.xml", "<resource>\n<values a=\"1\" a=\"2\"/></resource>",
         "duplicate attribute at line 2\n"},
        {"badutf8.xml", "<?xml version=\"1.0\" encoding=\"utf-8\"?><r><values a=\"\xE9\"/></r>",
         nullptr},
        {"trailing.xml", "<r/><r/>", nullptr},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        ResourceValues v;
        EXPECT_FALSE(v.load(writeXml(c.name, c.bytes))) << c.name;
        const std::string err = testing::internal::GetCapturedStderr();
        if (c.message) {
            EXPECT_EQ(err, c.message) << c.name;
        } else {
            EXPECT_NE(err.find(" at line "), std::string::npos) << c.name;
        }
    }
}

TEST(ResourceValues, loadsFilesAroundTheBlockSize) {
    // Files of exactly one and two blocks end with a zero-length last block.
    for (std::size_t total : {9999u, 10000u, 10001u, 20000u}) {
        std::string head = "<resource><values k=\"";
        std::string tail = "\"/></resource>";
        std::string padding(total - head.size() - tail.size(), 'x');
        const std::string bytes = head + padding + tail;
        ASSERT_EQ(bytes.size(), total);
        ResourceValues v;
        ASSERT_TRUE(v.load(writeXml("block" + std::to_string(total) + ".xml", bytes))) << total;
        EXPECT_EQ(v.getString("k"), padding);
    }
}

TEST(ResourceValues, refusesDoctypeEntitiesAndOversizedDocuments) {
    const std::string bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY a \"aaaaaaaaaa\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n]>\n<r><values x=\"&c;\"/></r>";
    testing::internal::CaptureStderr();
    ResourceValues v;
    EXPECT_FALSE(v.load(writeXml("bomb.xml", bomb)));
    EXPECT_EQ(v.size(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "document type declarations are not accepted at line 2\n");

    testing::internal::CaptureStderr();
    ResourceValues plainDoctype;
    EXPECT_FALSE(
        plainDoctype.load(writeXml("doctype.xml", "<!DOCTYPE r><r><values a=\"1\"/></r>")));
    testing::internal::GetCapturedStderr();

    ResourceLimits limits;
    limits.maxPairs = 3;
    testing::internal::CaptureStderr();
    ResourceValues few(limits);
    EXPECT_FALSE(
        few.load(writeXml("many.xml", "<r><values a=\"1\" b=\"2\" c=\"3\" d=\"4\"/></r>")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("limits"), std::string::npos);

    limits = ResourceLimits{};
    limits.maxValueBytes = 100;
    testing::internal::CaptureStderr();
    ResourceValues small(limits);
    EXPECT_FALSE(
        small.load(writeXml("big.xml", "<r><values a=\"" + std::string(200, 'x') + "\"/></r>")));
    testing::internal::GetCapturedStderr();
    ResourceValues fits(limits);
    EXPECT_TRUE(
        fits.load(writeXml("fits.xml", "<r><values a=\"" + std::string(90, 'x') + "\"/></r>")));
}

}  // namespace kavlo::storage
