// SPDX-License-Identifier: MIT
#include "qt/main_window.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "qt/about_window.h"
#include "qt/album_editor_window.h"
#include "qt/app_icon.h"
#include "qt/link_label.h"
#include "qt/options_window.h"
#include "qt/progress_bar.h"
#include "qt/qt_platform.h"
#include "ui/about_dialog.h"
#include "ui/options_dialog.h"

namespace kavlo::qt {

namespace {

constexpr int kStripThumbnails = 6;
constexpr int kStripThumbnailSize = 80;  // the album's thumbnail box, in units

// An album image fitted into the thumbnail box at the screen's device pixels.
QPixmap stripPicture(const QString& path, qreal ratio) {
    QImageReader reader(path);
    const int box = qRound(kStripThumbnailSize * ratio);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > box || size.height() > box))
        reader.setScaledSize(size.scaled(box, box, Qt::KeepAspectRatio));
    QPixmap pixmap = QPixmap::fromImage(reader.read());
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace

using core::Platform;
using model::AlbumModel;
using ui::MainDialog;
using ui::MainDialogState;
using ui::openHelp;
using ui::OptionsDialog;
using ui::StartOutcome;

DestinationLabel::DestinationLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void DestinationLabel::setPath(const QString& path) {
    if (path == m_path) return;
    m_path = path;
    setToolTip(path);
    elide();
}

QSize DestinationLabel::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 10, QLabel::minimumSizeHint().height()};
}

void DestinationLabel::elide() {
    setText(fontMetrics().elidedText(m_path, Qt::ElideMiddle, std::max(width(), 1)));
}

void DestinationLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void DestinationLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

MainWindow::MainWindow(MainDialog& logic, Platform& platform, QWidget* parent)
    : QDialog(parent), m_logic(logic), m_platform(platform) {
    setWindowTitle(QStringLiteral("Kavlo"));
    setWindowIcon(kavloIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    auto* root = new QVBoxLayout(this);
    root->addLayout(buildFields());
    root->addLayout(buildDestinationRows());

    m_progress = named(new TextProgressBar(this), "progress");
    QSizePolicy keep = m_progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);  // no jump in the layout when the run starts
    m_progress->setSizePolicy(keep);
    m_progress->hide();
    root->addWidget(m_progress);
    root->addWidget(buildAlbumStrip());
    root->addLayout(buildButtons());

    // The help command (F1) opens the help page, as the About window's "&Help" does.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { openHelp(m_platform); });

    m_menu = new QMenu(this);
    m_menu->addSeparator();
    m_menu->addAction(tr("&About Kavlo..."), this, &MainWindow::about);
    connectWidgets();

    // Wider paths want a wider window; more height has nothing to show.
    const int width = fontMetrics().averageCharWidth() * 90;
    fitHeight();
    resize(std::max(width, sizeHint().width()), sizeHint().height());
}

void MainWindow::fitHeight() {
    if (layout()) layout()->activate();
    setFixedHeight(sizeHint().height());
}

QLayout* MainWindow::buildFields() {
    auto* fields = new QGridLayout;
    m_title = named(new QLineEdit(this), "title");
    m_footer = named(new QLineEdit(this), "footer");
    auto* titleLabel = new QLabel(tr("&Title"), this);
    titleLabel->setBuddy(m_title);
    auto* footerLabel = new QLabel(tr("&Footer"), this);
    footerLabel->setBuddy(m_footer);
    fields->addWidget(titleLabel, 0, 0);
    fields->addWidget(m_title, 0, 1);
    fields->addWidget(footerLabel, 1, 0);
    fields->addWidget(m_footer, 1, 1);
    fields->setColumnStretch(1, 1);
    return fields;
}

// "Photos:" (how many, from where) and "Destination:" (where the album goes).
QLayout* MainWindow::buildDestinationRows() {
    auto* rows = new QGridLayout;
    m_photos = named(new DestinationLabel(this), "photos");
    rows->addWidget(new QLabel(tr("Photos:"), this), 0, 0);
    rows->addWidget(m_photos, 0, 1, 1, 2);
    rows->addWidget(new QLabel(tr("Destination:"), this), 1, 0);
    m_destination = named(new DestinationLabel(this), "destination");
    m_destination->setPath(tr("(output dir)"));
    rows->addWidget(m_destination, 1, 1);
    m_change = named(new CLinkLabel(tr("change"), std::string(), nullptr, this), "change");
    rows->addWidget(m_change, 1, 2);
    rows->setColumnStretch(1, 1);
    return rows;
}

// The album's first thumbnails, shown once the run is done.
QWidget* MainWindow::buildAlbumStrip() {
    m_albumStrip = named(new QWidget(this), "albumThumbnails");
    auto* strip = new QHBoxLayout(m_albumStrip);
    strip->setContentsMargins(0, 4, 0, 4);
    for (int i = 0; i < kStripThumbnails; ++i) {
        auto* picture = named(new QLabel(m_albumStrip), "albumThumbnail");
        picture->setFixedSize(kStripThumbnailSize, kStripThumbnailSize);
        picture->setAlignment(Qt::AlignCenter);
        strip->addWidget(picture);
    }
    strip->addStretch(1);
    m_albumStrip->hide();
    return m_albumStrip;
}

QLayout* MainWindow::buildButtons() {
    auto* buttons = new QHBoxLayout;
    m_editAlbumButton = named(new QPushButton(tr("&Edit Album..."), this), "editAlbum");
    m_optionsButton = named(new QPushButton(tr("&Options..."), this), "options");
    m_aboutButton = named(new QPushButton(tr("&About/Help..."), this), "about");
    m_startButton = named(new QPushButton(tr("&Start"), this), "start");
    for (QPushButton* b : {m_editAlbumButton, m_optionsButton, m_aboutButton}) {
        QSizePolicy p = b->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        b->setSizePolicy(p);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    m_startButton->setDefault(true);
    buttons->addWidget(m_startButton);
    return buttons;
}

void MainWindow::connectWidgets() {
    connect(m_title, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_logic.setTitleText(u8(text)); });
    connect(m_footer, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_logic.setFooterText(u8(text)); });
    connect(m_destination, &DestinationLabel::doubleClicked, this,
            [this] { m_logic.openInputFolder(); });
    connect(m_change, &CLinkLabel::clicked, this, &MainWindow::changeDestination);
    connect(m_editAlbumButton, &QPushButton::clicked, this, &MainWindow::editAlbum);
    connect(m_optionsButton, &QPushButton::clicked, this, &MainWindow::options);
    connect(m_aboutButton, &QPushButton::clicked, this, &MainWindow::about);
    connect(m_startButton, &QPushButton::clicked, this, &MainWindow::start);
}

MainWindow::~MainWindow() = default;

void MainWindow::open() {
    const bool startNow = m_logic.open();
    sync();
    if (startNow) QTimer::singleShot(0, this, &MainWindow::start);
}

void MainWindow::keepFocusFrom(const MainDialogState& s) {
    // Qt would pass the focus on to the next control in the chain: the Title box, whose
    // text would stay selected for the whole run.
    const std::pair<QPushButton*, bool> buttons[] = {
        {m_startButton, s.startEnabled},
        {m_editAlbumButton, s.editAlbumVisible && s.editAlbumEnabled},
        {m_optionsButton, s.optionsVisible && s.optionsEnabled},
        {m_aboutButton, s.aboutVisible && s.aboutEnabled}};
    for (const auto& [button, usable] : buttons) {
        if (button->hasFocus() && !usable) setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::sync() {
    const MainDialogState& s = m_logic.state();
    keepFocusFrom(s);
    setWindowTitle(qs(s.windowTitle));
    if (u8(m_title->text()) != s.titleText) m_title->setText(qs(s.titleText));
    if (u8(m_footer->text()) != s.footerText) m_footer->setText(qs(s.footerText));
    m_title->setReadOnly(s.editsReadOnly);
    m_footer->setReadOnly(s.editsReadOnly);
    m_photos->setPath(qs(m_logic.photoSummary()));
    m_destination->setPath(qs(s.destinationText));
    m_change->setVisible(s.changeVisible);
    if (m_logic.done() && !m_stripFilled) showAlbumThumbnails();

    m_progress->setVisible(s.progressVisible);
    m_progress->setTexts(qs(s.progressLeft), qs(s.progressCentre), qs(s.progressRight));
    m_progress->setPosition(s.progressPosition);

    m_editAlbumButton->setVisible(s.editAlbumVisible);
    m_editAlbumButton->setEnabled(s.editAlbumEnabled);
    m_optionsButton->setVisible(s.optionsVisible);
    m_optionsButton->setEnabled(s.optionsEnabled);
    m_aboutButton->setVisible(s.aboutVisible);
    m_aboutButton->setEnabled(s.aboutEnabled);
    m_startButton->setText(qs(s.startText));
    m_startButton->setEnabled(s.startEnabled);
}

void MainWindow::showAlbumThumbnails() {
    m_stripFilled = true;
    const qreal ratio = devicePixelRatioF();
    // On a high-density screen the main images give a sharp picture.
    const std::vector<std::string> paths = m_logic.albumThumbnails(kStripThumbnails, ratio > 1.0);
    const QList<QLabel*> pictures =
        m_albumStrip->findChildren<QLabel*>(QStringLiteral("albumThumbnail"));
    for (int i = 0; i < pictures.size(); ++i) {
        const bool used = i < static_cast<int>(paths.size());
        if (used) pictures[i]->setPixmap(stripPicture(qs(paths[i]), ratio));
        pictures[i]->setVisible(used);
    }
    if (paths.empty()) return;
    m_albumStrip->show();
    fitHeight();
}

bool MainWindow::runDialog(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

void MainWindow::start() {
    if (m_closing || !m_startButton->isEnabled()) return;
    m_startButton->setFocus();
    const StartOutcome outcome = m_logic.pressStart();
    sync();
    switch (outcome) {
    case StartOutcome::Started:
        if (m_logic.running()) scheduleStep();
        else step();
        break;
    case StartOutcome::NoImages:
    case StartOutcome::ShowedAlbum:
        m_closing = true;
        done(QDialog::Accepted);
        break;
    case StartOutcome::Declined:
    case StartOutcome::Unwritable: break;
    }
}

void MainWindow::scheduleStep() {
    // One image per turn of the event loop: paints, moves and clicks are handled
    // between images.
    QTimer::singleShot(0, this, &MainWindow::step);
}

void MainWindow::step() {
    if (m_closing) return;
    if (m_logic.running() && m_logic.step()) {
        sync();
        scheduleStep();
        return;
    }
    sync();
    if (m_logic.closed()) {
        m_closing = true;
        done(QDialog::Accepted);
        return;
    }
    m_startButton->setFocus();
    m_startButton->setDefault(true);
}

void MainWindow::editAlbum() {
    AlbumModel& model = m_logic.model();
    if (!m_editor) m_editor = std::make_unique<AlbumEditorWindow>(model, m_platform);
    m_editor->showEditor(model.settings.autorotate);
    m_logic.editorShown(&m_editor->logic());
}

void MainWindow::options() {
    model::ExifCaptionPlace exifpos = m_logic.exifpos();
    OptionsDialog logic(m_logic.model().settings, exifpos, m_logic.model(), m_platform);
    OptionsWindow window(logic, m_platform, this);
    if (runDialog(window)) m_logic.setExifpos(exifpos);
}

void MainWindow::about() {
    AboutWindow window(m_platform, this);
    runDialog(window);
}

void MainWindow::changeDestination() {
    m_logic.changeDestination();
    sync();
}

void MainWindow::reject() {
    // Escape and the close box: the quit question decides.
    if (m_closing || m_logic.closed() || m_logic.requestQuit()) {
        m_closing = true;
        if (m_editor) m_editor->hide();
        QDialog::reject();
    }
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !m_closing) sync();
    return QDialog::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);  // calls reject(), which asks
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) { m_menu->exec(event->globalPos()); }

}  // namespace kavlo::qt
