// SPDX-License-Identifier: MIT
// The Qt view of the album editor: a modeless window over AlbumEditorDialog with the
// thumbnail list (a QListView over a list model, so thousands of images cost nothing
// until they are drawn), the preview, the caption boxes and the buttons.
#pragma once

#include <QAbstractListModel>
#include <QLabel>
#include <QListView>
#include <QPixmap>
#include <QWidget>
#include <memory>

#include "ui/album_editor_dialog.h"

class QLayout;
class QLineEdit;
class QMenu;
class QPushButton;

namespace kavlo::core {
class Platform;
}  // namespace kavlo::core

namespace kavlo::qt {

/// The thumbnails in album order, read straight from the editor logic. Moves and
/// removals are announced before the logic changes the album and completed after.
class ThumbnailListModel : public QAbstractListModel {
    Q_OBJECT
public:
    ThumbnailListModel(const ui::AlbumEditorDialog& editor, QObject* parent);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void reset();
    void thumbnailChanged(int row);
    /// The item at `from` is to land at row `to`.
    void beginMove(int from, int to);
    void endMove();
    void beginRemove(int row);
    void endRemove();
    /// Device pixels per unit of the screen the list is on (the placeholder's).
    void setPixelRatio(qreal ratio);
    /// The picture standing in for thumbnails not yet made.
    const QPixmap& placeholder() const { return m_placeholder; }

private:
    const ui::AlbumEditorDialog& m_editor;
    QPixmap m_placeholder;
    bool m_moving = false;
};

/// The list: one column of 80 x 80 pictures with their labels, dragging an item
/// shows its picture, a drop moves the image; near the top or bottom edge the list
/// scrolls by one item on every third mouse movement.
class ThumbnailListView : public QListView {
    Q_OBJECT
public:
    explicit ThumbnailListView(QWidget* parent);
    /// Height of one item (picture, label row and gap).
    int itemHeight() const;

    /// A drop of `sourceRow` at `pos` (viewport coordinates): emits dropped().
    void dropAt(int sourceRow, const QPoint& pos);

signals:
    void dropped(int sourceRow, int rowHalfItemBelow, int rowUnderMouse);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int m_dragMoves = 0;
};

/// The preview area: shows a picture centred (made at the screen's device pixels); a
/// double click opens the image.
class PreviewArea : public QLabel {
    Q_OBJECT
public:
    explicit PreviewArea(QWidget* parent);
    /// The picture never asks for room: it is made for the room it gets.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void doubleClicked();
    void resized();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

class AlbumEditorWindow : public QWidget, public ui::AlbumEditorView {
    Q_OBJECT
public:
    /// The window for `model`; it stays hidden until showEditor().
    AlbumEditorWindow(model::AlbumModel& model, core::Platform& platform,
                      QWidget* parent = nullptr);
    /// Stops the thumbnail producer before anything else goes away.
    ~AlbumEditorWindow() override;

    /// The logic; the main window passes it to MainDialog::editorShown().
    ui::AlbumEditorDialog& logic() { return *m_editor; }
    /// "&Edit Album...": shows (and on first use fills) the editor.
    void showEditor(bool autorotate);

    // AlbumEditorView
    void showWindow() override;
    void hideWindow() override;
    void listReset() override;
    void itemAboutToMove(int from, int to) override;
    void itemMoved(int from, int to) override;
    void itemAboutToBeRemoved(int row) override;
    void itemRemoved(int row) override;
    void thumbnailChanged(int row) override;
    void selectionChanged() override;
    void captionsChanged() override;
    void titleChanged() override;
    void setFrozen(bool frozen) override;
    /// Run the two dialogs modally (tests override them).
    bool runCaptionExtraction(ui::CaptionExtractionDialog& dlg) override;
    bool runIntroductionLink(ui::IntroLinkDialog& dlg) override;
    void postRefreshThumbnails() override;

    /// The context menu for the item at `row` (null for empty list space).
    QMenu* contextMenuFor(int row);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void restoreSize();
    void saveSize();
    QLayout* buildCaptionRows();
    QLayout* buildButtonRows();
    void connectWidgets();
    void updatePreview(bool force);
    void updateButtons();
    void showContextMenu(const QPoint& pos);

    std::unique_ptr<ui::AlbumEditorDialog> m_editor;
    ThumbnailListView* m_list = nullptr;
    ThumbnailListModel* m_listModel = nullptr;
    PreviewArea* m_preview = nullptr;
    QLineEdit* m_majorCaption = nullptr;
    QLineEdit* m_minorCaption = nullptr;
    QPushButton* m_extractCaptions = nullptr;
    QPushButton* m_introduction = nullptr;
    QPushButton* m_rebuild = nullptr;
    QLabel* m_rebuildNote = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_closeButton = nullptr;
    bool m_syncing = false;
    bool m_shownOnce = false;
    std::string m_previewPath;
    QSize m_previewSize;
};

}  // namespace kavlo::qt
