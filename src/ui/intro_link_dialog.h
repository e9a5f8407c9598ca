// SPDX-License-Identifier: MIT
// The "Introduction and Link Editor": the album's welcome text and its extra link.
//
// The introduction is kept with CR LF line breaks. Text boxes of the toolkit work
// with LF, so the view converts at the boundary with toEditText()/fromEditText();
// an introduction the user did not change comes back byte for byte as it was, even
// when it held line breaks of another form.
#pragma once

#include <string>

namespace kavlo::ui {

class IntroLinkDialog {
public:
    IntroLinkDialog(std::string intro, std::string linkText, std::string linkUrl);

    /// "This text is optional and may contain HTML codes. ..."
    static const char* introductionNote();
    /// The hint beside "Link &URL".
    static const char* urlHint();
    /// "This link is optional. ..."
    static const char* linkNote();

    const std::string& intro() const { return m_intro; }
    const std::string& linkText() const { return m_linkText; }
    const std::string& linkUrl() const { return m_linkUrl; }

    /// The introduction as the multi-line box shows it: CR LF (and a lone CR) as LF.
    std::string introEditText() const { return toEditText(m_intro); }
    /// Takes the box's text back: unchanged text keeps the stored bytes, changed text
    /// gets CR LF line breaks.
    void setIntroFromEdit(const std::string& lfText);
    void setLinkText(std::string text) { m_linkText = std::move(text); }
    void setLinkUrl(std::string url) { m_linkUrl = std::move(url); }

    /// CR LF and lone CR become LF.
    static std::string toEditText(const std::string& crlf);
    /// Every line break (LF, CR LF or lone CR) becomes CR LF.
    static std::string fromEditText(const std::string& text);

private:
    std::string m_intro;
    std::string m_linkText;
    std::string m_linkUrl;
};

}  // namespace kavlo::ui
