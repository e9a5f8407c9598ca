// SPDX-License-Identifier: MIT
// The album editor: the modeless window in which the user looks through the album
// image by image, types the two captions of each image, changes the album order
// (drag and drop, Move to Top, Move to End, Revert Order), excludes images, opens an
// image in the desktop's viewer, and reaches caption extraction and the
// introduction/link editor.
//
// AlbumEditorDialog holds every decision of the window; a view (the Qt window, or a
// scripted one in the tests) shows its state and forwards the user's actions. All
// changes go straight into the AlbumModel: there is no undo and no apply step.
//
// Threads: everything here runs on the window's thread, except the thumbnail
// producer, which calls AlbumEditorView::postRefreshThumbnails() from its own thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/platform.h"
#include "model/album_model.h"
#include "ui/caption_extraction_dialog.h"
#include "ui/intro_link_dialog.h"
#include "ui/main_dialog.h"
#include "ui/thumbnail_producer.h"

namespace kavlo::ui {

/// The screen side of the editor. Every method but postRefreshThumbnails() is called
/// on the window's thread; the defaults do nothing.
class AlbumEditorView {
public:
    virtual ~AlbumEditorView() = default;
    virtual void showWindow() {}
    virtual void hideWindow() {}
    /// The whole list changed (fill, reversal): count, labels and pictures.
    virtual void listReset() {}
    /// The item at row `from` is about to move to row `to` (the album is unchanged yet).
    virtual void itemAboutToMove(int from, int to) { (void)from, (void)to; }
    /// The item at row `from` now stands at row `to`; the rows between shifted by one.
    virtual void itemMoved(int from, int to) { (void)from, (void)to; }
    /// The item at `row` is about to be removed (the album is unchanged yet).
    virtual void itemAboutToBeRemoved(int row) { (void)row; }
    /// The item at `row` was removed.
    virtual void itemRemoved(int row) { (void)row; }
    /// The thumbnail of the item at `row` arrived.
    virtual void thumbnailChanged(int row) { (void)row; }
    /// The selection, the caption boxes and the button enabling may have changed; the
    /// selected item is to be scrolled into view and previewed.
    virtual void selectionChanged() {}
    /// The caption boxes were refilled from the album.
    virtual void captionsChanged() {}
    /// The window title changed.
    virtual void titleChanged() {}
    /// Display frozen (true) during a move or reversal, thawed and redrawn (false) after.
    virtual void setFrozen(bool frozen) { (void)frozen; }
    /// Shows the caption extraction dialog modally; true on OK.
    virtual bool runCaptionExtraction(CaptionExtractionDialog& dlg) {
        (void)dlg;
        return false;
    }
    /// Shows the introduction and link editor modally; true on OK.
    virtual bool runIntroductionLink(IntroLinkDialog& dlg) {
        (void)dlg;
        return false;
    }
    /// Called on the producer's thread: post a call of
    /// AlbumEditorDialog::refreshThumbnails() to the window's thread. Must not touch
    /// anything else.
    virtual void postRefreshThumbnails() {}
};

/// Keys of the editor.
enum class EditorKey { PageUp, PageDown, CtrlHome, CtrlEnd, CtrlDelete };

class AlbumEditorDialog : public AlbumEditorControl {
public:
    /// The window's static texts.
    static const char* navigationHint();  ///< "Use Page Up / Down and Ctrl+Delete ..."
    static const char* reorderHint();     ///< "Use right-click or drag and drop ..."
    static const char* rebuildNote();     ///< note under "&Rebuild Album Images"
    static const char* majorCaptionNote();
    static const char* minorCaptionNote();

    AlbumEditorDialog(model::AlbumModel& model, core::Platform& platform,
                      ThumbnailMaker maker = makeThumbnail);
    /// Stops the thumbnail producer.
    ~AlbumEditorDialog() override;
    AlbumEditorDialog(const AlbumEditorDialog&) = delete;
    AlbumEditorDialog& operator=(const AlbumEditorDialog&) = delete;

    /// The view must outlive the thumbnail producer: call stopBackgroundWork() before
    /// destroying it.
    void setView(AlbumEditorView* view) { m_view = view; }

    /// Pixels per side of the thumbnails made from the next fill on (kThumbnailSize
    /// times the screen's device pixel ratio; the list shows them kThumbnailSize wide).
    void setThumbnailPixels(int pixels) {
        m_thumbnailPixels = pixels > 0 ? pixels : kThumbnailSize;
    }
    int thumbnailPixels() const { return m_thumbnailPixels; }

    /// "&Edit Album...": shows the editor. `autorotate` is the album's current
    /// setting; when it differs from the one the thumbnails were made with, they are
    /// made again.
    void showEditor(bool autorotate);

    // AlbumEditorControl (the main window at Start)
    /// Hides the window. Captions typed into the boxes are committed first, so they
    /// reach the album.
    void hideWindow() override;
    /// Stops the thumbnail producer; its undelivered thumbnails are discarded.
    void stopBackgroundWork() override;

    // State shown by the view.
    bool created() const { return m_created; }
    bool visible() const { return m_visible; }
    int imageCount() const { return static_cast<int>(m_items.size()); }
    /// "Album Editor  -  %i images".
    std::string title() const;
    std::string label(int row) const;
    /// The thumbnail of the item at `row`; null while the placeholder stands for it.
    std::shared_ptr<const Picture> thumbnail(int row) const;
    /// Selected row, -1 when none.
    int selected() const { return m_selected; }
    /// Path of the selected image ("" when none).
    std::string selectedPath() const;
    const std::string& majorText() const { return m_majorBox; }
    const std::string& minorText() const { return m_minorBox; }
    bool previousEnabled() const { return m_selected > 0; }
    bool nextEnabled() const { return m_selected >= 0 && m_selected + 1 < imageCount(); }
    /// The (hidden) Exclude command is enabled only while more than one image remains.
    bool excludeEnabled() const { return imageCount() > 1; }
    /// "&Rebuild Album Images" and its note are offered only when the editor was
    /// created for an album whose images are being reused.
    bool rebuildVisible() const { return m_rebuildVisible; }
    bool autorotate() const { return m_autorotate; }
    /// The preview of the selected image fitted to an area, under the wait cursor.
    Picture preview(int areaWidth, int areaHeight);

    // The user's actions.
    /// Selects a row; the captions of the item left are committed first.
    void select(int row);
    /// The user edited a caption box.
    void setMajorText(std::string text) { m_majorBox = std::move(text); }
    void setMinorText(std::string text) { m_minorBox = std::move(text); }
    void previous();
    void next();
    void key(EditorKey key);
    /// Moves the image at `from` to insertion point `to` (0 <= to <= count, counted
    /// before the move): it ends at to - 1 when from < to, else at to.
    void moveImage(int from, int to);
    void moveToTop();
    void moveToEnd();
    /// Insertion point of a drop: the row under the point half an item below the
    /// mouse; when there is none and the mouse is over the last item, the end of the
    /// album; otherwise -1 (nothing happens).
    static int dropInsertionPoint(int rowHalfItemBelow, int rowUnderMouse, int count);
    /// A drag of `sourceRow` released over the list.
    void drop(int sourceRow, int rowHalfItemBelow, int rowUnderMouse);
    void revertOrder();
    /// Asks, then excludes the selected image unless it is the only one.
    void exclude();
    void openImage();
    void rebuildAlbumImages();
    void extractCaptions();
    void editIntroduction();
    /// "&Close" and the window's own close: commit, hide.
    void close();
    /// Takes the finished thumbnails (posted by the producer).
    void refreshThumbnails();

    /// True while thumbnails of the current fill are still being made.
    bool loadingThumbnails() const { return m_producer.busy(); }
    /// Thumbnails of the current fill shown so far, and how many of them came from the
    /// photos' embedded Exif thumbnails.
    int thumbnailsShown() const { return m_shownThumbnails; }
    int embeddedThumbnailsShown() const { return m_shownEmbedded; }

private:
    struct Item {
        int key = 0;  // identity of the image within its fill
        std::string label;
        std::shared_ptr<const Picture> picture;  // null: placeholder
    };

    bool inRange(int row) const { return row >= 0 && row < imageCount(); }
    bool inSync() const { return m_model.images.size() == m_items.size(); }
    void fill();
    void commit(int row);
    void loadBoxes();
    void rebuildKeyIndex();
    void notifySelection();

    model::AlbumModel& m_model;
    core::Platform& m_platform;
    AlbumEditorView* m_view = nullptr;
    bool m_created = false;
    bool m_visible = false;
    bool m_autorotate = true;
    bool m_rebuildVisible = false;
    bool m_rearranging = false;
    int m_thumbnailPixels = kThumbnailSize;
    std::vector<Item> m_items;    // parallel to m_model.images
    std::vector<int> m_rowOfKey;  // key -> row, -1 once excluded
    int m_selected = -1;
    std::string m_majorBox;
    std::string m_minorBox;
    CaptionExtractionDialog m_extraction;
    std::uint64_t m_generation = 0;
    int m_shownThumbnails = 0;
    int m_shownEmbedded = 0;
    ThumbnailProducer m_producer;  // last member: stopped before the rest goes
};

}  // namespace kavlo::ui
