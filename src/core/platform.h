// SPDX-License-Identifier: MIT
// The screen services the album logic needs: message boxes, the folder chooser, the
// colour chooser, opening a file with its default program and the wait cursor.
//
// Start-up and the window logic talk to the user only through this interface, so the
// same decisions run under the Qt windows, in the terminal and under a scripted
// implementation in the tests. Every method is called on the thread that drives the
// album logic.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "util/text.h"

namespace kavlo::core {

enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageIcon { Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

/// What a question is about. Front ends that cannot ask (the terminal) answer by
/// topic; the Qt windows ignore it.
enum class MessageTopic {
    Notice,            ///< a plain message: OK only
    OverwriteAlbum,    ///< "You are about to overwrite a previously generated album..."
    MissingImages,     ///< OK searches for the images, Cancel excludes the missing ones
    AllImagesMissing,  ///< OK searches for the images, Cancel exits
    NewImages,         ///< Yes adds the new images
    Quit,              ///< Yes quits and discards the captions
};

struct Message {
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::Information;
    /// Answer given by Enter; the first button when not set.
    std::optional<MessageAnswer> defaultAnswer;
    MessageTopic topic = MessageTopic::Notice;
};

/// What the folder chooser was asked for.
struct FolderRequest {
    std::string title;
    std::string initialSelection;
    bool newFolderButton = false;
};

/// The chosen folder; `cancelled` when the user closed the chooser without one.
struct FolderChoice {
    bool cancelled = true;
    std::string path;

    static FolderChoice cancel() { return {}; }
    static FolderChoice chosen(std::string p) { return {false, std::move(p)}; }
};

using CustomColours = std::array<util::Colour, 16>;

class Platform {
public:
    virtual ~Platform() = default;

    /// Shows a modal message box and returns the button pressed. OK-only boxes return Ok.
    virtual MessageAnswer messageBox(const Message& message) = 0;
    /// Modal folder chooser. A typed path that does not exist is refused by the
    /// chooser itself with "The typed-in directory does not exist." (caption "Warning").
    virtual FolderChoice chooseFolder(const FolderRequest& request) = 0;
    /// Modal colour chooser starting on `initial`; `custom` holds the 16 custom colours
    /// and receives the user's changes. Empty when cancelled.
    virtual std::optional<util::Colour> chooseColour(util::Colour initial,
                                                     CustomColours& custom) = 0;
    /// Opens a file, folder or web address with the desktop's default program.
    virtual bool openWithDefaultProgram(const std::string& target) = 0;
    /// Shows (true) or removes (false) the busy cursor.
    virtual void setWaitCursor(bool on) = 0;
    /// A notice that asks nothing (MessageButtons::Ok): the terminal prints it as a line
    /// like any message. By default a message box; a front end may show it without
    /// holding up the run.
    virtual void notify(const Message& message) { messageBox(message); }
};

/// Convenience for the common boxes.
inline Message makeMessage(std::string text, std::string caption, MessageButtons buttons,
                           MessageIcon icon, MessageTopic topic = MessageTopic::Notice) {
    Message m;
    m.text = std::move(text);
    m.caption = std::move(caption);
    m.buttons = buttons;
    m.icon = icon;
    m.topic = topic;
    return m;
}

}  // namespace kavlo::core
