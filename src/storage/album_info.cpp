// SPDX-License-Identifier: MIT
// The album information file.
#include "storage/album_info.h"

#include "storage/resource_values.h"
#include "storage/settings_file.h"
#include "storage/xml_text.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::storage {

using model::AlbumModel;
using model::defaultAlbumSettings;
using model::ImageEntry;
using util::base64Decode;
using util::base64Encode;
using util::brToCrlf;
using util::crlfToBr;
using util::format;
using util::htmlEscape;
using util::htmlUnescape;
using util::repairUtf8;
using util::writeTextFile;

namespace {

// Reads one text key into `field` when present; an absent key keeps the field.
template <typename Convert>
void readInto(const ResourceValues& v, const std::string& key, std::string& field,
              Convert convert) {
    try {
        field = convert(v.getString(key));
    } catch (const MissingKey&) {}
}

// Paths go through the same escaping as the other texts and then base64, so that
// their stored form is plain letters and digits. A path keeps its exact bytes: a
// file name that is not valid UTF-8 must name the same file when the album is
// reopened (base64 carries any byte, and valid UTF-8 is stored as before).
std::string encodePath(const std::string& path) { return base64Encode(htmlEscape(path, false)); }

// A path ends at its first NUL byte: that is the file every file operation opens, so
// the image is checked and copied as the file it really names.
std::string decodePath(const std::string& stored) {
    std::string path = htmlUnescape(base64Decode(stored), false);
    const std::size_t nul = path.find('\0');
    if (nul != std::string::npos) path.resize(nul);
    return path;
}

}  // namespace

std::string albumInfoText(const AlbumModel& m) {
    std::string out = kResourceHeader;
    out.reserve(1024 + m.images.size() * 160);
    out += "  desc      = \"Kavlo album information\"\n";
    out += format("  title     = \"%s\"\n", xmlAttributeText(m.title).c_str());
    out += format("  intro     = \"%s\"\n", xmlAttributeText(crlfToBr(m.intro, false)).c_str());
    out += format("  footer    = \"%s\"\n", xmlAttributeText(m.footer).c_str());
    out += format("  destdir   = \"%s\"\n", encodePath(m.destdir).c_str());
    out += format("  renderer  = \"%s\"\n", xmlAttributeText(m.rendererKind).c_str());
    for (std::size_t i = 0; i < m.images.size(); ++i) {
        const int n = static_cast<int>(i);
        const ImageEntry& e = m.images[i];
        out += format("  image%04i = \"%s\"\n", n, encodePath(e.path).c_str());
        out += format("  macap%04i = \"%s\"\n", n, xmlAttributeText(e.macap).c_str());
        out += format("  micap%04i = \"%s\"\n", n, xmlAttributeText(e.micap).c_str());
    }
    out += writeSettings(m.settings, false, true);
    out += kResourceFooter;
    return out;
}

bool writeAlbumInfo(const AlbumModel& model, const std::string& path) {
    return writeTextFile(path, albumInfoText(model));
}

bool readAlbumInfo(AlbumModel& m, const std::string& path, util::ErrorCode* error) {
    ResourceValues v;
    if (!v.load(path, error)) return false;

    const auto text = [](const std::string& s) { return repairUtf8(s); };
    readInto(v, "title", m.title, text);
    readInto(v, "intro", m.intro,
             [](const std::string& s) { return repairUtf8(brToCrlf(s, false)); });
    readInto(v, "footer", m.footer, text);
    readInto(v, "destdir", m.destdir, decodePath);

    std::string kind;
    if (v.find("renderer", kind)) {
        // "default" is the only renderer there is; any other kind falls back to it.
        m.rendererKind = "default";
        m.settings = defaultAlbumSettings();
    }

    m.images.clear();
    for (int n = 0;; ++n) {
        std::string stored;
        if (!v.find(format("image%04i", n), stored)) break;
        ImageEntry e;
        e.path = decodePath(stored);
        readInto(v, format("macap%04i", n), e.macap, text);
        readInto(v, format("micap%04i", n), e.micap, text);
        m.images.push_back(std::move(e));
    }

    readSettings(m.settings, v, path);
    return true;
}

}  // namespace kavlo::storage
