// SPDX-License-Identifier: MIT
// The "About" window and the help page: product name and version, links to the
// project's pages, acknowledgements, and "&Help", which opens readme.html beside
// the program in the browser.
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

/// Full path of the help page beside the program.
std::string helpPagePath();
/// Opens the help page with the default program; a missing page or a failing open is
/// not reported.
void openHelp(core::Platform& platform);

class AboutDialog {
public:
    AboutDialog();

    /// "Kavlo  -  version " followed by the product version, built once.
    const std::string& versionLine() const { return m_versionLine; }

    static LinkTarget homepage();
    static LinkTarget support();
    /// The SimpleViewer product page, shown after the viewer credit line.
    static LinkTarget simpleViewer();

    static std::string authorLine();
    static std::string licenceText();
    static std::string disclaimerText();
    static std::string acknowledgementText();
    /// The line crediting the SimpleViewer author; the simpleViewer() link follows it.
    static std::string simpleViewerCredit();
    static std::string translatorsHeading();
    /// The translator credits, one entry per contributed language, shown in three
    /// columns.
    static std::vector<std::string> translatorCredits();

private:
    std::string m_versionLine;
};

}  // namespace kavlo::ui
