// SPDX-License-Identifier: MIT
#include "ui/iptc_format_dialog.h"

#include "util/text.h"

namespace kavlo::ui {

using util::replaceAll;

namespace {
constexpr const char* kMacRomanToken = "%mac_roman%";
}

IptcFormatDialog::IptcFormatDialog(std::string format) : m_text(std::move(format)) {}

void IptcFormatDialog::toggleMacRoman() {
    m_macRoman = !m_macRoman;
    m_text = replaceAll(m_text, kMacRomanToken, "");
    if (m_macRoman) m_text = kMacRomanToken + m_text;
}

const std::vector<std::string>& IptcFormatDialog::fields() {
    static const std::vector<std::string> list = {
        "%object_name%",
        "%urgency%",
        "%category%",
        "%supplemental_categories%",
        "%keywords%",
        "%special_instructions%",
        "%date_created%",
        "%byline_author%",
        "%byline_title%",
        "%city%",
        "%province_state%",
        "%country%",
        "%original_transmission_reference%",
        "%headline%",
        "%credit%",
        "%source%",
        "%copyright_notice%",
        "%caption_abstract%",
        "%writer_editor%",
    };
    return list;
}

std::string IptcFormatDialog::fieldListText() {
    std::string text;
    for (const auto& f : fields()) {
        if (!text.empty()) text += '\n';
        text += f;
    }
    return text;
}

const char* IptcFormatDialog::exampleText() {
    return "Example: the format\n"
           "%caption_abstract% Photo by %byline_author%/AP.\n"
           "could give the caption\n"
           "Fishing boats return to the harbour at dawn after a stormy night at sea. "
           "Photo by Jane Doe/AP.";
}

}  // namespace kavlo::ui
