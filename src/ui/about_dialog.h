// SPDX-License-Identifier: MIT
// The "About" window and the help page: product name and version, links to the help
// page and the read-me shipped with Kavlo, the libraries, fonts and test photographs
// it owes with their licences, and "&Help", which opens readme.html in the browser.
#pragma once

#include <string>
#include <vector>

#include "core/platform.h"

namespace kavlo::ui {

/// A link label: the text it shows and what a click opens.
struct LinkTarget {
    std::string text;
    std::string target;
};

/// One acknowledgement: what Kavlo uses and under which licence.
struct Credit {
    std::string name;
    std::string licence;
};

/// Full path of the help page beside the program (or under share/kavlo).
std::string helpPagePath();
/// Full path of the project's read-me shipped beside the help page.
std::string readmePath();
/// Opens the help page with the default program; a missing page or a failing open is
/// not reported.
void openHelp(core::Platform& platform);

class AboutDialog {
public:
    AboutDialog();

    /// "Kavlo  -  version " followed by the product version, built once.
    const std::string& versionLine() const { return m_versionLine; }

    /// The help page and the read-me, as files on this computer.
    static LinkTarget helpPage();
    static LinkTarget readme();
    /// The SimpleViewer product page, shown after the viewer credit line.
    static LinkTarget simpleViewer();

    static std::string authorLine();
    static std::string licenceText();
    static std::string disclaimerText();
    static std::string acknowledgementText();
    /// The libraries Kavlo is built on and the fonts it uses, with their licences.
    static std::vector<Credit> credits();
    /// Where the test photographs come from.
    static std::string testPhotoCredit();
    /// The line crediting the SimpleViewer author; the simpleViewer() link follows it.
    static std::string simpleViewerCredit();

private:
    std::string m_versionLine;
};

}  // namespace kavlo::ui
