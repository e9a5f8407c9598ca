// SPDX-License-Identifier: MIT
#include "qt/options_window.h"

#include <functional>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
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

QLayout* OptionsWindow::buildSwitches() {
    auto* switches = new QGridLayout;
    m_autorotate =
        named(new QCheckBox(tr("Auto-rotate i&mages according to Exif-info"), this), "autorotate");
    m_simpleviewer =
        named(new QCheckBox(tr("Use Simple&Viewer as primary album viewer"), this), "simpleviewer");
    m_svOptions = named(new QPushButton(tr("Optio&ns"), this), "svOptions");
    m_imagetext =
        named(new QCheckBox(tr("Add watermar&ks to main (and large) images"), this), "imagetext");
    m_watermarkEdit = named(new QPushButton(tr("E&dit"), this), "watermarkEdit");
    m_orgfilenames =
        named(new QCheckBox(
                  tr("Include the ori&ginal image filenames into the album image filenames"), this),
              "orgfilenames");
    switches->addWidget(m_autorotate, 0, 0, 1, 2);
    switches->addWidget(m_simpleviewer, 1, 0);
    switches->addWidget(m_svOptions, 1, 1);
    switches->addWidget(m_imagetext, 2, 0);
    switches->addWidget(m_watermarkEdit, 2, 1);
    switches->addWidget(m_orgfilenames, 3, 0, 1, 2);
    switches->setColumnStretch(0, 1);
    return switches;
}

QWidget* OptionsWindow::buildThumbnailGroup() {
    auto* thumbs = new QGroupBox(tr("Thumbnails"), this);
    auto* tg = new QGridLayout(thumbs);
    m_small = named(new QCheckBox(tr("S&how"), thumbs), "small");
    m_smallSize = named(makeNumberBox(thumbs), "smallSize");
    m_smallQuality = named(makeList(thumbs, qualityItems()), "smallQuality");
    m_smallSharpen = named(new QCheckBox(tr("Sh&arpen "), thumbs), "smallSharpen");
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
    m_mainSharpen = named(new QCheckBox(tr("Sha&rpen "), mains), "mainSharpen");
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
    m_large = named(new QCheckBox(tr("Sho&w"), larges), "large");
    m_largeSize = named(makeNumberBox(larges), "largeSize");
    m_largeQuality = named(makeList(larges, qualityItems()), "largeQuality");
    m_largeSharpen = named(new QCheckBox(tr("Shar&pen"), larges), "largeSharpen");
    m_copyhires = named(new QCheckBox(tr("Use input &files"), larges), "copyhires");
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
    for (const auto& [edit, box] : boxes)
        connect(edit, &QLineEdit::editingFinished, this, [this, box = box] { sizeEdited(box); });
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

void OptionsWindow::sizeEdited(SizeBox box) {
    handle([this, box] { m_logic.checkSize(box); });
}

void OptionsWindow::pull() {
    OptionsControls& c = m_logic.controls;
    c.skin = listText(m_skin);
    c.language = listText(m_language);
    c.exifIndex = std::max(m_exif->currentIndex(), 0);
    c.autorotate = m_autorotate->isChecked();
    c.simpleviewer = m_simpleviewer->isChecked();
    c.imagetext = m_imagetext->isChecked();
    c.orgfilenames = m_orgfilenames->isChecked();
    c.small = m_small->isChecked();
    c.smallSize = u8(m_smallSize->text());
    c.smallQuality = std::max(m_smallQuality->currentIndex(), 0);
    c.smallSharpen = m_smallSharpen->isChecked();
    c.smallPosition = std::max(m_smallPosition->currentIndex(), 0);
    c.mainWidth = u8(m_mainWidth->text());
    c.mainHeight = u8(m_mainHeight->text());
    c.mainQuality = std::max(m_mainQuality->currentIndex(), 0);
    c.mainSharpen = m_mainSharpen->isChecked();
    c.large = m_large->isChecked();
    c.largeSize = u8(m_largeSize->text());
    c.largeQuality = std::max(m_largeQuality->currentIndex(), 0);
    c.largeSharpen = m_largeSharpen->isChecked();
    c.copyhires = m_copyhires->isChecked();
}

void OptionsWindow::push() {
    const OptionsControls& c = m_logic.controls;
    setList(m_skin, c.skin);
    setList(m_language, c.language);
    m_exif->setCurrentIndex(c.exifIndex);
    m_autorotate->setChecked(c.autorotate);
    m_simpleviewer->setChecked(c.simpleviewer);
    m_imagetext->setChecked(c.imagetext);
    m_orgfilenames->setChecked(c.orgfilenames);
    m_small->setChecked(c.small);
    m_smallSize->setText(qs(c.smallSize));
    m_smallQuality->setCurrentIndex(c.smallQuality);
    m_smallSharpen->setChecked(c.smallSharpen);
    m_smallPosition->setCurrentIndex(c.smallPosition);
    m_mainWidth->setText(qs(c.mainWidth));
    m_mainHeight->setText(qs(c.mainHeight));
    m_mainQuality->setCurrentIndex(c.mainQuality);
    m_mainSharpen->setChecked(c.mainSharpen);
    m_large->setChecked(c.large);
    m_largeSize->setText(qs(c.largeSize));
    m_largeQuality->setCurrentIndex(c.largeQuality);
    m_largeSharpen->setChecked(c.largeSharpen);
    m_copyhires->setChecked(c.copyhires);

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
