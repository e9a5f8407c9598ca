// SPDX-License-Identifier: MIT
#include "ui/about_dialog.h"

#include "util/files.h"

namespace kavlo::ui {

using core::Platform;
using util::dataFolder;
using util::versionString;

std::string helpPagePath() { return dataFolder() + "readme.html"; }

std::string readmePath() { return dataFolder() + "README.md"; }

void openHelp(Platform& platform) { platform.openWithDefaultProgram(helpPagePath()); }

AboutDialog::AboutDialog()
    : m_versionLine("Kavlo  -  version " + versionString("ProductVersion")) {}

LinkTarget AboutDialog::helpPage() { return {"readme.html", helpPagePath()}; }

LinkTarget AboutDialog::readme() { return {"README.md", readmePath()}; }

LinkTarget AboutDialog::simpleViewer() {
    return {"Airtight Interactive.", "https://simpleviewer.net/"};
}

std::string AboutDialog::authorLine() { return "Copyright \xC2\xA9 2007 The Kavlo developers."; }

std::string AboutDialog::licenceText() {
    return "Kavlo is free software under the MIT licence. You may use, copy and distribute it, "
           "and the albums you make with it are entirely yours.";
}

std::string AboutDialog::disclaimerText() {
    return "Kavlo is provided \"as is\", without warranty of any kind. The authors are not "
           "liable for any damage or loss of data arising from its use.";
}

std::string AboutDialog::acknowledgementText() {
    return "Kavlo is built on these libraries and uses these fonts, each under its own "
           "licence:";
}

std::vector<Credit> AboutDialog::credits() {
    return {
        {"libjpeg-turbo", "IJG, BSD-3-Clause and zlib licences"},
        {"LibTIFF", "libtiff licence"},
        {"libpng", "PNG Reference Library licence v2"},
        {"libwebp", "BSD-3-Clause"},
        {"libheif", "LGPL-3.0"},
        {"Little CMS", "MIT"},
        {"Expat", "MIT"},
        {"FreeType", "FreeType licence (FTL)"},
        {"Fontconfig", "MIT-style licence"},
        {"Qt 6", "LGPL-3.0"},
        {"DejaVu fonts", "Bitstream Vera licence"},
    };
}

std::string AboutDialog::testPhotoCredit() {
    return "The photographs Kavlo is tested with come from Wikimedia Commons, through the "
           "exif-samples collection; each keeps its author's licence.";
}

std::string AboutDialog::simpleViewerCredit() {
    return "The SimpleViewer gallery style is credited to its original author and company,";
}

}  // namespace kavlo::ui
