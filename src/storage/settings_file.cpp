// SPDX-License-Identifier: MIT
// The settings file and the settings block.
#include "storage/settings_file.h"

#include <cstdio>
#include <cstdlib>

#include "storage/resource_values.h"
#include "storage/xml_text.h"
#include "util/diagnostics.h"
#include "util/files.h"
#include "util/positions.h"
#include "util/text.h"

namespace kavlo::storage {

using model::AlbumSettings;
using model::ExifCaptionPlace;
using util::colorToHex;
using util::Colour;
using util::createFolder;
using util::Diagnostic;
using util::ErrorCode;
using util::format;
using util::hexToColor;
using util::isPlainFolderName;
using util::parentFolderOf;
using util::repairUtf8;
using util::report;
using util::Severity;
using util::Stream;
using util::StripPosition;
using util::stripPositionFromName;
using util::stripPositionName;
using util::stripTrailingSeparator;
using util::textDiagnostic;
using util::WatermarkPosition;
using util::writeTextFile;

namespace {

// Each reader catches the missing-key exception itself, so that one absent or
// unreadable key leaves its field as it is and reading goes on with the next key.
void readFlag(const ResourceValues& v, const char* key, bool& field) {
    try {
        field = v.getString(key) == "yes";
    } catch (const MissingKey&) {}
}

void readInt(const ResourceValues& v, const char* key, int& field) {
    try {
        field = v.getInt(key);
    } catch (const MissingKey&) {}
}

void readText(const ResourceValues& v, const char* key, std::string& field) {
    try {
        field = repairUtf8(v.getString(key));
    } catch (const MissingKey&) {}
}

void readColour(const ResourceValues& v, const char* key, Colour& field) {
    try {
        hexToColor(v.getString(key), field);
    } catch (const MissingKey&) {}
}

void readPosition(const ResourceValues& v, const char* key, StripPosition& field) {
    try {
        if (const auto position = stripPositionFromName(v.getString(key))) field = *position;
    } catch (const MissingKey&) {}
}

// The number is kept as the file has it, even outside the named positions.
void readPosition(const ResourceValues& v, const char* key, WatermarkPosition& field) {
    int number = static_cast<int>(field);
    readInt(v, key, number);
    field = static_cast<WatermarkPosition>(number);
}

// The album's output folders are deleted and rewritten by every run, so a name read
// from a file must stay inside the album folder.
void readFolderName(const ResourceValues& v, const char* key, std::string& field,
                    const std::string& source) {
    try {
        const std::string name = repairUtf8(v.getString(key));
        if (isPlainFolderName(name)) {
            field = name;
        } else {
            Diagnostic d = textDiagnostic(
                Severity::warning, ErrorCode::invalidArgument, "readSettings",
                format("%s does not hold a plain folder name", key),
                format("Warning: %s%s%s does not hold a plain folder name; keeping \"%s\".\n", key,
                       source.empty() ? "" : " in ", source.c_str(), field.c_str()));
            d.file = source;
            d.stream = Stream::standardError;
            report(d);
        }
    } catch (const MissingKey&) {}
}

std::string flag(bool b) { return b ? "yes" : "no"; }

}  // namespace

void readSettings(AlbumSettings& s, const ResourceValues& v, const std::string& source) {
    // Text values are taken as the parser delivered them; the old single size keys
    // come first so that the newer width and height keys win.
    readText(v, "appearance", s.appearance);
    readText(v, "language", s.language);
    readFlag(v, "small", s.small);
    readInt(v, "ssize", s.svsize);
    readInt(v, "ssize", s.shsize);
    readInt(v, "svsize", s.svsize);
    readInt(v, "shsize", s.shsize);
    readInt(v, "squality", s.squality);
    readFlag(v, "ssharpen", s.ssharpen);
    readFolderName(v, "sdir", s.sdir, source);
    readPosition(v, "smallpos", s.smallpos);
    readInt(v, "msize", s.mvsize);
    readInt(v, "msize", s.mhsize);
    readInt(v, "mvsize", s.mvsize);
    readInt(v, "mhsize", s.mhsize);
    readInt(v, "mquality", s.mquality);
    readFlag(v, "msharpen", s.msharpen);
    readFolderName(v, "mdir", s.mdir, source);
    readFlag(v, "large", s.large);
    readInt(v, "lsize", s.lvsize);
    readInt(v, "lsize", s.lhsize);
    readInt(v, "lvsize", s.lvsize);
    readInt(v, "lhsize", s.lhsize);
    readInt(v, "lquality", s.lquality);
    readFlag(v, "lsharpen", s.lsharpen);
    readFolderName(v, "ldir", s.ldir, source);
    readFlag(v, "copyhires", s.copyhires);
    readFlag(v, "autorotate", s.autorotate);
    readText(v, "linktext", s.linktext);
    readText(v, "linkurl", s.linkurl);
    readText(v, "iptcformat", s.iptcformat);
    readText(v, "exifformat", s.exifformat);
    readFlag(v, "imagetext", s.imagetext);
    readText(v, "ittext", s.ittext);
    readFlag(v, "itfrommicap", s.itfrommicap);
    readText(v, "itfontfile", s.itfontfile);
    readInt(v, "itfontsize", s.itfontsize);
    readPosition(v, "itposition", s.itposition);
    readInt(v, "ittransp", s.ittransp);
    readColour(v, "itcolor", s.itcolor);
    readFlag(v, "orgfilenames", s.orgfilenames);
    readFlag(v, "simpleviewer", s.simpleviewer);
    readInt(v, "svframesize", s.svframesize);
    readInt(v, "svthumbrows", s.svthumbrows);
    readInt(v, "svthumbcols", s.svthumbcols);
    readInt(v, "svstagepadding", s.svstagepadding);
    readColour(v, "svbgcolor", s.svbgcolor);
    readColour(v, "svtextcolor", s.svtextcolor);
    readColour(v, "svframecolor", s.svframecolor);
    readFlag(v, "svcropthumbs", s.svcropthumbs);
    // Keys added later, in the order they were added; files without them keep the
    // value the settings had.
    readFlag(v, "renditions", s.renditions);
    readFlag(v, "striplocation", s.striplocation);
}

bool readSettings(AlbumSettings& settings, const std::string& path, ErrorCode* error) {
    ResourceValues values;
    if (!values.load(path, error)) return false;
    readSettings(settings, values, path);
    return true;
}

std::string writeSettings(const AlbumSettings& s, bool withEnvelope, bool withLinks) {
    std::string out;
    out.reserve(2048);
    if (withEnvelope) out += kResourceHeader;
    const auto text = [](const std::string& t) { return xmlAttributeText(t); };
    out += format("  appearance     = \"%s\"\n", text(s.appearance).c_str());
    out += format("  language       = \"%s\"\n", text(s.language).c_str());
    out += format("  small          = \"%s\"\n", flag(s.small).c_str());
    out += format("  shsize          = \"%i\"\n", s.shsize);
    out += format("  svsize          = \"%i\"\n", s.svsize);
    out += format("  squality       = \"%i\"\n", s.squality);
    out += format("  ssharpen       = \"%s\"\n", flag(s.ssharpen).c_str());
    out += format("  smallpos       = \"%s\"\n", stripPositionName(s.smallpos).c_str());
    out += format("  sdir           = \"%s\"\n", text(s.sdir).c_str());
    out += format("  mhsize          = \"%i\"\n", s.mhsize);
    out += format("  mvsize          = \"%i\"\n", s.mvsize);
    out += format("  mquality       = \"%i\"\n", s.mquality);
    out += format("  msharpen       = \"%s\"\n", flag(s.msharpen).c_str());
    out += format("  mdir           = \"%s\"\n", text(s.mdir).c_str());
    out += format("  large          = \"%s\"\n", flag(s.large).c_str());
    out += format("  lhsize          = \"%i\"\n", s.lhsize);
    out += format("  lvsize          = \"%i\"\n", s.lvsize);
    out += format("  lquality       = \"%i\"\n", s.lquality);
    out += format("  lsharpen       = \"%s\"\n", flag(s.lsharpen).c_str());
    out += format("  ldir           = \"%s\"\n", text(s.ldir).c_str());
    out += format("  copyhires      = \"%s\"\n", flag(s.copyhires).c_str());
    out += format("  autorotate     = \"%s\"\n", flag(s.autorotate).c_str());
    if (withLinks) {
        out += format("  linktext       = \"%s\"\n", text(s.linktext).c_str());
        out += format("  linkurl        = \"%s\"\n", text(s.linkurl).c_str());
    }
    out += format("  iptcformat     = \"%s\"\n", text(s.iptcformat).c_str());
    out += format("  exifformat     = \"%s\"\n", text(s.exifformat).c_str());
    out += format("  simpleviewer   = \"%s\"\n", flag(s.simpleviewer).c_str());
    out += format("  svframesize    = \"%i\"\n", s.svframesize);
    out += format("  svthumbrows    = \"%i\"\n", s.svthumbrows);
    out += format("  svthumbcols    = \"%i\"\n", s.svthumbcols);
    out += format("  svstagepadding = \"%i\"\n", s.svstagepadding);
    out += format("  svbgcolor      = \"%s\"\n", colorToHex(s.svbgcolor).c_str());
    out += format("  svtextcolor    = \"%s\"\n", colorToHex(s.svtextcolor).c_str());
    out += format("  svframecolor   = \"%s\"\n", colorToHex(s.svframecolor).c_str());
    out += format("  svcropthumbs   = \"%s\"\n", flag(s.svcropthumbs).c_str());
    out += format("  imagetext      = \"%s\"\n", flag(s.imagetext).c_str());
    out += format("  ittext         = \"%s\"\n", text(s.ittext).c_str());
    out += format("  itfrommicap    = \"%s\"\n", flag(s.itfrommicap).c_str());
    out += format("  itfontfile     = \"%s\"\n", text(s.itfontfile).c_str());
    out += format("  itfontsize     = \"%i\"\n", s.itfontsize);
    out += format("  itposition     = \"%i\"\n", static_cast<int>(s.itposition));
    out += format("  itcolor        = \"%s\"\n", colorToHex(s.itcolor).c_str());
    out += format("  ittransp       = \"%i\"\n", s.ittransp);
    out += format("  orgfilenames   = \"%s\"\n", flag(s.orgfilenames).c_str());
    // Keys added later: always written, after every older key, in the order they were
    // added.
    out += format("  renditions     = \"%s\"\n", flag(s.renditions).c_str());
    out += format("  striplocation  = \"%s\"\n", flag(s.striplocation).c_str());
    if (withEnvelope) out += kResourceFooter;
    return out;
}

std::string settingsFilePath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = stripTrailingSeparator(xdg);
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/kavlo/kavlo_settings.xml";
}

std::string settingsFileText(ExifCaptionPlace exifpos, const std::string& inputdir,
                             const AlbumSettings& settings, bool withLinks) {
    std::string text = kResourceHeader;
    text += format("  exifpos        = \"%i\"\n", static_cast<int>(exifpos));
    text += format("  inputdir       = \"%s\"\n", xmlAttributeText(inputdir).c_str());
    text += writeSettings(settings, false, withLinks);
    text += kResourceFooter;
    return text;
}

bool saveSettingsFile(const std::string& path, ExifCaptionPlace exifpos,
                      const std::string& inputdir, const AlbumSettings& settings) {
    const std::string text = settingsFileText(exifpos, inputdir, settings);
    const std::string folder = parentFolderOf(path);
    if (!folder.empty() && !createFolder(folder)) return false;
    return writeTextFile(path, text);
}

}  // namespace kavlo::storage
