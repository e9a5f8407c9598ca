// SPDX-License-Identifier: MIT
#include "qt/album_editor_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>
#include <limits>
#include <optional>

#include "qt/caption_extraction_window.h"
#include "qt/intro_link_window.h"
#include "qt/qt_platform.h"

namespace kavlo::qt {

using core::Platform;
using model::AlbumModel;
using ui::AlbumEditorDialog;
using ui::CaptionExtractionDialog;
using ui::EditorKey;
using ui::IntroLinkDialog;
using ui::kThumbnailSize;
using ui::Picture;

namespace {

constexpr const char* kRowMime = "application/x-kavlo-editor-row";
constexpr int kLabelRow = 26;  // label row and gap under each picture
constexpr const char* kSizeKey = "AlbumEditor/size";

// Drag data: "<process id>:<row>", so that a drag from another program (or another
// Kavlo with another album) is never taken for one of this list's rows.
QByteArray rowPayload(int row) {
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' + QByteArray::number(row);
}

int rowFromMime(const QMimeData* mime) {
    if (!mime || !mime->hasFormat(kRowMime)) return -1;
    const QList<QByteArray> parts = mime->data(kRowMime).split(':');
    bool pidOk = false, rowOk = false;
    if (parts.size() != 2 || parts[0].toLongLong(&pidOk) != QCoreApplication::applicationPid())
        return -1;
    const int row = parts[1].toInt(&rowOk);
    return pidOk && rowOk && row >= 0 ? row : -1;
}

QImage toImage(const Picture& p) {
    if (p.empty()) return {};
    return QImage(p.bgr.data(), p.width, p.height, p.width * 3, QImage::Format_BGR888).copy();
}

// The stand-in for a thumbnail that has not been made yet: a pale frame with a
// sketched landscape, on the white square every thumbnail has.
QPixmap makePlaceholder(qreal pixelRatio) {
    const int pixels = qRound(kThumbnailSize * pixelRatio);
    QPixmap pm(pixels, pixels);
    pm.setDevicePixelRatio(pixelRatio);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(8.5, 16.5, 63, 47);
    p.setPen(QPen(QColor(200, 200, 200), 1));
    p.setBrush(QColor(240, 240, 240));
    p.drawRoundedRect(frame, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(215, 215, 215));
    QPainterPath hills;
    hills.moveTo(12, 59);
    hills.lineTo(30, 36);
    hills.lineTo(41, 49);
    hills.lineTo(50, 40);
    hills.lineTo(68, 59);
    hills.closeSubpath();
    p.drawPath(hills);
    p.drawEllipse(QPointF(56, 28), 5, 5);
    return pm;
}

// Window sizes the user chose, in $XDG_CONFIG_HOME/kavlo/windows.ini (beside the
// settings file, which they leave alone).
QSettings windowSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kavlo"),
                     QStringLiteral("windows"));
}

QLabel* plainLabel(const char* text, QWidget* parent) {
    auto* label = new QLabel(qs(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

}  // namespace

// ---------------------------------------------------------------- list model

ThumbnailListModel::ThumbnailListModel(const AlbumEditorDialog& editor, QObject* parent)
    : QAbstractListModel(parent), m_editor(editor) {
    setPixelRatio(1.0);
}

void ThumbnailListModel::setPixelRatio(qreal ratio) {
    if (!m_placeholder.isNull() && ratio == m_placeholder.devicePixelRatio()) return;
    m_placeholder = makePlaceholder(ratio);
}

int ThumbnailListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_editor.imageCount();
}

QVariant ThumbnailListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_editor.imageCount()) return {};
    switch (role) {
    case Qt::DisplayRole: return qs(m_editor.label(index.row()));
    case Qt::DecorationRole: {
        auto picture = m_editor.thumbnail(index.row());
        if (!picture) return m_placeholder;
        // Made at device pixels: shown 80 units wide whatever its pixel count.
        QPixmap pixmap = QPixmap::fromImage(toImage(*picture));
        pixmap.setDevicePixelRatio(static_cast<qreal>(picture->width) / kThumbnailSize);
        return pixmap;
    }
    default: return {};
    }
}

Qt::ItemFlags ThumbnailListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

void ThumbnailListModel::reset() {
    beginResetModel();
    endResetModel();
}

void ThumbnailListModel::thumbnailChanged(int row) {
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::DecorationRole});
}

void ThumbnailListModel::beginMove(int from, int to) {
    // Qt counts the destination before the move: below the source it is one further.
    m_moving = beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
}

void ThumbnailListModel::endMove() {
    if (m_moving) endMoveRows();
    m_moving = false;
}

void ThumbnailListModel::beginRemove(int row) { beginRemoveRows(QModelIndex(), row, row); }

void ThumbnailListModel::endRemove() { endRemoveRows(); }

// ---------------------------------------------------------------- list view

ThumbnailListView::ThumbnailListView(QWidget* parent) : QListView(parent) {
    setViewMode(QListView::IconMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    setGridSize(QSize(kThumbnailSize + 30, kThumbnailSize + kLabelRow));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    viewport()->setAcceptDrops(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    const int width = gridSize().width() + 2 * frameWidth() +
                      style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    setFixedWidth(width);
}

int ThumbnailListView::itemHeight() const { return gridSize().height(); }

void ThumbnailListView::startDrag(Qt::DropActions) {
    const QModelIndex index = currentIndex();
    if (!index.isValid()) return;
    auto* mime = new QMimeData;
    mime->setData(kRowMime, rowPayload(index.row()));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QPixmap picture = qvariant_cast<QPixmap>(model()->data(index, Qt::DecorationRole));
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2));
    drag->exec(Qt::MoveAction);
}

void ThumbnailListView::dragEnterEvent(QDragEnterEvent* event) {
    if (rowFromMime(event->mimeData()) >= 0) {
        m_dragMoves = 0;
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ThumbnailListView::dragMoveEvent(QDragMoveEvent* event) {
    if (rowFromMime(event->mimeData()) < 0) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Near an edge the list scrolls by one item on every third movement.
    const int y = event->position().toPoint().y();
    const int margin = itemHeight() / 2;
    int direction = 0;
    if (y < margin) direction = -1;
    else if (y > viewport()->height() - margin) direction = 1;
    if (direction != 0 && ++m_dragMoves % 3 == 0) {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + direction * itemHeight());
    }
}

void ThumbnailListView::dropEvent(QDropEvent* event) {
    const int source = rowFromMime(event->mimeData());
    if (source < 0) {
        event->ignore();
        return;
    }
    // Accepted as a copy: the list itself never removes the dragged item.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    dropAt(source, event->position().toPoint());
}

void ThumbnailListView::dropAt(int sourceRow, const QPoint& pos) {
    const int below = indexAt(pos + QPoint(0, itemHeight() / 2)).row();
    const int under = indexAt(pos).row();
    emit dropped(sourceRow, below, under);
}

// ---------------------------------------------------------------- preview

PreviewArea::PreviewArea(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setMinimumSize(200, 150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(64, 64, 64));
    setPalette(pal);
}

QSize PreviewArea::sizeHint() const { return minimumSize(); }

QSize PreviewArea::minimumSizeHint() const { return minimumSize(); }

void PreviewArea::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

void PreviewArea::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    emit resized();
}

// ---------------------------------------------------------------- window

AlbumEditorWindow::AlbumEditorWindow(AlbumModel& model, Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window), m_editor(std::make_unique<AlbumEditorDialog>(model, platform)) {
    m_editor->setView(this);
    setWindowTitle(qs(m_editor->title()));

    auto* root = new QHBoxLayout(this);
    m_list = named(new ThumbnailListView(this), "thumbnailList");
    m_listModel = new ThumbnailListModel(*m_editor, this);
    m_list->setModel(m_listModel);
    root->addWidget(m_list);

    auto* right = new QVBoxLayout;
    right->addWidget(plainLabel(AlbumEditorDialog::navigationHint(), this));
    right->addWidget(plainLabel(AlbumEditorDialog::reorderHint(), this));
    m_preview = named(new PreviewArea(this), "preview");
    right->addWidget(m_preview, 1);
    right->addLayout(buildCaptionRows());
    right->addLayout(buildButtonRows());
    root->addLayout(right, 1);
    connectWidgets();
    // The layout decides how small the window may be: the preview gives way, the
    // caption rows and buttons do not.
    root->activate();
    const int minWidth = root->totalMinimumSize().width();
    const int minHeight = root->hasHeightForWidth() ? root->totalMinimumHeightForWidth(minWidth)
                                                    : root->totalMinimumSize().height();
    setMinimumSize(minWidth, minHeight);
    restoreSize();
}

// The size the user chose last, or 820 x 680; never more than the screen has room for.
void AlbumEditorWindow::restoreSize() {
    QSize wanted = windowSettings().value(kSizeKey).toSize();
    if (!wanted.isValid()) wanted = QSize(820, 680);
    const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (where) {
        // Room for the window frame the window manager adds.
        const QSize room = where->availableGeometry().size() - QSize(16, 48);
        wanted = wanted.boundedTo(room);
    }
    resize(wanted.expandedTo(minimumSize()));
}

void AlbumEditorWindow::saveSize() {
    if (m_shownOnce) windowSettings().setValue(kSizeKey, size());
}

QLayout* AlbumEditorWindow::buildCaptionRows() {
    auto* captions = new QGridLayout;
    m_majorCaption = named(new QLineEdit(this), "majorCaption");
    m_minorCaption = named(new QLineEdit(this), "minorCaption");
    // Long captions are shown whole, so that an edit never commits a cut text.
    m_majorCaption->setMaxLength(std::numeric_limits<int>::max());
    m_minorCaption->setMaxLength(std::numeric_limits<int>::max());
    auto* majorLabel = new QLabel(tr("&Major Caption"), this);
    majorLabel->setBuddy(m_majorCaption);
    auto* minorLabel = new QLabel(tr("M&inor Caption"), this);
    minorLabel->setBuddy(m_minorCaption);
    captions->addWidget(majorLabel, 0, 0);
    captions->addWidget(m_majorCaption, 0, 1);
    captions->addWidget(plainLabel(AlbumEditorDialog::majorCaptionNote(), this), 1, 1);
    captions->addWidget(minorLabel, 2, 0);
    captions->addWidget(m_minorCaption, 2, 1);
    captions->addWidget(plainLabel(AlbumEditorDialog::minorCaptionNote(), this), 3, 1);
    return captions;
}

QLayout* AlbumEditorWindow::buildButtonRows() {
    auto* rows = new QVBoxLayout;
    auto* tools = new QHBoxLayout;
    m_extractCaptions = named(new QPushButton(tr("&Extract Captions"), this), "extractCaptions");
    m_introduction =
        named(new QPushButton(tr("Intro&duction and Album Link"), this), "introduction");
    tools->addWidget(m_extractCaptions);
    tools->addWidget(m_introduction);
    tools->addStretch(1);
    rows->addLayout(tools);
    auto* rebuildLine = new QHBoxLayout;
    m_rebuild = named(new QPushButton(tr("&Rebuild Album Images"), this), "rebuild");
    m_rebuildNote = named(new QLabel(qs(AlbumEditorDialog::rebuildNote()), this), "rebuildNote");
    m_rebuildNote->setTextFormat(Qt::PlainText);
    rebuildLine->addWidget(m_rebuild);
    rebuildLine->addWidget(m_rebuildNote, 1);
    rows->addLayout(rebuildLine);
    rows->addSpacing(6);

    auto* navigation = new QHBoxLayout;
    m_previous = named(new QPushButton(tr("< &Previous"), this), "previous");
    m_next = named(new QPushButton(tr("&Next >"), this), "next");
    m_closeButton = named(new QPushButton(tr("&Close"), this), "close");
    navigation->addStretch(1);
    navigation->addWidget(m_previous);
    navigation->addWidget(m_next);
    navigation->addSpacing(16);
    navigation->addWidget(m_closeButton);
    rows->addLayout(navigation);
    return rows;
}

void AlbumEditorWindow::connectWidgets() {
    AlbumEditorDialog* editor = m_editor.get();
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncing && current.isValid()) m_editor->select(current.row());
            });
    connect(m_list, &ThumbnailListView::dropped, this,
            [editor](int source, int below, int under) { editor->drop(source, below, under); });
    connect(m_list, &QWidget::customContextMenuRequested, this,
            &AlbumEditorWindow::showContextMenu);
    connect(m_majorCaption, &QLineEdit::textEdited, this,
            [editor](const QString& text) { editor->setMajorText(u8(text)); });
    connect(m_minorCaption, &QLineEdit::textEdited, this,
            [editor](const QString& text) { editor->setMinorText(u8(text)); });
    connect(m_extractCaptions, &QPushButton::clicked, this,
            [editor] { editor->extractCaptions(); });
    connect(m_introduction, &QPushButton::clicked, this, [editor] { editor->editIntroduction(); });
    connect(m_rebuild, &QPushButton::clicked, this, [editor] { editor->rebuildAlbumImages(); });
    connect(m_previous, &QPushButton::clicked, this, [editor] { editor->previous(); });
    connect(m_next, &QPushButton::clicked, this, [editor] { editor->next(); });
    connect(m_closeButton, &QPushButton::clicked, this, [editor] { editor->close(); });
    connect(m_preview, &PreviewArea::doubleClicked, this, [editor] { editor->openImage(); });

    // The preview is decoded again once a resize has settled, not on every step.
    auto* resizeTimer = new QTimer(this);
    resizeTimer->setSingleShot(true);
    resizeTimer->setInterval(120);
    connect(resizeTimer, &QTimer::timeout, this, [this] { updatePreview(false); });
    connect(m_preview, &PreviewArea::resized, resizeTimer, qOverload<>(&QTimer::start));

    // The editor's keys work wherever the focus is inside the window.
    installEventFilter(this);
    for (QWidget* w : std::initializer_list<QWidget*>{m_list, m_majorCaption, m_minorCaption,
                                                      m_extractCaptions, m_introduction, m_rebuild,
                                                      m_previous, m_next, m_closeButton, m_preview})
        w->installEventFilter(this);
}

AlbumEditorWindow::~AlbumEditorWindow() {
    // The producer calls back into this object: it must end first.
    m_editor->stopBackgroundWork();
    m_editor->setView(nullptr);
}

void AlbumEditorWindow::showEditor(bool autorotate) {
    // Thumbnails are made at the screen's device pixels, so they are sharp at 200 %.
    const qreal ratio = devicePixelRatioF();
    m_listModel->setPixelRatio(ratio);
    m_editor->setThumbnailPixels(qRound(kThumbnailSize * ratio));
    m_editor->showEditor(autorotate);
}

void AlbumEditorWindow::showWindow() {
    updateButtons();
    m_shownOnce = true;
    show();
    raise();
    activateWindow();
    // The preview is made for the laid-out area, once the window is shown.
    if (layout()) layout()->activate();
    updatePreview(false);
}

void AlbumEditorWindow::hideWindow() { hide(); }

void AlbumEditorWindow::hideEvent(QHideEvent* event) {
    // Closed, hidden for a run or with the main window: the size is kept for next time.
    saveSize();
    QWidget::hideEvent(event);
}

void AlbumEditorWindow::listReset() {
    m_previewPath.clear();  // a new fill may show the image with another rotation
    m_listModel->reset();
}

void AlbumEditorWindow::itemAboutToMove(int from, int to) { m_listModel->beginMove(from, to); }

void AlbumEditorWindow::itemMoved(int, int) { m_listModel->endMove(); }

void AlbumEditorWindow::itemAboutToBeRemoved(int row) { m_listModel->beginRemove(row); }

void AlbumEditorWindow::itemRemoved(int) { m_listModel->endRemove(); }

void AlbumEditorWindow::thumbnailChanged(int row) { m_listModel->thumbnailChanged(row); }

void AlbumEditorWindow::selectionChanged() {
    const int row = m_editor->selected();
    m_syncing = true;
    if (row >= 0) {
        const QModelIndex index = m_listModel->index(row);
        m_list->setCurrentIndex(index);
        m_list->scrollTo(index);
    } else {
        m_list->clearSelection();
    }
    m_syncing = false;
    updateButtons();
    updatePreview(false);
}

void AlbumEditorWindow::captionsChanged() {
    m_majorCaption->setText(qs(m_editor->majorText()));
    m_minorCaption->setText(qs(m_editor->minorText()));
}

void AlbumEditorWindow::titleChanged() {
    setWindowTitle(qs(m_editor->title()));
    updateButtons();
}

void AlbumEditorWindow::setFrozen(bool frozen) {
    m_list->setUpdatesEnabled(!frozen);
    if (!frozen) m_list->viewport()->update();
}

bool AlbumEditorWindow::runCaptionExtraction(CaptionExtractionDialog& dlg) {
    CaptionExtractionWindow window(dlg, this);
    return window.exec() == QDialog::Accepted;
}

bool AlbumEditorWindow::runIntroductionLink(IntroLinkDialog& dlg) {
    IntroLinkWindow window(dlg, this);
    return window.exec() == QDialog::Accepted;
}

void AlbumEditorWindow::postRefreshThumbnails() {
    // Runs on the producer's thread: only post. A posted call to a window that is gone
    // is dropped by Qt.
    QMetaObject::invokeMethod(
        this, [this] { m_editor->refreshThumbnails(); }, Qt::QueuedConnection);
}

void AlbumEditorWindow::updateButtons() {
    // A button that is switched off while it has the focus would pass it on to the
    // next one in the chain ("Close", whose next Space hides the editor): the list
    // takes it instead, where the keys still move through the album.
    const bool previous = m_editor->previousEnabled();
    const bool next = m_editor->nextEnabled();
    if ((!previous && m_previous->hasFocus()) || (!next && m_next->hasFocus()))
        m_list->setFocus(Qt::OtherFocusReason);
    m_previous->setEnabled(previous);
    m_next->setEnabled(next);
    m_rebuild->setVisible(m_editor->rebuildVisible());
    m_rebuildNote->setVisible(m_editor->rebuildVisible());
}

void AlbumEditorWindow::updatePreview(bool force) {
    if (!isVisible()) {
        m_previewPath.clear();  // made when the window is shown
        return;
    }
    const std::string path = m_editor->selectedPath();
    const qreal ratio = m_preview->devicePixelRatioF();
    const QSize area = m_preview->contentsRect().size();
    if (!force && path == m_previewPath && area == m_previewSize) return;
    m_previewPath = path;
    m_previewSize = area;
    if (path.empty()) {
        m_preview->clear();
        return;
    }
    // Decoded at device pixels and shown at the area's size in units.
    const Picture picture =
        m_editor->preview(qRound(area.width() * ratio), qRound(area.height() * ratio));
    QPixmap pixmap = QPixmap::fromImage(toImage(picture));
    pixmap.setDevicePixelRatio(ratio);
    m_preview->setPixmap(pixmap);
}

QMenu* AlbumEditorWindow::contextMenuFor(int row) {
    if (row < 0 || row >= m_editor->imageCount()) return nullptr;
    auto* menu = new QMenu(this);
    connect(menu->addAction(tr("&Open")), &QAction::triggered, this,
            [this] { m_editor->openImage(); });
    connect(menu->addAction(tr("&Exclude")), &QAction::triggered, this,
            [this] { m_editor->exclude(); });
    menu->addSeparator();
    connect(menu->addAction(tr("Move to &Top")), &QAction::triggered, this,
            [this] { m_editor->moveToTop(); });
    connect(menu->addAction(tr("Move to &End")), &QAction::triggered, this,
            [this] { m_editor->moveToEnd(); });
    menu->addSeparator();
    connect(menu->addAction(tr("Extract Caption")), &QAction::triggered, this,
            [this] { m_editor->extractCaptions(); });
    connect(menu->addAction(tr("&Revert Order")), &QAction::triggered, this,
            [this] { m_editor->revertOrder(); });
    return menu;
}

void AlbumEditorWindow::showContextMenu(const QPoint& pos) {
    const QModelIndex index = m_list->indexAt(pos);
    if (!index.isValid()) return;  // empty list space shows nothing
    m_editor->select(index.row());
    QMenu* menu = contextMenuFor(index.row());
    if (!menu) return;
    menu->exec(m_list->viewport()->mapToGlobal(pos));
    menu->deleteLater();
}

void AlbumEditorWindow::closeEvent(QCloseEvent* event) {
    m_editor->close();
    event->accept();
}

bool AlbumEditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const auto mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier |
                                              Qt::AltModifier | Qt::MetaModifier);
        const bool ctrl = mods == Qt::ControlModifier;
        const bool plain = mods == Qt::NoModifier || mods == Qt::KeypadModifier;
        std::optional<EditorKey> command;
        if (plain && key->key() == Qt::Key_PageUp) command = EditorKey::PageUp;
        else if (plain && key->key() == Qt::Key_PageDown) command = EditorKey::PageDown;
        else if (ctrl && key->key() == Qt::Key_Home) command = EditorKey::CtrlHome;
        else if (ctrl && key->key() == Qt::Key_End) command = EditorKey::CtrlEnd;
        else if (ctrl && key->key() == Qt::Key_Delete) command = EditorKey::CtrlDelete;
        if (command) {
            m_editor->key(*command);
            return true;
        }
        // Escape closes the editor as Close does (the captions are committed).
        if (plain && key->key() == Qt::Key_Escape) {
            m_editor->close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kavlo::qt
