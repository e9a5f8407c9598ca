// SPDX-License-Identifier: MIT
// The folder chooser: a folder tree and an editable path. A typed path may name a
// folder that does not exist yet when its parent does (it is made when needed); one
// whose parent is missing too is refused with a warning and the chooser stays open.
// Optionally a button makes a new folder under the selected one.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "core/platform.h"

class QFileSystemModel;
class QLineEdit;
class QTreeView;
class QLabel;
class QPushButton;

namespace kavlo::qt {

/// The folder a typed path names: trimmed, "~" expanded, relative paths taken from
/// `base`, cleaned, without a trailing "/" (except the root). "" for an empty text.
std::string resolveTypedFolder(const std::string& typed, const std::string& base);

class FolderChooserDialog : public QDialog {
    Q_OBJECT
public:
    FolderChooserDialog(core::Platform& platform, const core::FolderRequest& request,
                        QWidget* parent = nullptr);

    /// The chosen folder after the dialog was accepted ("" when the path was empty).
    const std::string& chosenPath() const { return m_chosen; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void selectFolder(const QString& path);
    void makeNewFolder();
    std::string currentFolder() const;

    core::Platform& m_platform;
    QFileSystemModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_newFolder = nullptr;
    std::string m_chosen;
};

}  // namespace kavlo::qt
