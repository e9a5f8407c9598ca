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

class ScriptedPlatform : public core::Platform {
public:
    /// The next call must be a message box with this caption whose text starts with
    /// `textStart`; it is answered with `answer`.
    void expectMessage(std::string caption, std::string textStart,
                       core::MessageAnswer answer = core::MessageAnswer::Ok) {
        m_script.push_back({Step::Box, std::move(caption), std::move(textStart), answer, {}});
    }
    /// The next call must be a folder chooser whose title starts with `titleStart`.
    void expectFolder(core::FolderChoice choice, std::string titleStart = {}) {
        m_script.push_back({Step::Folder,
                            {},
                            std::move(titleStart),
                            core::MessageAnswer::Cancel,
                            std::move(choice)});
    }

    core::MessageAnswer messageBox(const core::Message& m) override {
        messages.push_back(m);
        if (m_script.empty() || m_script.front().kind != Step::Box) {
            ADD_FAILURE() << "unexpected message box: " << m.caption << ": " << m.text;
            return core::MessageAnswer::Cancel;
        }
        Step s = m_script.front();
        m_script.pop_front();
        EXPECT_EQ(m.caption, s.caption) << m.text;
        EXPECT_EQ(m.text.substr(0, s.text.size()), s.text);
        return s.answer;
    }
    core::FolderChoice chooseFolder(const core::FolderRequest& r) override {
        folders.push_back(r);
        if (m_script.empty() || m_script.front().kind != Step::Folder) {
            ADD_FAILURE() << "unexpected folder chooser: " << r.title;
            return core::FolderChoice::cancel();
        }
        Step s = m_script.front();
        m_script.pop_front();
        EXPECT_EQ(r.title.substr(0, s.text.size()), s.text);
        return s.folder;
    }
    std::optional<util::Colour> chooseColour(util::Colour, core::CustomColours&) override {
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

    std::vector<core::Message> messages;
    std::vector<core::FolderRequest> folders;
    std::vector<std::string> opened;
    bool waitCursor = false;

private:
    struct Step {
        enum Kind { Box, Folder } kind;
        std::string caption;
        std::string text;
        core::MessageAnswer answer;
        core::FolderChoice folder;
    };
    std::deque<Step> m_script;
};

}  // namespace kavlo::test
