// SPDX-License-Identifier: MIT
// The Qt view of the main window over MainDialog: title and footer, the photos of the
// album, the destination with "change", the progress bar, after a run the album's first
// thumbnails, the four buttons, and the run driven one image per event-loop turn so the
// window stays responsive.
#pragma once

#include <QDialog>
#include <QLabel>
#include <memory>

#include "ui/main_dialog.h"

class QLayout;
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
    QSize minimumSizeHint() const override;

signals:
    void doubleClicked();

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

    /// The window menu with "&About Kavlo..." (the context menu of the window).
    QMenu* windowMenu() const { return m_menu; }

public slots:
    void reject() override;

protected:
    /// Back from the album editor: the number of photos may have changed.
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    /// Runs a modal window (Options, About); true when accepted. Tests override it.
    virtual bool runDialog(QDialog& dialog);

private:
    QLayout* buildFields();
    QLayout* buildDestinationRows();
    QWidget* buildAlbumStrip();
    QLayout* buildButtons();
    /// Keeps the keyboard focus in the window (on the window itself) when the control
    /// that has it is about to be switched off or hidden by the state `s`.
    void keepFocusFrom(const ui::MainDialogState& s);
    void showAlbumThumbnails();
    void fitHeight();
    void connectWidgets();
    void step();
    void scheduleStep();

    ui::MainDialog& m_logic;
    core::Platform& m_platform;
    QMenu* m_menu = nullptr;
    std::unique_ptr<AlbumEditorWindow> m_editor;
    bool m_closing = false;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_footer = nullptr;
    DestinationLabel* m_photos = nullptr;
    DestinationLabel* m_destination = nullptr;
    QWidget* m_albumStrip = nullptr;
    bool m_stripFilled = false;
    CLinkLabel* m_change = nullptr;
    TextProgressBar* m_progress = nullptr;
    QPushButton* m_editAlbumButton = nullptr;
    QPushButton* m_optionsButton = nullptr;
    QPushButton* m_aboutButton = nullptr;
    QPushButton* m_startButton = nullptr;
};

}  // namespace kavlo::qt
