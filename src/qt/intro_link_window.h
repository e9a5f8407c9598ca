// SPDX-License-Identifier: MIT
// The Qt view of the "Introduction and Link Editor" over IntroLinkDialog, and the
// line-break boundary of multi-line text boxes shared with the format dialogs.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kavlo::ui {
class IntroLinkDialog;
}  // namespace kavlo::ui

namespace kavlo::qt {

/// Text for a multi-line box: CR LF (and a lone CR) shown as line breaks.
void setMultiLineText(QPlainTextEdit* box, const std::string& crlfText);
/// The box's text with LF line breaks, every character kept (no-break spaces too).
std::string multiLineText(const QPlainTextEdit* box);

class IntroLinkWindow : public QDialog {
    Q_OBJECT
public:
    IntroLinkWindow(ui::IntroLinkDialog& logic, QWidget* parent = nullptr);
    /// OK: the three texts go back to the logic.
    void accept() override;

private:
    ui::IntroLinkDialog& m_logic;
    // The texts as first shown: a box the user did not change gives back the stored
    // bytes, whatever the round trip through QString would make of them.
    std::string m_shownIntro;
    QString m_shownLinkText;
    QString m_shownLinkUrl;
    QPlainTextEdit* m_introduction = nullptr;
    QLineEdit* m_linkText = nullptr;
    QLineEdit* m_linkUrl = nullptr;
    QLabel* m_urlHint = nullptr;
};

}  // namespace kavlo::qt
