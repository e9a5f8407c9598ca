// SPDX-License-Identifier: MIT
// A Platform that plays a script: each expected message box or folder chooser comes
// with its answer. Unexpected calls fail the test; every call is recorded.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/platform.h"

namespace kavlo::test {

class ScriptedPlatform : public Platform {
public:
    /// The next call must be a message box with this caption whose text starts with
    /// `textStart`; it is answered with `answer`.
    void expectMessage(std::string caption, std::string textStart,
                       MessageAnswer answer = MessageAnswer::Ok) {
        m_script.push_back({Step::Box, std::move(caption), std::move(textStart), answer, {}});
    }
    /// The next call must be a folder chooser whose title starts with `titleStart`.
    void expectFolder(FolderChoice choice, std::string titleStart = {}) {
        m_script.push_back(
            {Step::Folder, {}, std::move(titleStart), MessageAnswer::Cancel, std::move(choice)});
    }

    MessageAnswer messageBox(const Message& m) override {
        messages.push_back(m);
        if (m_script.empty() || m_script.front().kind != Step::Box) {
            ADD_FAILURE() << "unexpected message box: " << m.caption << ": " << m.text;
            return MessageAnswer::Cancel;
        }
        Step s = m_script.front();
        m_script.pop_front();
        EXPECT_EQ(m.caption, s.caption) << m.text;
        EXPECT_EQ(m.text.substr(0, s.text.size()), s.text);
        return s.answer;
    }
    FolderChoice chooseFolder(const FolderRequest& r) override {
        folders.push_back(r);
        if (m_script.empty() || m_script.front().kind != Step::Folder) {
            ADD_FAILURE() << "unexpected folder chooser: " << r.title;
            return FolderChoice::cancel();
        }
        Step s = m_script.front();
        m_script.pop_front();
        EXPECT_EQ(r.title.substr(0, s.text.size()), s.text);
        return s.folder;
    }
    std::optional<Colour> chooseColour(Colour, CustomColours&) override {
        ADD_FAILURE() << "unexpected colour chooser";
        return std::nullopt;
    }
    bool openWithDefaultProgram(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
    void setWaitCursor(bool on) override { waitCursor = on; }

    /// Every scripted call happened.
    bool finished() const { return m_script.empty(); }

    std::vector<Message> messages;
    std::vector<FolderRequest> folders;
    std::vector<std::string> opened;
    bool waitCursor = false;

private:
    struct Step {
        enum Kind { Box, Folder } kind;
        std::string caption;
        std::string text;
        MessageAnswer answer;
        FolderChoice folder;
    };
    std::deque<Step> m_script;
};

}  // namespace kavlo::test
