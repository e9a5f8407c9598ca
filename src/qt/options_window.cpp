// SPDX-License-Identifier: MIT
#include "qt/options_window.h"

#include <functional>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "qt/link_label.h"
#include "qt/qt_platform.h"
#include "qt/simpleviewer_options_window.h"
#include "qt/watermark_window.h"
#include "ui/simpleviewer_options_dialog.h"
#include "ui/watermark_dialog.h"

namespace kavlo::qt {

using core::Platform;
using ui::OptionsControls;
using ui::OptionsDialog;
using ui::OptionsEnabled;
using ui::qualityItems;
using ui::SimpleViewerOptionsDialog;
using ui::SizeBox;
using ui::WatermarkDialog;

namespace {

QComboBox* makeList(QWidget* parent, const std::vector<std::string>& items) {
    auto* combo = new QComboBox(parent);
    for (const std::string& item : items) combo->addItem(qs(item));
    return combo;
}

QLineEdit* makeNumberBox(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    edit->setMaxLength(9);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 7 +
                          edit->fontMetrics().height());
    return edit;
}

QLabel* makeLabel(const char* text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setBuddy(buddy);
    return label;
}

void setList(QComboBox* combo, const std::string& text) {
    combo->setCurrentIndex(text.empty() ? -1 : combo->findText(qs(text)));
}

std::string listText(const QComboBox* combo) {
    return combo->currentIndex() < 0 ? std::string() : u8(combo->currentText());
}

}  // namespace

OptionsWindow::OptionsWindow(OptionsDialog& logic, Platform& platform, QWidget* parent)
    : QDialog(parent), m_logic(logic), m_platform(platform) {
    setWindowTitle(tr("Options"));
    auto* root = new QVBoxLayout(this);
    root->addLayout(buildPageRows());
    root->addLayout(buildSwitches());
    auto* classes = new QHBoxLayout;
    classes->addWidget(buildThumbnailGroup());
    classes->addWidget(buildMainGroup());
    classes->addWidget(buildLargeGroup());
    root->addLayout(classes);
    root->addWidget(buildButtons());
    connectActions();
    push();
}

// Album pages: m_skin, m_language, Exif captions.
QLayout* OptionsWindow::buildPageRows() {
    auto* pages = new QGridLayout;
    m_skin = named(makeList(this, m_logic.skinItems()), "skin");
    m_examples =
        named(new CLinkLabel(tr("[examples]"), OptionsDialog::examplesLink(), &m_platform, this),
              "examples");
    m_language = named(makeList(this, m_logic.languageItems()), "language");
    m_exif = named(
        makeList(this, {"Show as hovering tooltips ", "Show as image captions", "Don't show"}),
        "exif");
    pages->addWidget(makeLabel("&Skin", m_skin, this), 0, 0);
    auto* skinRow = new QHBoxLayout;
    skinRow->addWidget(m_skin, 1);
    skinRow->addWidget(m_examples);
    pages->addLayout(skinRow, 0, 1);
    pages->addWidget(makeLabel("&Language", m_language, this), 1, 0);
    pages->addWidget(m_language, 1, 1);
    pages->addWidget(makeLabel("E&xposure Information (Exif)", m_exif, this), 2, 0);
    pages->addWidget(m_exif, 2, 1);
    auto* notice = new QLabel(
        tr("Notice: This is only added when the album editor has not been invoked."), this);
    notice->setWordWrap(true);
    pages->addWidget(notice, 3, 1);
    pages->setColumnStretch(1, 1);
    return pages;
}

QCheckBox* OptionsWindow::switchBox(QWidget* parent, const QString& text, const char* name,
                                    bool OptionsControls::*value) {
    QCheckBox* box = named(new QCheckBox(text, parent), name);
    m_switches.push_back({box, value});
    return box;
}

QCheckBox* OptionsWindow::addSwitch(QGridLayout* grid, const QString& text, const char* name,
                                    bool OptionsControls::*value, QWidget* beside) {
    const int row = grid->count() == 0 ? 0 : grid->rowCount();
    QCheckBox* box = switchBox(this, text, name, value);
    if (beside) {
        grid->addWidget(box, row, 0);
        grid->addWidget(beside, row, 1);
    } else {
        grid->addWidget(box, row, 0, 1, 2);
    }
    return box;
}

// One row per switch of the album; a new one is one addSwitch() line (and its field in
// OptionsControls).
QLayout* OptionsWindow::buildSwitches() {
    auto* switches = new QGridLayout;
    m_svOptions = named(new QPushButton(tr("Optio&ns"), this), "svOptions");
    m_watermarkEdit = named(new QPushButton(tr("E&dit"), this), "watermarkEdit");
    m_autorotate = addSwitch(switches, tr("Auto-rotate i&mages according to Exif-info"),
                             "autorotate", &OptionsControls::autorotate);
    m_simpleviewer = addSwitch(switches, tr("Use Simple&Viewer as primary album viewer"),
                               "simpleviewer", &OptionsControls::simpleviewer, m_svOptions);
    m_imagetext = addSwitch(switches, tr("Add watermar&ks to main (and large) images"), "imagetext",
                            &OptionsControls::imagetext, m_watermarkEdit);
    m_orgfilenames = addSwitch(
        switches, tr("Include the ori&ginal image filenames into the album image filenames"),
        "orgfilenames", &OptionsControls::orgfilenames);
    addSwitch(switches, tr("Extra sizes for sharp photos on &big and high-resolution screens"),
              "renditions", &OptionsControls::renditions);
    addSwitch(switches, tr("Remove location from pu&blished originals"), "striplocation",
              &OptionsControls::striplocation);
    switches->setColumnStretch(0, 1);
    return switches;
}

QWidget* OptionsWindow::buildThumbnailGroup() {
    auto* thumbs = new QGroupBox(tr("Thumbnails"), this);
    auto* tg = new QGridLayout(thumbs);
    m_small = switchBox(thumbs, tr("S&how"), "small", &OptionsControls::small);
    m_smallSize = named(makeNumberBox(thumbs), "smallSize");
    m_smallQuality = named(makeList(thumbs, qualityItems()), "smallQuality");
    m_smallSharpen =
        switchBox(thumbs, tr("Sh&arpen "), "smallSharpen", &OptionsControls::smallSharpen);
    m_smallPosition = named(makeList(thumbs, {"Left", "Right", "Top", "Bottom"}), "smallPosition");
    tg->addWidget(m_small, 0, 0, 1, 2);
    tg->addWidget(makeLabel("S&ize", m_smallSize, thumbs), 1, 0);
    tg->addWidget(m_smallSize, 1, 1, Qt::AlignLeft);
    tg->addWidget(makeLabel("&Quality", m_smallQuality, thumbs), 2, 0);
    tg->addWidget(m_smallQuality, 2, 1);
    tg->addWidget(m_smallSharpen, 3, 0, 1, 2);
    tg->addWidget(makeLabel("Posi&tion", m_smallPosition, thumbs), 4, 0);
    tg->addWidget(m_smallPosition, 4, 1);
    tg->setRowStretch(5, 1);
    return thumbs;
}

QWidget* OptionsWindow::buildMainGroup() {
    auto* mains = new QGroupBox(tr("Main Images"), this);
    auto* mg = new QGridLayout(mains);
    m_mainWidth = named(makeNumberBox(mains), "mainWidth");
    m_mainHeight = named(makeNumberBox(mains), "mainHeight");
    m_mainQuality = named(makeList(mains, qualityItems()), "mainQuality");
    m_mainSharpen = switchBox(mains, tr("Sha&rpen "), "mainSharpen", &OptionsControls::mainSharpen);
    mg->addWidget(makeLabel("Si&ze (width/height)", m_mainWidth, mains), 0, 0, 1, 2);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_mainWidth);
    sizeRow->addWidget(new QLabel(QStringLiteral("x"), mains));
    sizeRow->addWidget(m_mainHeight);
    sizeRow->addStretch(1);
    mg->addLayout(sizeRow, 1, 0, 1, 2);
    mg->addWidget(makeLabel("Q&uality", m_mainQuality, mains), 2, 0);
    mg->addWidget(m_mainQuality, 2, 1);
    mg->addWidget(m_mainSharpen, 3, 0, 1, 2);
    mg->setRowStretch(4, 1);
    return mains;
}

QWidget* OptionsWindow::buildLargeGroup() {
    auto* larges = new QGroupBox(tr("Large Images"), this);
    auto* lg = new QGridLayout(larges);
    m_large = switchBox(larges, tr("Sho&w"), "large", &OptionsControls::large);
    m_largeSize = named(makeNumberBox(larges), "largeSize");
    m_largeQuality = named(makeList(larges, qualityItems()), "largeQuality");
    m_largeSharpen =
        switchBox(larges, tr("Shar&pen"), "largeSharpen", &OptionsControls::largeSharpen);
    m_copyhires =
        switchBox(larges, tr("Use input &files"), "copyhires", &OptionsControls::copyhires);
    lg->addWidget(m_large, 0, 0, 1, 2);
    lg->addWidget(makeLabel("Siz&e", m_largeSize, larges), 1, 0);
    lg->addWidget(m_largeSize, 1, 1, Qt::AlignLeft);
    lg->addWidget(makeLabel("Qualit&y", m_largeQuality, larges), 2, 0);
    lg->addWidget(m_largeQuality, 2, 1);
    lg->addWidget(m_largeSharpen, 3, 0, 1, 2);
    lg->addWidget(m_copyhires, 4, 0, 1, 2);
    lg->setRowStretch(5, 1);
    return larges;
}

QWidget* OptionsWindow::buildButtons() {
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = named(buttons->addButton(QDialogButtonBox::Ok), "ok");
    ok->setText(tr("&OK"));
    QPushButton* cancel = named(buttons->addButton(QDialogButtonBox::Cancel), "cancel");
    cancel->setText(tr("&Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsWindow::reject);
    return buttons;
}

// Only user actions reach the logic: clicked / activated / editingFinished are not
// emitted when push() sets the widgets.
void OptionsWindow::connectActions() {
    // Each action is a plain closure over the window: a member-function pointer carried
    // through two nested lambdas was called through a broken pointer in the sanitizer
    // build (a crash on every click).
    auto onClick = [this](QAbstractButton* button, std::function<void()> action) {
        connect(button, &QAbstractButton::clicked, this, [this, action] { handle(action); });
    };
    onClick(m_small, [this] { m_logic.clickedSmall(); });
    onClick(m_large, [this] { m_logic.clickedLarge(); });
    onClick(m_copyhires, [this] { m_logic.clickedCopyHires(); });
    onClick(m_imagetext, [this] { m_logic.clickedImageText(); });
    onClick(m_simpleviewer, [this] { m_logic.clickedSimpleViewer(); });
    onClick(m_autorotate, [this] { m_logic.clickedAutorotate(); });
    onClick(m_orgfilenames, [this] { m_logic.clickedOrgFileNames(); });
    for (QCheckBox* box : {m_smallSharpen, m_mainSharpen, m_largeSharpen})
        onClick(box, [this] { m_logic.clickedSharpen(); });
    for (QComboBox* list : {m_smallQuality, m_mainQuality, m_largeQuality})
        connect(list, &QComboBox::activated, this,
                [this] { handle([this] { m_logic.changedQuality(); }); });
    connect(m_svOptions, &QPushButton::clicked, this,
            [this] { handle([this] { m_logic.simpleViewerOptions(*this); }); });
    connect(m_watermarkEdit, &QPushButton::clicked, this,
            [this] { handle([this] { m_logic.editWatermark(*this); }); });
    const std::pair<QLineEdit*, SizeBox> boxes[] = {{m_smallSize, SizeBox::Thumbnails},
                                                    {m_largeSize, SizeBox::Large},
                                                    {m_mainWidth, SizeBox::MainWidth},
                                                    {m_mainHeight, SizeBox::MainHeight}};
    for (const auto& [edit, box] : boxes) {
        connect(edit, &QLineEdit::editingFinished, this, [this, box = box] { sizeEdited(box); });
        edit->installEventFilter(this);
    }
    // A corrected size is in its box while its message is read.
    m_logic.setBeforeMessage([this] { push(); });
}

bool OptionsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return QDialog::eventFilter(watched, event);
    const std::pair<QObject*, SizeBox> boxes[] = {{m_smallSize, SizeBox::Thumbnails},
                                                  {m_largeSize, SizeBox::Large},
                                                  {m_mainWidth, SizeBox::MainWidth},
                                                  {m_mainHeight, SizeBox::MainHeight}};
    for (const auto& [edit, box] : boxes) {
        // Enter checks the box first: a corrected value is shown, not accepted unseen
        // by the OK button that Enter would press next.
        if (watched == edit && sizeEdited(box)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

template <typename F>
void OptionsWindow::handle(F&& handler) {
    // A message box of a handler takes the focus from a number box, whose check must
    // not run again in the middle of this one.
    if (m_busy) return;
    m_busy = true;
    pull();
    handler();
    push();
    m_busy = false;
}

bool OptionsWindow::sizeEdited(SizeBox box) {
    bool corrected = false;
    handle([this, box, &corrected] { corrected = m_logic.checkSize(box); });
    return corrected;
}

void OptionsWindow::pull() {
    OptionsControls& c = m_logic.controls;
    c.skin = listText(m_skin);
    c.language = listText(m_language);
    c.exifIndex = std::max(m_exif->currentIndex(), 0);
    for (const Switch& s : m_switches) c.*s.value = s.box->isChecked();
    c.smallSize = u8(m_smallSize->text());
    c.smallQuality = std::max(m_smallQuality->currentIndex(), 0);
    c.smallPosition = std::max(m_smallPosition->currentIndex(), 0);
    c.mainWidth = u8(m_mainWidth->text());
    c.mainHeight = u8(m_mainHeight->text());
    c.mainQuality = std::max(m_mainQuality->currentIndex(), 0);
    c.largeSize = u8(m_largeSize->text());
    c.largeQuality = std::max(m_largeQuality->currentIndex(), 0);
}

void OptionsWindow::push() {
    const OptionsControls& c = m_logic.controls;
    setList(m_skin, c.skin);
    setList(m_language, c.language);
    m_exif->setCurrentIndex(c.exifIndex);
    for (const Switch& s : m_switches) s.box->setChecked(c.*s.value);
    m_smallSize->setText(qs(c.smallSize));
    m_smallQuality->setCurrentIndex(c.smallQuality);
    m_smallPosition->setCurrentIndex(c.smallPosition);
    m_mainWidth->setText(qs(c.mainWidth));
    m_mainHeight->setText(qs(c.mainHeight));
    m_mainQuality->setCurrentIndex(c.mainQuality);
    m_largeSize->setText(qs(c.largeSize));
    m_largeQuality->setCurrentIndex(c.largeQuality);

    const OptionsEnabled e = m_logic.enabled();
    m_svOptions->setEnabled(e.svOptions);
    m_watermarkEdit->setEnabled(e.watermarkEdit);
    m_smallSize->setEnabled(e.smallSize);
    m_smallQuality->setEnabled(e.smallOthers);
    m_smallSharpen->setEnabled(e.smallOthers);
    m_smallPosition->setEnabled(e.smallOthers);
    m_largeSize->setEnabled(e.largeSize);
    m_largeQuality->setEnabled(e.largeSize);
    m_largeSharpen->setEnabled(e.largeSize);
    m_copyhires->setEnabled(e.copyhires);
}

void OptionsWindow::prepare() {
    m_busy = true;
    m_logic.open();
    push();
    m_busy = false;
}

int OptionsWindow::exec() {
    prepare();
    return QDialog::exec();
}

void OptionsWindow::accept() {
    if (m_busy) return;
    pull();
    if (m_logic.ok()) QDialog::accept();
}

bool OptionsWindow::runSubWindow(QDialog& window) { return window.exec() == QDialog::Accepted; }

bool OptionsWindow::runSimpleViewerOptions(SimpleViewerOptionsDialog& dialog) {
    SimpleViewerOptionsWindow window(dialog, this);
    return runSubWindow(window);
}

bool OptionsWindow::runWatermarkDialog(WatermarkDialog& dialog) {
    WatermarkWindow window(dialog, this);
    return runSubWindow(window);
}

}  // namespace kavlo::qt
