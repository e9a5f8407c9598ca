// SPDX-License-Identifier: MIT
#include "ui/about_dialog.h"

#include "ui/options_dialog.h"
#include "util/files.h"

namespace kavlo::ui {

using core::Platform;
using util::dataFolder;
using util::versionString;

std::string helpPagePath() { return dataFolder() + "readme.html"; }

void openHelp(Platform& platform) { platform.openWithDefaultProgram(helpPagePath()); }

AboutDialog::AboutDialog()
    : m_versionLine("Kavlo  -  version " + versionString("ProductVersion")) {}

LinkTarget AboutDialog::homepage() { return {"https://kavlo.example/", "https://kavlo.example/"}; }

LinkTarget AboutDialog::support() {
    return {"https://kavlo.example/support/", "https://kavlo.example/support/"};
}

LinkTarget AboutDialog::simpleViewer() {
    return {"Airtight Interactive.", "https://simpleviewer.net/"};
}

std::string AboutDialog::authorLine() { return "Copyright \xC2\xA9 2007 The Kavlo developers."; }

std::string AboutDialog::licenceText() {
    return "Kavlo is free software. You may use, copy and distribute it, and the albums you "
           "make with it are entirely yours.";
}

std::string AboutDialog::disclaimerText() {
    return "Kavlo is provided \"as is\", without warranty of any kind. The authors are not "
           "liable for any damage or loss of data arising from its use.";
}

std::string AboutDialog::acknowledgementText() {
    return "Kavlo uses the libjpeg library of the Independent JPEG Group, the LibTIFF library, "
           "the Expat XML parser, FreeType and Qt.";
}

std::string AboutDialog::simpleViewerCredit() {
    return "The SimpleViewer gallery style is credited to its original author and company,";
}

std::string AboutDialog::translatorsHeading() {
    return "All languages, except for English and Danish, have kindly been contributed by:";
}

std::vector<std::string> AboutDialog::translatorCredits() {
    // Every language of the album pages but the two the project wrote itself.
    std::vector<std::string> credits;
    for (const std::string& name : sortedDisplayNames(languageTable()))
        if (name != "English" && name != "Danish") credits.push_back("Volunteer (" + name + ")");
    return credits;
}

}  // namespace kavlo::ui
