// SPDX-License-Identifier: MIT
// The "IPTC Format" dialog: edits the caption template of the IPTC caption source.
//
// The Macintosh check box has no state of its own in the album: the option lives
// inside the template as a leading "%mac_roman%" token. The box therefore starts
// unchecked at every opening, and each click rewrites the template text.
#pragma once

#include <string>
#include <vector>

namespace kavlo::ui {

class IptcFormatDialog {
public:
    /// Opens on `format`, the box unchecked whatever the format holds.
    explicit IptcFormatDialog(std::string format);

    /// Text of the "&IPTC Format" box.
    const std::string& text() const { return m_text; }
    /// The user edited the box.
    void setText(std::string text) { m_text = std::move(text); }

    /// State of "Convert IPTC text from the &Macintosh format".
    bool macRoman() const { return m_macRoman; }
    /// A click on the box: every "%mac_roman%" leaves the text; when the box is now
    /// checked, one "%mac_roman%" is put in front.
    void toggleMacRoman();

    /// The format returned on OK: the box text as it stands.
    const std::string& format() const { return m_text; }

    /// The 19 placeholders of "Available IPTC &Fields", in list order.
    static const std::vector<std::string>& fields();
    /// The placeholders one per line (LF), as the field list shows them.
    static std::string fieldListText();
    /// The example under the field list: a format and a caption it could produce.
    static const char* exampleText();

private:
    std::string m_text;
    bool m_macRoman = false;
};

}  // namespace kavlo::ui
