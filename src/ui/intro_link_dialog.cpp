// SPDX-License-Identifier: MIT
#include "ui/intro_link_dialog.h"

namespace kavlo::ui {

IntroLinkDialog::IntroLinkDialog(std::string intro, std::string linkText, std::string linkUrl)
    : m_intro(std::move(intro)), m_linkText(std::move(linkText)), m_linkUrl(std::move(linkUrl)) {}

const char* IntroLinkDialog::introductionNote() {
    return "This text is optional and may contain HTML codes. It will be shown as a welcome "
           "page before the first image.";
}

const char* IntroLinkDialog::urlHint() {
    return "(absolute links must start with \"http://\" or \"https://\", for example "
           "https://www.example.com)";
}

const char* IntroLinkDialog::linkNote() {
    return "This link is optional. It can for example provide access to the main page of "
           "your site.";
}

void IntroLinkDialog::setIntroFromEdit(const std::string& lfText) {
    if (lfText == toEditText(m_intro)) return;
    m_intro = fromEditText(lfText);
}

std::string IntroLinkDialog::toEditText(const std::string& crlf) {
    std::string out;
    out.reserve(crlf.size());
    for (std::size_t i = 0; i < crlf.size(); ++i) {
        if (crlf[i] == '\r') {
            out += '\n';
            if (i + 1 < crlf.size() && crlf[i + 1] == '\n') ++i;
        } else {
            out += crlf[i];
        }
    }
    return out;
}

std::string IntroLinkDialog::fromEditText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace kavlo::ui
