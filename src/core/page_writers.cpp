// SPDX-License-Identifier: MIT
// Album pages: albumdef.js and the template copies, the viewer galleries, the slideshow.
#include "core/page_writers.h"

#include <algorithm>

#include "core/image_pipeline.h"
#include "util/files.h"
#include "util/positions.h"
#include "util/text.h"

namespace kavlo::core {

using model::AlbumModel;
using model::AlbumSettings;
using model::ImageEntry;
using util::colorToHex;
using util::copyFile;
using util::createFolder;
using util::crlfToBr;
using util::Durability;
using util::format;
using util::htmlEscape;
using util::instantiateTemplate;
using util::isPlainFolderName;
using util::jsEscape;
using util::percentEscape;
using util::repairUtf8;
using util::replaceAll;
using util::ReplacementMap;
using util::stripPositionName;
using util::utf8ToLatin1;
using util::versionString;
using util::writeTextFile;

namespace {

std::pair<int, int> minMax(const std::vector<int>& v) {
    if (v.empty()) return {0, 0};
    auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return {*lo, *hi};
}

std::string esc(const std::string& text) { return jsEscape(text, true); }

/// "'a', 'b'" for the script arrays of texts.
std::string quotedList(const std::vector<std::string>& items) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        out += "'" + esc(items[i]) + "'";
        if (i + 1 < items.size()) out += ", ";
    }
    return out;
}

std::vector<std::string> imageNames(const AlbumModel& model) {
    std::vector<std::string> names;
    names.reserve(model.images.size());
    for (size_t i = 0; i < model.images.size(); ++i) {
        names.push_back(albumImageName(model.settings, model.images[i], static_cast<int>(i)));
    }
    return names;
}

}  // namespace

void writeNumberArray(std::string& out, const std::string& name, const std::vector<int>& list) {
    out += format("var %-14s= new Array( ", name.c_str());
    for (size_t i = 0; i < list.size(); ++i) {
        out += format("%i%s", list[i], i + 1 < list.size() ? ", " : "");
    }
    if (list.size() == 1) out += ", '' ";
    out += " );\n";
}

std::string albumDefinitionText(const AlbumModel& model, const SizeLists& sizes) {
    const AlbumSettings& s = model.settings;
    std::string out;
    out += format("var title         = '%s';\n", esc(model.title).c_str());
    out += format("var intro         = '%s';\n", esc(crlfToBr(model.intro, false)).c_str());
    out += format("var footer        = '%s';\n", esc(model.footer).c_str());
    out += format("var nbImages      = %i;\n", static_cast<int>(model.images.size()));
    out += format("var smallDir      = '%s';\n", s.sdir.c_str());
    out += format("var mediumDir     = '%s';\n", s.mdir.c_str());
    out += format("var largeDir      = '%s';\n", s.ldir.c_str());
    out += format("var smallImages   = %i;\n", s.small ? 1 : 0);
    out += format("var largeImages   = %i;\n", s.large ? 1 : 0);
    out += format("var currentImage  = %i;\n", model.intro.empty() ? 0 : -1);
    out += "var imageFilename = new Array( " + quotedList(imageNames(model)) + " );\n";

    auto limits = [&out](const char* cls, const std::vector<int>& w, const std::vector<int>& h) {
        auto [minW, maxW] = minMax(w);
        auto [minH, maxH] = minMax(h);
        out += format("var %-14s= %i;\n", format("min%sW", cls).c_str(), minW);
        out += format("var %-14s= %i;\n", format("min%sH", cls).c_str(), minH);
        out += format("var %-14s= %i;\n", format("max%sW", cls).c_str(), maxW);
        out += format("var %-14s= %i;\n", format("max%sH", cls).c_str(), maxH);
    };
    if (s.small) {
        writeNumberArray(out, "smallWidth", sizes.smallW);
        writeNumberArray(out, "smallHeight", sizes.smallH);
        limits("Small", sizes.smallW, sizes.smallH);
    }
    if (!sizes.mainH.empty()) {
        writeNumberArray(out, "mediumWidth", sizes.mainW);
        writeNumberArray(out, "mediumHeight", sizes.mainH);
        limits("Medium", sizes.mainW, sizes.mainH);
    }
    if (s.large) {
        writeNumberArray(out, "largeWidth", sizes.largeW);
        writeNumberArray(out, "largeHeight", sizes.largeH);
        limits("Large", sizes.largeW, sizes.largeH);
    }
    std::vector<std::string> major, minor;
    for (const ImageEntry& e : model.images) {
        major.push_back(e.macap);
        minor.push_back(e.micap);
    }
    out += "var majorCaption  = new Array( " + quotedList(major) + " );\n";
    out += "var minorCaption  = new Array( " + quotedList(minor) + " );\n";
    out += format("var smallPos      = '%s';\n",
                  s.small ? stripPositionName(s.smallpos).c_str() : "none");
    out += "var clinks_href   = new Array();\n";
    out += "var clinks_txt    = new Array();\n";
    out += format("var slink_href    = '%s';\n", esc(s.linkurl).c_str());
    out += format("var slink_txt     = '%s';\n", esc(s.linktext).c_str());
    return out;
}

bool writeHtmlAlbum(const AlbumModel& model, const SizeLists& sizes) {
    const AlbumSettings& s = model.settings;
    const std::string& d = model.destdir;
    const std::string t = s.templatedir + "/js2";
    for (const char* sub : {"/ext", "/ext/css", "/ext/html", "/ext/js", "/ext/xml"}) {
        createFolder(d + sub);
    }
    const ReplacementMap map{{"%%KAVLO_VERSION%%", versionString("ProductVersion")}};
    bool ok = instantiateTemplate(t + "/index.html", d + "/index.html", map);
    copyFile(t + "/ext/js/index.js", d + "/ext/js/index.js");
    copyFile(t + "/autorun.inf", d + "/autorun.inf");
    instantiateTemplate(t + "/ext/html/medium.html", d + "/ext/html/medium.html", map);
    copyFile(t + "/ext/js/medium.js", d + "/ext/js/medium.js");
    if (s.small) {
        instantiateTemplate(t + "/ext/html/small.html", d + "/ext/html/small.html", map);
        copyFile(t + "/ext/js/small.js", d + "/ext/js/small.js");
    }
    if (s.large) {
        instantiateTemplate(t + "/ext/html/large.html", d + "/ext/html/large.html", map);
    }
    copyFile(t + "/ext/kavlo.ico", d + "/ext/kavlo.ico");
    // Skin and language names come from files: only plain names select a template.
    if (isPlainFolderName(s.appearance)) {
        copyFile(t + "/ext/css/appearance_" + s.appearance + ".css", d + "/ext/css/appearance.css");
    }
    copyFile(t + "/ext/js/common.js", d + "/ext/js/common.js");
    if (isPlainFolderName(s.language)) {
        copyFile(t + "/ext/js/langdef_" + s.language + ".js", d + "/ext/js/langdef.js");
    }
    ok = writeTextFile(d + "/ext/js/albumdef.js", albumDefinitionText(model, sizes),
                       Durability::RenameOnly) &&
         ok;
    return ok;
}

std::string viewerFooterBase(const std::string& footer) {
    std::string f = footer;
    for (const char* credit :
         {" - Powered by Kavlo", "- Powered by Kavlo", " Powered by Kavlo", "Powered by Kavlo"}) {
        f = replaceAll(f, credit, "");
    }
    return f;
}

std::string cdataSafe(const std::string& text) {
    return replaceAll(text, "]]>", "]]]]><![CDATA[>");
}

namespace {

std::string simpleViewerFooter(const AlbumModel& model) {
    const AlbumSettings& s = model.settings;
    std::string f = viewerFooterBase(model.footer);
    const char* sep = " &nbsp; :: &nbsp; ";
    if (!s.linkurl.empty()) {
        if (!f.empty()) f += sep;
        f += "<a href=\"" + s.linkurl + "\"><u>" + s.linktext + "</u></a>";
    }
    if (!model.intro.empty()) {
        if (!f.empty()) f += sep;
        f += "<a href=\"index.html\"><u>Home</u></a>";
    }
    return repairUtf8(percentEscape(f));
}

}  // namespace

std::string simpleViewerGalleryText(const AlbumModel& model) {
    const AlbumSettings& s = model.settings;
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    out += "<simpleviewerGallery ";
    out += format("maxImageWidth=\"%i\" ", s.mhsize);
    out += format("maxImageHeight=\"%i\" ", s.mvsize);
    out += format("textColor=\"0x%s\" ", colorToHex(s.svtextcolor).c_str());
    out += format("frameColor=\"0x%s\" ", colorToHex(s.svframecolor).c_str());
    out += format("frameWidth=\"%i\" ", s.svframesize);
    out += format("stagePadding=\"%i\" ", s.svstagepadding);
    out += format("thumbnailColumns=\"%i\" ", s.small ? s.svthumbcols : 0);
    out += format("thumbnailRows=\"%i\" ", s.small ? s.svthumbrows : 0);
    out += format("navPosition=\"%s\" ", stripPositionName(s.smallpos).c_str());
    out += format("title=\"%s\" ", htmlEscape(model.title, true).c_str());
    out += "enableRightClickOpen=\"false\" ";
    out += "backgroundImagePath=\"ext/kavlo_sv.swf\" ";
    out += format("imagePath=\"%s/\" ", s.mdir.c_str());
    out += format("thumbPath=\"%s/\">\n", s.sdir.c_str());
    for (size_t i = 0; i < model.images.size(); ++i) {
        const ImageEntry& e = model.images[i];
        const std::string name = albumImageName(s, e, static_cast<int>(i));
        out += "  <image>\n";
        out += "    <name>" + htmlEscape(name, true) + "</name>\n";
        const std::string c = repairUtf8(e.macap);
        if (s.large) {
            std::string content = c.empty() ? std::string() : c + "<br/><br/>";
            content += "<a target=\"_blank\" href=\"" + s.ldir + "/" + repairUtf8(name) +
                       "\"><u>Zoom</u></a>";
            out += "    <caption><![CDATA[" + cdataSafe(content) + "]]></caption>\n";
        } else if (!c.empty()) {
            out += "    <caption><![CDATA[" + cdataSafe(c) + "]]></caption>\n";
        } else {
            out += "    <caption></caption>\n";
        }
        out += "  </image>\n";
    }
    out += "</simpleviewerGallery>";
    return out;
}

bool writeSimpleViewerGallery(const AlbumModel& model, const std::string& galleryName) {
    const AlbumSettings& s = model.settings;
    const std::string& d = model.destdir;
    const std::string t = s.templatedir + "/simpleviewer";
    copyFile(d + "/index.html", d + "/index_html.html");
    copyFile(t + "/ext/viewer.swf", d + "/ext/viewer.swf");
    copyFile(t + "/ext/kavlo_sv.swf", d + "/ext/kavlo_sv.swf");
    copyFile(t + "/ext/js/swfobject.js", d + "/ext/js/swfobject.js");
    copyFile(t + "/space.png", d + "/ext/space.png");
    const std::string textColour = colorToHex(s.svtextcolor);
    const ReplacementMap map{
        {"%%KAVLO_VERSION%%", versionString("ProductVersion")},
        {"%%BGCOLOR%%", "#" + colorToHex(s.svbgcolor)},
        {"%%TEXTCOLOR%%", "#" + textColour},
        {"%%TEXTCOLOR_FLASH%%", "0x" + textColour},
        {"%%FRAMECOLOR%%", "#" + colorToHex(s.svframecolor)},
        {"%%TITLE%%", repairUtf8(model.title)},
        {"%%INTRO%%", repairUtf8(crlfToBr(model.intro, true))},
        {"%%INTRO_PRESENT%%", model.intro.empty() ? "0" : "1"},
        {"%%FOOTER%%", simpleViewerFooter(model)},
    };
    bool ok = instantiateTemplate(t + "/index.html", d + "/index.html", map);
    return writeTextFile(d + "/" + galleryName, simpleViewerGalleryText(model),
                         Durability::RenameOnly) &&
           ok;
}

std::string autoViewerGalleryText(const AlbumModel& model, const SizeLists& sizes) {
    const AlbumSettings& s = model.settings;
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    out += "<gallery ";
    out += format("title=\"%s\" ", htmlEscape(model.title, true).c_str());
    out += format("frameColor=\"0x%s\" ", colorToHex(s.svframecolor).c_str());
    out += format("frameWidth=\"%i\" ", s.svframesize);
    out += format("imagePadding=\"%i\" ", s.svstagepadding);
    out += format("displayTime=\"%i\" ", 5);
    out += format("imagePath=\"%s/\" ", s.mdir.c_str());
    out += format("thumbPath=\"%s/\">\n", s.sdir.c_str());
    for (size_t i = 0; i < model.images.size(); ++i) {
        const ImageEntry& e = model.images[i];
        out += "  <image>\n";
        out += "    <name>" + htmlEscape(albumImageName(s, e, static_cast<int>(i)), true) +
               "</name>\n";
        if (!e.macap.empty()) {
            out += "    <caption><![CDATA[" + htmlEscape(e.macap, true) + "]]></caption>\n";
        } else {
            out += "    <caption></caption>\n";
        }
        const int w = i < sizes.mainW.size() ? sizes.mainW[i] : 0;
        const int h = i < sizes.mainH.size() ? sizes.mainH[i] : 0;
        out += format("    <width>%i</width>\n", w);
        out += format("    <height>%i</height>\n", h);
        out += "  </image>\n";
    }
    out += "</gallery>";
    return out;
}

bool writeAutoViewerGallery(const AlbumModel& model, const SizeLists& sizes,
                            const std::string& galleryName) {
    const AlbumSettings& s = model.settings;
    const std::string& d = model.destdir;
    const std::string t = s.templatedir + "/autoviewer";
    copyFile(d + "/index.html", d + "/index_html.html");
    copyFile(t + "/viewer.swf", d + "/viewer.swf");
    copyFile(t + "/swfobject.js", d + "/ext/swfobject.js");
    copyFile(t + "/kavlo.ico", d + "/kavlo.ico");
    const ReplacementMap map{
        {"%%KAVLO_VERSION%%", versionString("ProductVersion")},
        {"%%BGCOLOR%%", "#" + colorToHex(s.svbgcolor)},
        {"%%TEXTCOLOR%%", "#" + colorToHex(s.svtextcolor)},
        {"%%ALBUMTITLE%%", repairUtf8(model.title)},
        {"%%ALBUMFOOTER%%", repairUtf8(viewerFooterBase(model.footer))},
    };
    bool ok = instantiateTemplate(t + "/index.html", d + "/index.html", map);
    return writeTextFile(d + "/" + galleryName, autoViewerGalleryText(model, sizes),
                         Durability::RenameOnly) &&
           ok;
}

std::string slideshowText(const AlbumModel& model) {
    const AlbumSettings& s = model.settings;
    std::string out = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n";
    out += "<philips-slideshow version=\"1.0\" >\n";
    out += "  <title>" + utf8ToLatin1(htmlEscape(model.title, false)) + "</title>\n";
    out += "  <slide-duration>50</slide-duration>\n";
    out += "  <slides>\n";
    for (size_t i = 0; i < model.images.size(); ++i) {
        const std::string name = albumImageName(s, model.images[i], static_cast<int>(i));
        out += "    <slide>" + utf8ToLatin1(htmlEscape(s.mdir + "\\" + name, false)) + "</slide>\n";
    }
    out += "  </slides>\n";
    out += "</philips-slideshow>\n";
    return out;
}

bool writeSlideshow(const AlbumModel& model, const std::string& fileName) {
    return writeTextFile(model.destdir + "/" + fileName, slideshowText(model),
                         Durability::RenameOnly);
}

}  // namespace kavlo::core
