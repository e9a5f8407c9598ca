// SPDX-License-Identifier: MIT
#include "qt/main_window.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
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
    if (event->button() == Qt::LeftButton && doubleClicked) doubleClicked();
}

MainWindow::MainWindow(MainDialog& logic, Platform& platform, QWidget* parent)
    : QDialog(parent), m_logic(logic), m_platform(platform) {
    setWindowTitle(QStringLiteral("Kavlo"));
    setWindowIcon(kavloIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    auto* root = new QVBoxLayout(this);

    auto* fields = new QGridLayout;
    title = new QLineEdit(this);
    footer = new QLineEdit(this);
    auto* titleLabel = new QLabel(tr("&Title"), this);
    titleLabel->setBuddy(title);
    auto* footerLabel = new QLabel(tr("&Footer"), this);
    footerLabel->setBuddy(footer);
    fields->addWidget(titleLabel, 0, 0);
    fields->addWidget(title, 0, 1);
    fields->addWidget(footerLabel, 1, 0);
    fields->addWidget(footer, 1, 1);
    fields->setColumnStretch(1, 1);
    root->addLayout(fields);

    auto* destRow = new QHBoxLayout;
    destRow->addWidget(new QLabel(tr("Destination:"), this));
    destination = new DestinationLabel(this);
    destination->setPath(tr("(output dir)"));
    destRow->addWidget(destination, 1);
    change = new CLinkLabel(tr("change"), std::string(), nullptr, this);
    destRow->addWidget(change);
    root->addLayout(destRow);

    progress = new TextProgressBar(this);
    QSizePolicy keep = progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);  // no jump in the layout when the run starts
    progress->setSizePolicy(keep);
    progress->hide();
    root->addWidget(progress);

    auto* buttons = new QHBoxLayout;
    editAlbumButton = new QPushButton(tr("&Edit Album..."), this);
    optionsButton = new QPushButton(tr("&Options..."), this);
    aboutButton = new QPushButton(tr("&About/Help..."), this);
    startButton = new QPushButton(tr("&Start"), this);
    for (QPushButton* b : {editAlbumButton, optionsButton, aboutButton}) {
        QSizePolicy p = b->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        b->setSizePolicy(p);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    startButton->setDefault(true);
    buttons->addWidget(startButton);
    root->addLayout(buttons);

    // The help command (F1) opens the help page, as the About window's "&Help" does.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { openHelp(m_platform); });

    m_menu = new QMenu(this);
    m_menu->addSeparator();
    m_menu->addAction(tr("&About Kavlo..."), this, &MainWindow::about);

    connect(title, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_logic.setTitleText(u8(text)); });
    connect(footer, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_logic.setFooterText(u8(text)); });
    destination->doubleClicked = [this] { m_logic.openInputFolder(); };
    connect(change, &CLinkLabel::clicked, this, &MainWindow::changeDestination);
    connect(editAlbumButton, &QPushButton::clicked, this, &MainWindow::editAlbum);
    connect(optionsButton, &QPushButton::clicked, this, &MainWindow::options);
    connect(aboutButton, &QPushButton::clicked, this, &MainWindow::about);
    connect(startButton, &QPushButton::clicked, this, &MainWindow::start);

    // Wider paths want a wider window; more height has nothing to show.
    const int width = fontMetrics().averageCharWidth() * 90;
    setFixedHeight(sizeHint().height());
    resize(std::max(width, sizeHint().width()), sizeHint().height());
}

MainWindow::~MainWindow() = default;

void MainWindow::open() {
    const bool startNow = m_logic.open();
    sync();
    if (startNow) QTimer::singleShot(0, this, &MainWindow::start);
}

void MainWindow::sync() {
    const MainDialogState& s = m_logic.state();
    setWindowTitle(qs(s.windowTitle));
    if (u8(title->text()) != s.titleText) title->setText(qs(s.titleText));
    if (u8(footer->text()) != s.footerText) footer->setText(qs(s.footerText));
    title->setReadOnly(s.editsReadOnly);
    footer->setReadOnly(s.editsReadOnly);
    destination->setPath(qs(s.destinationText));
    change->setVisible(s.changeVisible);

    progress->setVisible(s.progressVisible);
    progress->setTexts(qs(s.progressLeft), qs(s.progressCentre), qs(s.progressRight));
    progress->setPosition(s.progressPosition);

    editAlbumButton->setVisible(s.editAlbumVisible);
    editAlbumButton->setEnabled(s.editAlbumEnabled);
    optionsButton->setVisible(s.optionsVisible);
    optionsButton->setEnabled(s.optionsEnabled);
    aboutButton->setVisible(s.aboutVisible);
    aboutButton->setEnabled(s.aboutEnabled);
    startButton->setText(qs(s.startText));
    startButton->setEnabled(s.startEnabled);
}

bool MainWindow::runDialog(QDialog& dialog) {
    if (runModal) return runModal(dialog);
    return dialog.exec() == QDialog::Accepted;
}

void MainWindow::start() {
    if (m_closing || !startButton->isEnabled()) return;
    startButton->setFocus();
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
    startButton->setFocus();
    startButton->setDefault(true);
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

void MainWindow::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);  // calls reject(), which asks
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) { m_menu->exec(event->globalPos()); }

}  // namespace kavlo::qt
