// SPDX-License-Identifier: MIT
// Album pages: albumdef.js and the template copies, the viewer galleries, the slideshow.
#include "core/page_writers.h"

#include <algorithm>
#include <cctype>

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
using util::fileExists;
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

// The scripts of the album view, one concern each, copied into every album (the
// overview's small.js and the large page's large.js only where those pages exist).
constexpr const char* kAlbumScripts[] = {
    "common.js", "data.js", "html.js",     "captions.js",   "intro.js",     "strip.js",
    "viewer.js", "zoom.js", "lightbox.js", "navigation.js", "slideshow.js", "medium.js"};

std::vector<std::string> imageNames(const AlbumModel& model) {
    std::vector<std::string> names;
    names.reserve(model.images.size());
    for (size_t i = 0; i < model.images.size(); ++i) {
        names.push_back(albumImageName(model.settings, model.images[i], static_cast<int>(i)));
    }
    return names;
}

/// Text for the start page's markup: HTML-escaped, UTF-8, and "%" written as a
/// character reference so that no inserted text reads as a template placeholder.
/// Character references already in the text (&eacute; &#233;) are kept.
std::string pageText(const std::string& text) {
    const std::string utf8 = repairUtf8(text);
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '&') {
            size_t j = i + 1;
            if (j < utf8.size() && utf8[j] == '#') ++j;
            while (j < utf8.size() && j - i < 12 &&
                   std::isalnum(static_cast<unsigned char>(utf8[j])))
                ++j;
            const bool reference =
                j < utf8.size() && utf8[j] == ';' && j > i + 1 && utf8[j - 1] != '#';
            out += reference ? "&" : "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"') {
            out += "&quot;";
        } else if (c == '%') {
            out += "&#37;";
        } else {
            out += c;
        }
    }
    return out;
}

/// The text of a caption that may hold HTML: tags dropped (a line break becomes a
/// blank), runs of white space made one blank, trimmed.
std::string plainCaption(const std::string& html) {
    std::string out;
    bool inTag = false;
    for (char c : html) {
        if (inTag) {
            if (c == '>') {
                inTag = false;
                out += ' ';
            }
        } else if (c == '<') {
            inTag = true;
        } else {
            out += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
        }
    }
    std::string collapsed;
    for (char c : out) {
        if (c == ' ' && (collapsed.empty() || collapsed.back() == ' ')) continue;
        collapsed += c;
    }
    while (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
    return collapsed;
}

/// At most `limit` bytes of UTF-8 text, cut before a character, "…" marking a cut.
std::string shortened(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end) + "\xE2\x80\xA6";
}

/// A relative URL of an album file: every byte outside the unreserved set of
/// URLs percent-encoded, the folder's "/" kept.
std::string fileUrl(const std::string& folder, const std::string& file) {
    auto encode = [](const std::string& text, bool keepSlash) {
        static const char* hex = "0123456789ABCDEF";
        std::string out;
        for (unsigned char c : text) {
            if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' ||
                (keepSlash && c == '/')) {
                out += static_cast<char>(c);
            } else {
                out += '%';
                out += hex[c >> 4];
                out += hex[c & 15];
            }
        }
        return out;
    };
    return encode(repairUtf8(folder), true) + "/" + encode(repairUtf8(file), false);
}

/// The photos as a plain list of main images with their captions as alternative
/// text, for visitors without scripts. The first kPlainListLimit photos only: the
/// list is part of the start page every visitor loads, so it must not grow without
/// bound with the album.
constexpr size_t kPlainListLimit = 1000;
std::string plainPhotoList(const AlbumModel& model, const SizeLists& sizes) {
    std::string out = "\n<ol class=\"kv-plain-list\">\n";
    const std::vector<std::string> names = imageNames(model);
    for (size_t i = 0; i < names.size() && i < kPlainListLimit; ++i) {
        const ImageEntry& e = model.images[i];
        std::string alt = plainCaption(e.macap);
        if (alt.empty()) alt = plainCaption(e.micap);
        out += "<li><img src=\"" + pageText(fileUrl(model.settings.mdir, names[i])) + "\" alt=\"" +
               pageText(alt) + "\"";
        if (i < sizes.mainW.size() && i < sizes.mainH.size() && sizes.mainW[i] > 0) {
            out += format(" width=\"%i\" height=\"%i\"", sizes.mainW[i], sizes.mainH[i]);
        }
        out += " loading=\"lazy\"></li>\n";
    }
    return out + "</ol>\n";
}

}  // namespace

ReplacementMap startPageReplacements(const AlbumModel& model, const SizeLists& sizes,
                                     bool renditions) {
    const std::string title = model.title.empty() ? "Photo album" : model.title;
    std::string description = plainCaption(crlfToBr(model.intro, false));
    for (size_t i = 0; description.empty() && i < model.images.size(); ++i) {
        description = plainCaption(model.images[i].macap);
    }
    if (description.empty()) description = model.title;
    const std::vector<std::string> names = imageNames(model);
    return {
        {"%%KAVLO_VERSION%%", versionString("ProductVersion")},
        {"%%KAVLO_TITLE%%", pageText(title)},
        {"%%KAVLO_DESCRIPTION%%", pageText(shortened(repairUtf8(description), 300))},
        {"%%KAVLO_PREVIEW%%",
         names.empty() ? std::string() : pageText(fileUrl(model.settings.mdir, names[0]))},
        {"%%KAVLO_NOSCRIPT%%", plainPhotoList(model, sizes)},
        {"%%KAVLO_RENDITIONS%%",
         renditions ? "<script src=\"ext/js/renditions.js\"></script>" : ""},
    };
}

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
    // Pages load ext/js/renditions.js only where the album has one (written before the pages).
    const bool renditions = fileExists(d + "/ext/js/renditions.js");
    const ReplacementMap map{{"%%KAVLO_VERSION%%", versionString("ProductVersion")},
                             {"%%KAVLO_RENDITIONS%%",
                              renditions ? "<script src=\"../js/renditions.js\"></script>" : ""}};
    bool ok = instantiateTemplate(t + "/index.html", d + "/index.html",
                                  startPageReplacements(model, sizes, renditions));
    copyFile(t + "/ext/js/index.js", d + "/ext/js/index.js");
    copyFile(t + "/autorun.inf", d + "/autorun.inf");
    instantiateTemplate(t + "/ext/html/medium.html", d + "/ext/html/medium.html", map);
    for (const char* script : kAlbumScripts) {
        copyFile(t + "/ext/js/" + script, d + "/ext/js/" + script);
    }
    if (s.small) {
        instantiateTemplate(t + "/ext/html/small.html", d + "/ext/html/small.html", map);
        copyFile(t + "/ext/js/small.js", d + "/ext/js/small.js");
    }
    if (s.large) {
        instantiateTemplate(t + "/ext/html/large.html", d + "/ext/html/large.html", map);
        copyFile(t + "/ext/js/large.js", d + "/ext/js/large.js");
    }
    copyFile(t + "/ext/kavlo.ico", d + "/ext/kavlo.ico");
    // Skin and language names come from files: only plain names select a template.
    if (isPlainFolderName(s.appearance)) {
        copyFile(t + "/ext/css/appearance_" + s.appearance + ".css", d + "/ext/css/appearance.css");
    }
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
