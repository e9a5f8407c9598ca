// SPDX-License-Identifier: MIT
// The Platform of unattended runs in a terminal: every message box is printed to the
// error stream as "Caption: text" and every question takes the answer chosen on the
// command line, which never loses work. A folder chooser cannot be shown, so asking for
// one ends the run with a reason.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "core/platform.h"

namespace kavlo::ui {

/// Answers chosen on the command line.
struct UnattendedAnswers {
    bool overwrite = false;       ///< --overwrite: replace another album in the destination
    bool excludeMissing = false;  ///< --exclude-missing: leave out images that are gone
    bool addNew = false;          ///< --add-new: append images new to the input folder
};

class TerminalPlatform : public core::Platform {
public:
    /// `quiet`: only messages with the error icon are printed (the answers stay the same).
    explicit TerminalPlatform(UnattendedAnswers answers, std::FILE* err = stderr,
                              bool quiet = false);

    /// Called before a message is printed (the progress line makes room for it).
    void setBeforeMessage(std::function<void()> hook) { m_beforeMessage = std::move(hook); }

    core::MessageAnswer messageBox(const core::Message& message) override;
    core::FolderChoice chooseFolder(const core::FolderRequest& request) override;
    std::optional<util::Colour> chooseColour(util::Colour initial,
                                             core::CustomColours& custom) override;
    bool openWithDefaultProgram(const std::string& target) override;
    void setWaitCursor(bool) override {}

    /// Why the run cannot go on unattended; "" when nothing stopped it.
    const std::string& stopReason() const { return m_stopReason; }

private:
    UnattendedAnswers m_answers;
    std::FILE* m_err;
    bool m_quiet;
    std::function<void()> m_beforeMessage;
    core::MessageTopic m_lastTopic = core::MessageTopic::Notice;
    std::string m_lastCaption;
    std::string m_stopReason;
};

}  // namespace kavlo::ui
