// SPDX-License-Identifier: MIT
// Unattended answers for the terminal.
#include "ui/terminal_platform.h"

#include "util/files.h"

namespace kavlo::ui {

using core::CustomColours;
using core::FolderChoice;
using core::FolderRequest;
using core::Message;
using core::MessageAnswer;
using core::MessageButtons;
using core::MessageIcon;
using core::MessageTopic;
using util::Colour;
using util::photoFormatNames;

TerminalPlatform::TerminalPlatform(UnattendedAnswers answers, std::FILE* err, bool quiet)
    : m_answers(answers), m_err(err), m_quiet(quiet) {}

MessageAnswer TerminalPlatform::messageBox(const Message& m) {
    const bool shown = !m_quiet || m.icon == MessageIcon::Error;
    if (shown) {
        if (m_beforeMessage) m_beforeMessage();
        std::fprintf(m_err, "%s: %s\n", m.caption.c_str(), m.text.c_str());
    }
    m_lastTopic = m.topic;
    m_lastCaption = m.caption;
    MessageAnswer answer = MessageAnswer::Ok;
    switch (m.topic) {
    case MessageTopic::OverwriteAlbum:
        answer = m_answers.overwrite ? MessageAnswer::Yes : MessageAnswer::No;
        if (!m_answers.overwrite) {
            m_stopReason = "the destination already holds an album; run again with --overwrite "
                           "to replace it";
        }
        break;
    case MessageTopic::MissingImages:
        answer = m_answers.excludeMissing ? MessageAnswer::Cancel : MessageAnswer::Ok;
        break;
    case MessageTopic::AllImagesMissing:
        answer = MessageAnswer::Cancel;
        m_stopReason = "none of the album's images can be found";
        break;
    case MessageTopic::NewImages:
        answer = m_answers.addNew ? MessageAnswer::Yes : MessageAnswer::No;
        break;
    case MessageTopic::Quit: answer = MessageAnswer::Yes; break;
    case MessageTopic::Notice:
        switch (m.buttons) {
        case MessageButtons::Ok: answer = MessageAnswer::Ok; break;
        case MessageButtons::OkCancel: answer = m.defaultAnswer.value_or(MessageAnswer::Ok); break;
        case MessageButtons::YesNo: answer = m.defaultAnswer.value_or(MessageAnswer::Yes); break;
        }
        break;
    }
    if (shown && m.buttons != MessageButtons::Ok) {
        const char* name = answer == MessageAnswer::Yes      ? "Yes"
                           : answer == MessageAnswer::No     ? "No"
                           : answer == MessageAnswer::Cancel ? "Cancel"
                                                             : "OK";
        std::fprintf(m_err, "(unattended answer: %s)\n", name);
    }
    return answer;
}

FolderChoice TerminalPlatform::chooseFolder(const FolderRequest&) {
    switch (m_lastTopic) {
    case MessageTopic::MissingImages:
        m_stopReason = "images of the album are missing; move them back, or run again with "
                       "--exclude-missing to leave them out";
        break;
    case MessageTopic::AllImagesMissing:
        m_stopReason = "none of the album's images can be found";
        break;
    default:
        if (m_lastCaption == "Warning") {
            m_stopReason = std::string("the folder holds no photos (") + photoFormatNames() + ")";
            break;
        }
        m_stopReason = "a folder chooser cannot be shown in the terminal; give a folder of "
                       "photos (or an album folder) on the command line";
        break;
    }
    return FolderChoice::cancel();
}

std::optional<Colour> TerminalPlatform::chooseColour(Colour, CustomColours&) {
    return std::nullopt;
}

bool TerminalPlatform::openWithDefaultProgram(const std::string& target) {
    if (!m_quiet) std::fprintf(m_err, "Open: %s\n", target.c_str());
    return false;
}

}  // namespace kavlo::ui
