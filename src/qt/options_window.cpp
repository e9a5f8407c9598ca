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

    // Album pages: skin, language, Exif captions.
    auto* pages = new QGridLayout;
    skin = makeList(this, logic.skinItems());
    examples = new CLinkLabel(tr("[examples]"), OptionsDialog::examplesLink(), &platform, this);
    language = makeList(this, logic.languageItems());
    exif = makeList(this, {"Show as hovering tooltips ", "Show as image captions", "Don't show"});
    pages->addWidget(makeLabel("&Skin", skin, this), 0, 0);
    auto* skinRow = new QHBoxLayout;
    skinRow->addWidget(skin, 1);
    skinRow->addWidget(examples);
    pages->addLayout(skinRow, 0, 1);
    pages->addWidget(makeLabel("&Language", language, this), 1, 0);
    pages->addWidget(language, 1, 1);
    pages->addWidget(makeLabel("E&xposure Information (Exif)", exif, this), 2, 0);
    pages->addWidget(exif, 2, 1);
    auto* notice = new QLabel(
        tr("Notice: This is only added when the album editor has not been invoked."), this);
    notice->setWordWrap(true);
    pages->addWidget(notice, 3, 1);
    pages->setColumnStretch(1, 1);
    root->addLayout(pages);

    // Switches.
    auto* switches = new QGridLayout;
    autorotate = new QCheckBox(tr("Auto-rotate i&mages according to Exif-info"), this);
    simpleviewer = new QCheckBox(tr("Use Simple&Viewer as primary album viewer"), this);
    svOptions = new QPushButton(tr("Optio&ns"), this);
    imagetext = new QCheckBox(tr("Add watermar&ks to main (and large) images"), this);
    watermarkEdit = new QPushButton(tr("E&dit"), this);
    orgfilenames = new QCheckBox(
        tr("Include the ori&ginal image filenames into the album image filenames"), this);
    switches->addWidget(autorotate, 0, 0, 1, 2);
    switches->addWidget(simpleviewer, 1, 0);
    switches->addWidget(svOptions, 1, 1);
    switches->addWidget(imagetext, 2, 0);
    switches->addWidget(watermarkEdit, 2, 1);
    switches->addWidget(orgfilenames, 3, 0, 1, 2);
    switches->setColumnStretch(0, 1);
    root->addLayout(switches);

    // The three image classes side by side.
    auto* classes = new QHBoxLayout;

    auto* thumbs = new QGroupBox(tr("Thumbnails"), this);
    auto* tg = new QGridLayout(thumbs);
    small = new QCheckBox(tr("S&how"), thumbs);
    smallSize = makeNumberBox(thumbs);
    smallQuality = makeList(thumbs, qualityItems());
    smallSharpen = new QCheckBox(tr("Sh&arpen "), thumbs);
    smallPosition = makeList(thumbs, {"Left", "Right", "Top", "Bottom"});
    tg->addWidget(small, 0, 0, 1, 2);
    tg->addWidget(makeLabel("S&ize", smallSize, thumbs), 1, 0);
    tg->addWidget(smallSize, 1, 1, Qt::AlignLeft);
    tg->addWidget(makeLabel("&Quality", smallQuality, thumbs), 2, 0);
    tg->addWidget(smallQuality, 2, 1);
    tg->addWidget(smallSharpen, 3, 0, 1, 2);
    tg->addWidget(makeLabel("Posi&tion", smallPosition, thumbs), 4, 0);
    tg->addWidget(smallPosition, 4, 1);
    tg->setRowStretch(5, 1);
    classes->addWidget(thumbs);

    auto* mains = new QGroupBox(tr("Main Images"), this);
    auto* mg = new QGridLayout(mains);
    mainWidth = makeNumberBox(mains);
    mainHeight = makeNumberBox(mains);
    mainQuality = makeList(mains, qualityItems());
    mainSharpen = new QCheckBox(tr("Sha&rpen "), mains);
    mg->addWidget(makeLabel("Si&ze (width/height)", mainWidth, mains), 0, 0, 1, 2);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(mainWidth);
    sizeRow->addWidget(new QLabel(QStringLiteral("x"), mains));
    sizeRow->addWidget(mainHeight);
    sizeRow->addStretch(1);
    mg->addLayout(sizeRow, 1, 0, 1, 2);
    mg->addWidget(makeLabel("Q&uality", mainQuality, mains), 2, 0);
    mg->addWidget(mainQuality, 2, 1);
    mg->addWidget(mainSharpen, 3, 0, 1, 2);
    mg->setRowStretch(4, 1);
    classes->addWidget(mains);

    auto* larges = new QGroupBox(tr("Large Images"), this);
    auto* lg = new QGridLayout(larges);
    large = new QCheckBox(tr("Sho&w"), larges);
    largeSize = makeNumberBox(larges);
    largeQuality = makeList(larges, qualityItems());
    largeSharpen = new QCheckBox(tr("Shar&pen"), larges);
    copyhires = new QCheckBox(tr("Use input &files"), larges);
    lg->addWidget(large, 0, 0, 1, 2);
    lg->addWidget(makeLabel("Siz&e", largeSize, larges), 1, 0);
    lg->addWidget(largeSize, 1, 1, Qt::AlignLeft);
    lg->addWidget(makeLabel("Qualit&y", largeQuality, larges), 2, 0);
    lg->addWidget(largeQuality, 2, 1);
    lg->addWidget(largeSharpen, 3, 0, 1, 2);
    lg->addWidget(copyhires, 4, 0, 1, 2);
    lg->setRowStretch(5, 1);
    classes->addWidget(larges);
    root->addLayout(classes);

    auto* buttons = new QDialogButtonBox(this);
    okButton = buttons->addButton(QDialogButtonBox::Ok);
    okButton->setText(tr("&OK"));
    cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    cancelButton->setText(tr("&Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsWindow::reject);
    root->addWidget(buttons);

    // Only user actions reach the logic: clicked / activated / editingFinished are not
    // emitted when push() sets the widgets.
    // Each action is a plain closure over the window: a member-function pointer carried
    // through two nested lambdas was called through a broken pointer in the sanitizer
    // build (a crash on every click).
    auto onClick = [this](QAbstractButton* button, std::function<void()> action) {
        connect(button, &QAbstractButton::clicked, this, [this, action] { handle(action); });
    };
    onClick(small, [this] { m_logic.clickedSmall(); });
    onClick(large, [this] { m_logic.clickedLarge(); });
    onClick(copyhires, [this] { m_logic.clickedCopyHires(); });
    onClick(imagetext, [this] { m_logic.clickedImageText(); });
    onClick(simpleviewer, [this] { m_logic.clickedSimpleViewer(); });
    onClick(autorotate, [this] { m_logic.clickedAutorotate(); });
    onClick(orgfilenames, [this] { m_logic.clickedOrgFileNames(); });
    for (QCheckBox* box : {smallSharpen, mainSharpen, largeSharpen})
        onClick(box, [this] { m_logic.clickedSharpen(); });
    for (QComboBox* list : {smallQuality, mainQuality, largeQuality})
        connect(list, &QComboBox::activated, this,
                [this] { handle([this] { m_logic.changedQuality(); }); });
    connect(svOptions, &QPushButton::clicked, this,
            [this] { handle([this] { m_logic.simpleViewerOptions(*this); }); });
    connect(watermarkEdit, &QPushButton::clicked, this,
            [this] { handle([this] { m_logic.editWatermark(*this); }); });
    const std::pair<QLineEdit*, SizeBox> boxes[] = {{smallSize, SizeBox::Thumbnails},
                                                    {largeSize, SizeBox::Large},
                                                    {mainWidth, SizeBox::MainWidth},
                                                    {mainHeight, SizeBox::MainHeight}};
    for (const auto& [edit, box] : boxes)
        connect(edit, &QLineEdit::editingFinished, this, [this, box = box] { sizeEdited(box); });

    push();
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
    c.skin = listText(skin);
    c.language = listText(language);
    c.exifIndex = std::max(exif->currentIndex(), 0);
    c.autorotate = autorotate->isChecked();
    c.simpleviewer = simpleviewer->isChecked();
    c.imagetext = imagetext->isChecked();
    c.orgfilenames = orgfilenames->isChecked();
    c.small = small->isChecked();
    c.smallSize = u8(smallSize->text());
    c.smallQuality = std::max(smallQuality->currentIndex(), 0);
    c.smallSharpen = smallSharpen->isChecked();
    c.smallPosition = std::max(smallPosition->currentIndex(), 0);
    c.mainWidth = u8(mainWidth->text());
    c.mainHeight = u8(mainHeight->text());
    c.mainQuality = std::max(mainQuality->currentIndex(), 0);
    c.mainSharpen = mainSharpen->isChecked();
    c.large = large->isChecked();
    c.largeSize = u8(largeSize->text());
    c.largeQuality = std::max(largeQuality->currentIndex(), 0);
    c.largeSharpen = largeSharpen->isChecked();
    c.copyhires = copyhires->isChecked();
}

void OptionsWindow::push() {
    const OptionsControls& c = m_logic.controls;
    setList(skin, c.skin);
    setList(language, c.language);
    exif->setCurrentIndex(c.exifIndex);
    autorotate->setChecked(c.autorotate);
    simpleviewer->setChecked(c.simpleviewer);
    imagetext->setChecked(c.imagetext);
    orgfilenames->setChecked(c.orgfilenames);
    small->setChecked(c.small);
    smallSize->setText(qs(c.smallSize));
    smallQuality->setCurrentIndex(c.smallQuality);
    smallSharpen->setChecked(c.smallSharpen);
    smallPosition->setCurrentIndex(c.smallPosition);
    mainWidth->setText(qs(c.mainWidth));
    mainHeight->setText(qs(c.mainHeight));
    mainQuality->setCurrentIndex(c.mainQuality);
    mainSharpen->setChecked(c.mainSharpen);
    large->setChecked(c.large);
    largeSize->setText(qs(c.largeSize));
    largeQuality->setCurrentIndex(c.largeQuality);
    largeSharpen->setChecked(c.largeSharpen);
    copyhires->setChecked(c.copyhires);

    const OptionsEnabled e = m_logic.enabled();
    svOptions->setEnabled(e.svOptions);
    watermarkEdit->setEnabled(e.watermarkEdit);
    smallSize->setEnabled(e.smallSize);
    smallQuality->setEnabled(e.smallOthers);
    smallSharpen->setEnabled(e.smallOthers);
    smallPosition->setEnabled(e.smallOthers);
    largeSize->setEnabled(e.largeSize);
    largeQuality->setEnabled(e.largeSize);
    largeSharpen->setEnabled(e.largeSize);
    copyhires->setEnabled(e.copyhires);
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

bool OptionsWindow::runSimpleViewerOptions(SimpleViewerOptionsDialog& dialog) {
    SimpleViewerOptionsWindow window(dialog, this);
    if (subWindowHook) return subWindowHook(window);
    return window.exec() == QDialog::Accepted;
}

bool OptionsWindow::runWatermarkDialog(WatermarkDialog& dialog) {
    WatermarkWindow window(dialog, this);
    if (subWindowHook) return subWindowHook(window);
    return window.exec() == QDialog::Accepted;
}

}  // namespace kavlo::qt
