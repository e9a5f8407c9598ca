// SPDX-License-Identifier: MIT
// The Qt view of the main window over MainDialog: title and footer, the destination
// with "change", the progress bar, the four buttons, and the run driven one image per
// event-loop turn so the window stays responsive.
#pragma once

#include <QDialog>
#include <QLabel>
#include <functional>
#include <memory>

#include "ui/main_dialog.h"

class QLineEdit;
class QPushButton;
class QMenu;

namespace kavlo::qt {

class AlbumEditorWindow;
class CLinkLabel;
class TextProgressBar;

/// The destination folder text: elided in the middle when long; a double click
/// reports itself.
class DestinationLabel : public QLabel {
    Q_OBJECT
public:
    explicit DestinationLabel(QWidget* parent = nullptr);
    void setPath(const QString& path);
    std::function<void()> doubleClicked;
    QSize minimumSizeHint() const override;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString m_path;
};

class MainWindow : public QDialog {
    Q_OBJECT
public:
    MainWindow(ui::MainDialog& logic, core::Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Fills the fields; in an unattended run posts Start. Call before show().
    void open();
    /// Shows the logic's state in the widgets.
    void sync();

    /// The window's actions (also what the buttons do).
    void start();
    void editAlbum();
    void options();
    void about();
    void changeDestination();

    /// How the modal windows are run; tests replace these to avoid blocking.
    std::function<bool(QDialog&)> runModal;

    /// The window menu with "&About Kavlo..." (the context menu of the window).
    QMenu* windowMenu() const { return m_menu; }

    QLineEdit* title = nullptr;
    QLineEdit* footer = nullptr;
    DestinationLabel* destination = nullptr;
    CLinkLabel* change = nullptr;
    TextProgressBar* progress = nullptr;
    QPushButton* editAlbumButton = nullptr;
    QPushButton* optionsButton = nullptr;
    QPushButton* aboutButton = nullptr;
    QPushButton* startButton = nullptr;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void step();
    void scheduleStep();
    bool runDialog(QDialog& dialog);

    ui::MainDialog& m_logic;
    core::Platform& m_platform;
    QMenu* m_menu = nullptr;
    std::unique_ptr<AlbumEditorWindow> m_editor;
    bool m_closing = false;
};

}  // namespace kavlo::qt
