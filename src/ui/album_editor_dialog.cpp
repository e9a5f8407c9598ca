// SPDX-License-Identifier: MIT
#include "ui/album_editor_dialog.h"

#include <algorithm>
#include <exception>

#include "core/caption_extraction.h"
#include "core/image_pipeline.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::ui {

using core::makeMessage;
using core::MessageAnswer;
using core::MessageButtons;
using core::MessageIcon;
using core::Platform;
using model::AlbumModel;
using model::AlbumSettings;
using model::ImageEntry;
using util::deleteImages;
using util::format;
using util::isPlainFolderName;

namespace {

// Shows the wait cursor for the length of a scope.
class WaitCursor {
public:
    explicit WaitCursor(Platform& platform) : m_platform(platform) {
        m_platform.setWaitCursor(true);
    }
    ~WaitCursor() { m_platform.setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Platform& m_platform;
};

// Moves element `from` of `v` to insertion point `to` (counted before the move).
template <typename T>
void moveElement(std::vector<T>& v, int from, int to) {
    auto b = v.begin();
    if (from < to) std::rotate(b + from, b + from + 1, b + to);
    else if (to < from) std::rotate(b + to, b + from, b + from + 1);
}

}  // namespace

const char* AlbumEditorDialog::navigationHint() {
    return "Use Page Up / Down and Ctrl+Delete for navigation and image exclusion. ";
}
const char* AlbumEditorDialog::reorderHint() {
    return "Use right-click or drag and drop to manipulate and reorder thumbnails.";
}
const char* AlbumEditorDialog::rebuildNote() {
    return "Use if the original album images have been changed since last.";
}
const char* AlbumEditorDialog::majorCaptionNote() {
    return "Major captions are shown near each image and may contain HTML.";
}
const char* AlbumEditorDialog::minorCaptionNote() {
    return "Minor captions are shown as hovering tooltips and may not contain HTML.";
}

AlbumEditorDialog::AlbumEditorDialog(AlbumModel& model, Platform& platform, ThumbnailMaker maker)
    : m_model(model), m_platform(platform), m_producer(std::move(maker)) {}

AlbumEditorDialog::~AlbumEditorDialog() { m_producer.stop(); }

void AlbumEditorDialog::showEditor(bool autorotate) {
    if (!m_created) {
        m_created = true;
        m_autorotate = autorotate;
        m_rebuildVisible = m_model.settings.reuseimages;
        fill();
    } else if (autorotate != m_autorotate || !inSync()) {
        // The thumbnails were made with the other rotation (or the album changed
        // behind the editor's back): make them again.
        m_autorotate = autorotate;
        fill();
    }
    m_visible = true;
    if (m_view) {
        m_view->titleChanged();
        m_view->showWindow();
    }
}

void AlbumEditorDialog::hideWindow() {
    if (!m_visible) return;
    commit(m_selected);
    m_visible = false;
    if (m_view) m_view->hideWindow();
}

void AlbumEditorDialog::stopBackgroundWork() { m_producer.stop(); }

std::string AlbumEditorDialog::title() const {
    return format("Album Editor  -  %i images", imageCount());
}

std::string AlbumEditorDialog::label(int row) const {
    return inRange(row) ? m_items[row].label : std::string();
}

std::shared_ptr<const Picture> AlbumEditorDialog::thumbnail(int row) const {
    return inRange(row) ? m_items[row].picture : nullptr;
}

std::string AlbumEditorDialog::selectedPath() const {
    return inRange(m_selected) && inSync() ? m_model.images[m_selected].path : std::string();
}

Picture AlbumEditorDialog::preview(int areaWidth, int areaHeight) {
    const std::string path = selectedPath();
    if (path.empty()) return {};
    WaitCursor wait(m_platform);
    try {
        return makePreview(path, areaWidth, areaHeight, m_autorotate);
    } catch (const std::exception&) {
        return {};  // no memory for this preview: the area stays empty
    }
}

void AlbumEditorDialog::fill() {
    WaitCursor wait(m_platform);
    m_producer.stop();
    ++m_generation;
    m_shownThumbnails = m_shownEmbedded = 0;
    const int n = static_cast<int>(m_model.images.size());
    m_items.assign(n, Item{});
    std::vector<ThumbnailJob> jobs(n);
    for (int i = 0; i < n; ++i) {
        m_items[i].key = i;
        m_items[i].label = thumbnailLabel(m_model.images[i].path);
        jobs[i].key = i;
        jobs[i].path = m_model.images[i].path;
    }
    m_rowOfKey.assign(n, -1);
    rebuildKeyIndex();
    m_selected = -1;
    m_majorBox.clear();
    m_minorBox.clear();
    if (m_view) m_view->listReset();

    AlbumEditorView* view = m_view;  // the producer's thread sees only this pointer
    m_producer.start(m_generation, std::move(jobs), m_thumbnailPixels, m_autorotate, [view] {
        if (view) view->postRefreshThumbnails();
    });
    if (n > 0) {
        m_selected = 0;
        loadBoxes();
    }
    notifySelection();
}

void AlbumEditorDialog::rebuildKeyIndex() {
    // Keys are the rows of the last fill, so the index never needs to grow after it.
    std::fill(m_rowOfKey.begin(), m_rowOfKey.end(), -1);
    for (int row = 0; row < imageCount(); ++row) {
        const int key = m_items[row].key;
        if (key >= 0 && key < static_cast<int>(m_rowOfKey.size())) m_rowOfKey[key] = row;
    }
}

void AlbumEditorDialog::commit(int row) {
    if (m_rearranging || !inRange(row) || !inSync()) return;
    ImageEntry& e = m_model.images[row];
    // An empty box leaves the caption as it is; captions are emptied with the
    // "Empty caption" source of caption extraction.
    if (!m_majorBox.empty()) e.macap = m_majorBox;
    if (!m_minorBox.empty()) e.micap = m_minorBox;
}

void AlbumEditorDialog::loadBoxes() {
    if (inRange(m_selected) && inSync()) {
        m_majorBox = m_model.images[m_selected].macap;
        m_minorBox = m_model.images[m_selected].micap;
    }
}

void AlbumEditorDialog::notifySelection() {
    if (m_view) {
        m_view->captionsChanged();
        m_view->selectionChanged();
    }
}

void AlbumEditorDialog::select(int row) {
    // While a move or reversal rearranges the list, the list's own selection reports
    // refer to rows in flux: the editor decides the selection itself afterwards.
    if (m_rearranging || !inRange(row) || row == m_selected) return;
    commit(m_selected);
    m_selected = row;
    loadBoxes();
    notifySelection();
}

void AlbumEditorDialog::previous() {
    if (m_selected > 0) select(m_selected - 1);
}

void AlbumEditorDialog::next() {
    if (nextEnabled()) select(m_selected + 1);
}

void AlbumEditorDialog::key(EditorKey key) {
    switch (key) {
    case EditorKey::PageUp: previous(); break;
    case EditorKey::PageDown: next(); break;
    case EditorKey::CtrlHome: select(0); break;
    case EditorKey::CtrlEnd: select(imageCount() - 1); break;
    case EditorKey::CtrlDelete: exclude(); break;
    }
}

void AlbumEditorDialog::moveImage(int from, int to) {
    const int n = imageCount();
    if (!inSync() || from < 0 || from >= n || to < 0 || to > n) return;
    // The boxes hold the captions of the selected image: commit them to that image,
    // whichever image is being moved.
    commit(m_selected);
    m_rearranging = true;
    if (m_view) m_view->setFrozen(true);

    const int landed = from < to ? to - 1 : to;
    if (m_view) m_view->itemAboutToMove(from, landed);
    moveElement(m_model.images, from, to);
    moveElement(m_items, from, to);
    m_model.settings.reuseimages = false;
    rebuildKeyIndex();
    if (m_view) m_view->itemMoved(from, landed);
    m_selected = landed;
    loadBoxes();
    notifySelection();

    m_rearranging = false;
    if (m_view) m_view->setFrozen(false);
}

void AlbumEditorDialog::moveToTop() {
    if (inRange(m_selected)) moveImage(m_selected, 0);
}

void AlbumEditorDialog::moveToEnd() {
    if (inRange(m_selected)) moveImage(m_selected, imageCount());
}

int AlbumEditorDialog::dropInsertionPoint(int rowHalfItemBelow, int rowUnderMouse, int count) {
    if (rowHalfItemBelow >= 0 && rowHalfItemBelow < count) return rowHalfItemBelow;
    if (count > 0 && rowUnderMouse == count - 1) return count;
    return -1;
}

void AlbumEditorDialog::drop(int sourceRow, int rowHalfItemBelow, int rowUnderMouse) {
    const int target = dropInsertionPoint(rowHalfItemBelow, rowUnderMouse, imageCount());
    if (target >= 0 && inRange(sourceRow)) moveImage(sourceRow, target);
}

void AlbumEditorDialog::revertOrder() {
    const int n = imageCount();
    if (!inSync() || n == 0) return;
    commit(m_selected);
    m_rearranging = true;
    if (m_view) m_view->setFrozen(true);

    m_model.settings.reuseimages = false;
    std::reverse(m_model.images.begin(), m_model.images.end());
    std::reverse(m_items.begin(), m_items.end());
    rebuildKeyIndex();
    if (inRange(m_selected)) m_selected = n - 1 - m_selected;
    if (m_view) m_view->listReset();
    loadBoxes();
    notifySelection();

    m_rearranging = false;
    if (m_view) m_view->setFrozen(false);
}

void AlbumEditorDialog::exclude() {
    if (!inRange(m_selected) || !inSync()) return;
    const MessageAnswer answer = m_platform.messageBox(
        makeMessage("Excluding an image can not be undone.\n\nDo you want to continue?",
                    "Exclude current image", MessageButtons::YesNo, MessageIcon::Question));
    const int n = imageCount();
    if (answer != MessageAnswer::Yes || n <= 1) return;

    m_model.settings.reuseimages = false;
    const int row = m_selected;
    // The selection goes to the next image, or to the previous one for the last
    // image. The excluded image's captions need no commit: its entry is erased.
    const int next = row == n - 1 ? row - 1 : row + 1;
    if (m_view) m_view->itemAboutToBeRemoved(row);
    m_model.images.erase(m_model.images.begin() + row);
    m_items.erase(m_items.begin() + row);
    rebuildKeyIndex();
    m_selected = next > row ? next - 1 : next;
    if (m_view) m_view->itemRemoved(row);
    loadBoxes();
    notifySelection();
    if (m_view) m_view->titleChanged();
}

void AlbumEditorDialog::openImage() {
    const std::string path = selectedPath();
    if (!path.empty()) m_platform.openWithDefaultProgram(path);
}

void AlbumEditorDialog::rebuildAlbumImages() {
    const AlbumSettings& s = m_model.settings;
    // Only plain sub-folders of the album folder are emptied: a folder setting such as
    // ".." read from an album file must never reach the folder of the source photos.
    if (!m_model.destdir.empty()) {
        for (const std::string* dir : {&s.sdir, &s.mdir, &s.ldir})
            if (isPlainFolderName(*dir)) deleteImages(m_model.destdir + "/" + *dir);
    }
    m_platform.messageBox(makeMessage(
        "Album images will now be regenerated from the original image files\nto ensure that "
        "adjustments are reflected in the album.",
        "Information", MessageButtons::Ok, MessageIcon::Information));
}

void AlbumEditorDialog::extractCaptions() {
    m_extraction.prepare(m_model.settings.iptcformat, m_model.settings.exifformat);
    if (!m_view || !m_view->runCaptionExtraction(m_extraction)) return;
    {
        WaitCursor wait(m_platform);
        kavlo::core::extractCaptions(m_model, m_extraction.choices(),
                                     inRange(m_selected) ? m_selected : -1);
    }
    // Text typed into the boxes and not yet committed gives way to the new captions.
    loadBoxes();
    if (m_view) m_view->captionsChanged();
}

void AlbumEditorDialog::editIntroduction() {
    IntroLinkDialog dlg(m_model.intro, m_model.settings.linktext, m_model.settings.linkurl);
    if (!m_view || !m_view->runIntroductionLink(dlg)) return;
    m_model.intro = dlg.intro();
    m_model.settings.linktext = dlg.linkText();
    m_model.settings.linkurl = dlg.linkUrl();
}

void AlbumEditorDialog::close() {
    commit(m_selected);
    m_visible = false;
    if (m_view) m_view->hideWindow();
}

void AlbumEditorDialog::refreshThumbnails() {
    std::vector<FinishedThumbnail> done = m_producer.take();
    for (FinishedThumbnail& t : done) {
        if (t.generation != m_generation) continue;  // made for an earlier fill
        if (t.key < 0 || t.key >= static_cast<int>(m_rowOfKey.size())) continue;
        const int row = m_rowOfKey[t.key];
        if (!inRange(row) || t.picture.empty()) continue;  // excluded meanwhile
        m_items[row].picture = std::make_shared<const Picture>(std::move(t.picture));
        ++m_shownThumbnails;
        if (t.source == ThumbnailSource::ExifThumbnail) ++m_shownEmbedded;
        if (m_view) m_view->thumbnailChanged(row);
    }
}

}  // namespace kavlo::ui
