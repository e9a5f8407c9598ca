// SPDX-License-Identifier: MIT
// The album pages byte for byte: albumdef.js, the viewer galleries and the photo-frame
// slideshow for an album with awkward texts, compared with hand-written fixtures.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/page_writers.h"
#include "storage/album_info.h"
#include "test_support.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::core {

using model::AlbumModel;
using storage::writeAlbumInfo;
using util::replaceAll;
using util::ReplacementMap;
using util::versionString;

namespace {

namespace fs = std::filesystem;
using test::readAll;

const std::string kFixtures = std::string(KAVLO_FIXTURES) + "/core/awkward/";

struct AwkwardAlbum {
    AlbumModel model;
    SizeLists sizes;
    AwkwardAlbum(const std::string& dest) {
        model.title = "Tom's \"Trip\" & <Rome> caf\xC3\xA9 \xE2\x82\xAC";
        model.intro = "Line one\r\nLine two";
        model.footer = "\xC2\xA9 2024 - Powered by Kavlo";
        model.destdir = dest;
        model.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
        model.settings.linkurl = "http://example.org/?a=1&b=2";
        model.settings.linktext = "My \"site\"";
        model.images = {
            {"/p/a.jpg", "It's a \"test\" & <b>bold</b>", "back\\"},
            {"/p/b.jpg", "two\r\nlines]]>end", ""},
            {"/p/c.jpg", "",
             "\xC3\xBCn\xC3\xAF"
             "code"},
        };
        sizes.smallW = {80, 53, 80};
        sizes.smallH = {53, 80, 60};
        sizes.mainW = {552, 368, 552};
        sizes.mainH = {368, 552, 414};
    }
};

TEST(NumberArray, oneNumberEmptyListAndPadding) {
    std::string out;
    writeNumberArray(out, "smallWidth", {80});
    EXPECT_EQ(out, "var smallWidth    = new Array( 80, ''  );\n");
    out.clear();
    writeNumberArray(out, "smallWidth", {});
    EXPECT_EQ(out, "var smallWidth    = new Array(  );\n");
    out.clear();
    writeNumberArray(out, "mediumHeight", {1, 2});
    EXPECT_EQ(out, "var mediumHeight  = new Array( 1, 2 );\n");
}

TEST(AlbumPages, matchTheFixturesByteForByte) {
    const std::string dest = test::scratchFolder("awkward");
    AwkwardAlbum a(dest);
    a.model.settings.simpleviewer = true;
    ASSERT_TRUE(writeHtmlAlbum(a.model, a.sizes));
    EXPECT_EQ(readAll(dest + "/ext/js/albumdef.js"), readAll(kFixtures + "albumdef.js"));
    ASSERT_TRUE(writeSimpleViewerGallery(a.model, "gallery.xml"));
    EXPECT_EQ(readAll(dest + "/gallery.xml"), readAll(kFixtures + "gallery.xml"));
    std::string svIndex = readAll(kFixtures + "simpleviewer_index.html");
    svIndex = replaceAll(svIndex, "@VERSION@", versionString("ProductVersion"));
    EXPECT_EQ(readAll(dest + "/index.html"), svIndex);
    // The HTML album's own start page is kept beside it.
    EXPECT_NE(readAll(dest + "/index_html.html").find("<body>album</body>"), std::string::npos);
    ASSERT_TRUE(writeAutoViewerGallery(a.model, a.sizes, "gallerydata.xml"));
    EXPECT_EQ(readAll(dest + "/gallerydata.xml"), readAll(kFixtures + "gallerydata.xml"));
    ASSERT_TRUE(writeSlideshow(a.model, "slideshow.alb"));
    EXPECT_EQ(readAll(dest + "/slideshow.alb"), readAll(kFixtures + "slideshow.alb"));
}

TEST(AlbumPages, albumInformationFileMatchesTheFixture) {
    const std::string dest = test::scratchFolder("awkwardinfo");
    AwkwardAlbum a(dest);
    a.model.destdir = "/albums/Rome & Co";
    a.model.settings.itfontfile = "/fonts/a.ttf";
    ASSERT_TRUE(writeAlbumInfo(a.model, dest + "/albuminfo.xml"));
    EXPECT_EQ(readAll(dest + "/albuminfo.xml"), readAll(kFixtures + "albuminfo.xml"));
}

TEST(AlbumPages, templateFilesAreCopiedAndInstantiated) {
    const std::string dest = test::scratchFolder("templatecopies");
    AwkwardAlbum a(dest);
    a.model.settings.appearance = "light";
    a.model.settings.language = "de";
    a.model.settings.large = true;
    a.sizes.largeW = {1024, 683, 1024};
    a.sizes.largeH = {683, 1024, 768};
    ASSERT_TRUE(writeHtmlAlbum(a.model, a.sizes));
    EXPECT_EQ(readAll(dest + "/ext/css/appearance.css"), "body{light}\n");
    EXPECT_EQ(readAll(dest + "/ext/js/langdef.js"), "var lang=\"de\";\n");
    EXPECT_EQ(readAll(dest + "/index.html"), "<html><!-- Kavlo " + versionString("ProductVersion") +
                                                 " -->\r\n<body>album</body></html>\r\n");
    for (const char* f : {"ext/js/index.js",      "autorun.inf",         "ext/html/medium.html",
                          "ext/js/medium.js",     "ext/html/small.html", "ext/js/small.js",
                          "ext/html/large.html",  "ext/js/large.js",     "ext/kavlo.ico",
                          "ext/js/common.js",     "ext/js/data.js",      "ext/js/html.js",
                          "ext/js/captions.js",   "ext/js/intro.js",     "ext/js/strip.js",
                          "ext/js/viewer.js",     "ext/js/zoom.js",      "ext/js/lightbox.js",
                          "ext/js/navigation.js", "ext/js/slideshow.js"}) {
        EXPECT_TRUE(fs::exists(dest + "/" + f)) << f;
    }
    EXPECT_TRUE(fs::is_directory(dest + "/ext/xml"));
    const std::string js = readAll(dest + "/ext/js/albumdef.js");
    EXPECT_NE(js.find("var largeWidth    = new Array( 1024, 683, 1024 );\r\n"), std::string::npos);
    EXPECT_NE(js.find("var minLargeH     = 683;\r\n"), std::string::npos);
    EXPECT_NE(js.find("var largeImages   = 1;\r\n"), std::string::npos);

    // Regenerating replaces every copied and instantiated file.
    for (const char* f :
         {"index.html", "ext/js/common.js", "ext/css/appearance.css", "ext/js/albumdef.js"}) {
        test::writeAll(dest + "/" + f, "stale");
    }
    ASSERT_TRUE(writeHtmlAlbum(a.model, a.sizes));
    EXPECT_EQ(readAll(dest + "/ext/js/common.js"), "common\n");
    EXPECT_EQ(readAll(dest + "/ext/css/appearance.css"), "body{light}\n");
    EXPECT_EQ(readAll(dest + "/ext/js/albumdef.js"), js);
    EXPECT_NE(readAll(dest + "/index.html"), "stale");

    // A skin name that is not a plain name selects nothing outside the template set.
    const std::string dest2 = test::scratchFolder("templatetraversal");
    AwkwardAlbum b(dest2);
    b.model.settings.appearance = "../../../../../etc/x";
    ASSERT_TRUE(writeHtmlAlbum(b.model, b.sizes));
    EXPECT_FALSE(fs::exists(dest2 + "/ext/css/appearance.css"));
}

TEST(AlbumPages, noThumbnailsMeansNoSmallPagesAndNone) {
    const std::string dest = test::scratchFolder("nothumbs");
    AwkwardAlbum a(dest);
    a.model.settings.small = false;
    a.model.intro.clear();
    a.sizes.smallW.clear();
    a.sizes.smallH.clear();
    ASSERT_TRUE(writeHtmlAlbum(a.model, a.sizes));
    const std::string js = readAll(dest + "/ext/js/albumdef.js");
    EXPECT_EQ(js.find("smallWidth"), std::string::npos);
    EXPECT_EQ(js.find("minSmallW"), std::string::npos);
    EXPECT_NE(js.find("var smallPos      = 'none';\r\n"), std::string::npos);
    EXPECT_NE(js.find("var currentImage  = 0;\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(dest + "/ext/html/small.html"));
    EXPECT_FALSE(fs::exists(dest + "/ext/js/small.js"));
    EXPECT_FALSE(fs::exists(dest + "/ext/js/large.js"));
    EXPECT_NE(simpleViewerGalleryText(a.model).find("thumbnailColumns=\"0\" thumbnailRows=\"0\" "),
              std::string::npos);
}

TEST(StartPage, titleDescriptionPreviewAndPlainListAreEscapedForHtml) {
    AwkwardAlbum a(test::scratchFolder("startpage"));
    a.model.settings.mdir = "main #1";
    ReplacementMap map = startPageReplacements(a.model, a.sizes, false);
    EXPECT_EQ(map["%%KAVLO_TITLE%%"],
              "Tom's &quot;Trip&quot; &amp; &lt;Rome&gt; caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(map["%%KAVLO_DESCRIPTION%%"], "Line one Line two");
    // The URL is percent-encoded, and "%" itself written as a character reference.
    EXPECT_EQ(map["%%KAVLO_PREVIEW%%"], "main&#37;20&#37;231/0001.jpg");
    EXPECT_EQ(map["%%KAVLO_RENDITIONS%%"], "");
    EXPECT_EQ(map["%%KAVLO_VERSION%%"], versionString("ProductVersion"));
    const std::string& list = map["%%KAVLO_NOSCRIPT%%"];
    EXPECT_NE(list.find("<li><img src=\"main&#37;20&#37;231/0001.jpg\" alt=\"It's a "
                        "&quot;test&quot; &amp; bold\" "
                        "width=\"552\" height=\"368\" loading=\"lazy\"></li>\n"),
              std::string::npos)
        << list;
    // A photo without a major caption takes its minor caption as alternative text.
    EXPECT_NE(list.find("alt=\"\xC3\xBCn\xC3\xAF"
                        "code\""),
              std::string::npos)
        << list;
    EXPECT_EQ(startPageReplacements(a.model, a.sizes, true)["%%KAVLO_RENDITIONS%%"],
              "<script src=\"ext/js/renditions.js\"></script>");
}

TEST(StartPage, insertedTextsNeverReadAsPlaceholdersAndKeepCharacterReferences) {
    AlbumModel m;
    m.title = "100% %%KAVLO_VERSION%% caf&eacute; &#233; & &;";
    m.images = {{"/p/a.jpg", "<script>x</script>%%KAVLO_TITLE%%", ""}};
    ReplacementMap map = startPageReplacements(m, SizeLists{}, false);
    EXPECT_EQ(map["%%KAVLO_TITLE%%"],
              "100&#37; &#37;&#37;KAVLO_VERSION&#37;&#37; caf&eacute; &#233; &amp; &amp;;");
    // No introduction: the first major caption, its tags dropped, describes the album.
    EXPECT_EQ(map["%%KAVLO_DESCRIPTION%%"], "x &#37;&#37;KAVLO_TITLE&#37;&#37;");
    EXPECT_EQ(map["%%KAVLO_NOSCRIPT%%"].find("width="), std::string::npos);  // no sizes known
    m.title.clear();
    m.images.clear();
    map = startPageReplacements(m, SizeLists{}, false);
    EXPECT_EQ(map["%%KAVLO_TITLE%%"], "Photo album");
    EXPECT_EQ(map["%%KAVLO_PREVIEW%%"], "");
    EXPECT_EQ(map["%%KAVLO_NOSCRIPT%%"], "\n<ol class=\"kv-plain-list\">\n</ol>\n");
}

TEST(StartPage, longIntroductionIsCutAtACharacterAndTheListAtAThousandPhotos) {
    AlbumModel m;
    m.intro = std::string(299, 'a') + "\xC3\xA9\xC3\xA9";
    for (int i = 0; i < 1001; ++i) m.images.push_back({"/p/a.jpg", "", ""});
    ReplacementMap map = startPageReplacements(m, SizeLists{}, false);
    EXPECT_EQ(map["%%KAVLO_DESCRIPTION%%"], std::string(299, 'a') + "\xE2\x80\xA6");
    const std::string& list = map["%%KAVLO_NOSCRIPT%%"];
    size_t items = 0;
    for (size_t at = list.find("<li>"); at != std::string::npos; at = list.find("<li>", at + 1))
        ++items;
    EXPECT_EQ(items, 1000u);
}

TEST(StartPage, pagesLoadTheRenditionsOnlyWhereTheAlbumHasThem) {
    const std::string dest = test::scratchFolder("renditionspages");
    AwkwardAlbum a(dest);
    ASSERT_TRUE(writeHtmlAlbum(a.model, a.sizes));
    EXPECT_EQ(readAll(dest + "/ext/html/medium.html"),
              "<html>medium " + versionString("ProductVersion") + "</html>\r\n");
    test::writeAll(dest + "/ext/js/renditions.js", "var renditions = {};\r\n");
    ASSERT_TRUE(writeHtmlAlbum(a.model, a.sizes));
    EXPECT_EQ(readAll(dest + "/ext/html/medium.html"),
              "<html>medium " + versionString("ProductVersion") +
                  "<script src=\"../js/renditions.js\"></script></html>\r\n");
}

TEST(ViewerTexts, FootersLinksAndZoom) {
    EXPECT_EQ(viewerFooterBase("Me - Powered by Kavlo"), "Me");
    EXPECT_EQ(viewerFooterBase("Me- Powered by Kavlo and Powered by Kavlo"), "Me and");
    EXPECT_EQ(cdataSafe("a]]>b]]>"), "a]]]]><![CDATA[>b]]]]><![CDATA[>");

    AlbumModel m;
    m.images = {{"/p/a.jpg", "", ""}, {"/p/b.jpg", "x & y", ""}};
    m.settings.large = true;
    const std::string g = simpleViewerGalleryText(m);
    EXPECT_NE(g.find("<caption><![CDATA[<a target=\"_blank\" "
                     "href=\"large/0001.jpg\"><u>Zoom</u></a>]]></caption>"),
              std::string::npos);
    EXPECT_NE(
        g.find("<caption><![CDATA[x & y<br/><br/><a target=\"_blank\" href=\"large/0002.jpg\">"),
        std::string::npos);

    const std::string dest = test::scratchFolder("svlinkonly");
    m.destdir = dest;
    m.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
    m.footer = "Powered by Kavlo";
    m.settings.linkurl = "u";
    m.settings.linktext = "t";
    fs::create_directories(dest + "/ext/js");
    ASSERT_TRUE(writeSimpleViewerGallery(m, "gallery.xml"));
    EXPECT_NE(
        readAll(dest + "/index.html").find("<f>%3Ca href=%22u%22%3E%3Cu%3Et%3C/u%3E%3C/a%3E</f>"),
        std::string::npos);
    EXPECT_EQ(readAll(dest + "/ext/viewer.swf"), "SWF");
    EXPECT_EQ(readAll(dest + "/ext/space.png"), "PNG");
}

TEST(ViewerTexts, slideshowOfThreeImagesHasTenLines) {
    // Two header lines, title, slide duration, slides opening, three slides, two closing.
    AlbumModel m;
    m.title = "t";
    m.images = {{"/p/a.jpg", "", ""}, {"/p/b.jpg", "", ""}, {"/p/c.jpg", "", ""}};
    const std::string s = slideshowText(m);
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), 10);
    EXPECT_NE(s.find("    <slide>medium\\0002.jpg</slide>\n"), std::string::npos);
}

}  // namespace
}  // namespace kavlo::core
