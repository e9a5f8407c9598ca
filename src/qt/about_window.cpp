// SPDX-License-Identifier: MIT
#include "qt/about_window.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/app_icon.h"
#include "qt/link_label.h"
#include "qt/qt_platform.h"

namespace kavlo::qt {

using core::Platform;
using ui::AboutDialog;
using ui::LinkTarget;
using ui::openHelp;

namespace {

QLabel* paragraph(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(qs(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

CLinkLabel* link(const LinkTarget& target, Platform& platform, QWidget* parent) {
    return new CLinkLabel(qs(target.text), target.target, &platform, parent);
}

}  // namespace

AboutWindow::AboutWindow(Platform& platform, QWidget* parent)
    : QDialog(parent), m_platform(platform) {
    setWindowTitle(tr("About"));
    auto* root = new QVBoxLayout(this);
    const int textWidth = fontMetrics().averageCharWidth() * 70;

    auto* about = new QGroupBox(tr("About"), this);
    auto* ag = new QHBoxLayout(about);
    auto* picture = new QLabel(about);
    picture->setPixmap(kavloPixmap(64, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop);
    ag->addWidget(picture, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    m_version = named(new QLabel(qs(m_logic.versionLine()), about), "version");
    QFont bold = m_version->font();
    bold.setBold(true);
    m_version->setFont(bold);
    texts->addWidget(m_version);
    texts->addWidget(paragraph(AboutDialog::authorLine(), about));
    auto* links = new QGridLayout;
    m_homepage = named(link(AboutDialog::homepage(), platform, about), "homepage");
    m_support = named(link(AboutDialog::support(), platform, about), "support");
    links->addWidget(new QLabel(tr("Homepage:"), about), 0, 0);
    links->addWidget(m_homepage, 0, 1, Qt::AlignLeft);
    links->addWidget(new QLabel(tr("Support:"), about), 1, 0);
    links->addWidget(m_support, 1, 1, Qt::AlignLeft);
    links->setColumnStretch(1, 1);
    texts->addLayout(links);
    QLabel* licence = paragraph(AboutDialog::licenceText(), about);
    licence->setMinimumWidth(textWidth);
    texts->addWidget(licence);
    texts->addWidget(paragraph(AboutDialog::disclaimerText(), about));
    ag->addLayout(texts, 1);
    root->addWidget(about);

    auto* thanks = new QGroupBox(tr("Acknowledgements"), this);
    auto* tg = new QVBoxLayout(thanks);
    tg->addWidget(paragraph(AboutDialog::acknowledgementText(), thanks));
    auto* credit = new QHBoxLayout;
    auto* creditText = new QLabel(qs(AboutDialog::simpleViewerCredit()), thanks);
    creditText->setTextFormat(Qt::PlainText);
    credit->addWidget(creditText);
    m_simpleViewer = named(link(AboutDialog::simpleViewer(), platform, thanks), "simpleViewer");
    credit->addWidget(m_simpleViewer);
    credit->addStretch(1);
    tg->addLayout(credit);
    tg->addWidget(paragraph(AboutDialog::translatorsHeading(), thanks));
    auto* columns = new QGridLayout;
    const std::vector<std::string> credits = AboutDialog::translatorCredits();
    const int perColumn = static_cast<int>((credits.size() + 2) / 3);
    for (int i = 0; i < static_cast<int>(credits.size()); ++i) {
        auto* entry = new QLabel(qs(credits[i]), thanks);
        entry->setTextFormat(Qt::PlainText);
        columns->addWidget(entry, i % perColumn, i / perColumn);
    }
    tg->addLayout(columns);
    root->addWidget(thanks);

    auto* buttons = new QDialogButtonBox(this);
    m_help = named(buttons->addButton(tr("&Help"), QDialogButtonBox::HelpRole), "help");
    m_ok = named(buttons->addButton(QDialogButtonBox::Ok), "ok");
    m_ok->setText(tr("&OK"));
    m_ok->setDefault(true);
    connect(m_help, &QPushButton::clicked, this, [this] { openHelp(m_platform); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    root->addWidget(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kavlo::qt
