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
    root->addWidget(buildAboutGroup());
    root->addWidget(buildCreditsGroup());

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

// The program: icon, version, the help page and read-me shipped with it, its licence.
QWidget* AboutWindow::buildAboutGroup() {
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
    m_helpPage = named(link(AboutDialog::helpPage(), m_platform, about), "helpPage");
    m_readme = named(link(AboutDialog::readme(), m_platform, about), "readme");
    links->addWidget(new QLabel(tr("Help page:"), about), 0, 0);
    links->addWidget(m_helpPage, 0, 1, Qt::AlignLeft);
    links->addWidget(new QLabel(tr("Read me:"), about), 1, 0);
    links->addWidget(m_readme, 1, 1, Qt::AlignLeft);
    links->setColumnStretch(1, 1);
    texts->addLayout(links);
    QLabel* licence = paragraph(AboutDialog::licenceText(), about);
    licence->setMinimumWidth(fontMetrics().averageCharWidth() * 70);
    texts->addWidget(licence);
    texts->addWidget(paragraph(AboutDialog::disclaimerText(), about));
    ag->addLayout(texts, 1);
    return about;
}

// What Kavlo owes: libraries and fonts with their licences, the test photographs, the
// gallery style.
QWidget* AboutWindow::buildCreditsGroup() {
    auto* thanks = new QGroupBox(tr("Acknowledgements"), this);
    auto* tg = new QVBoxLayout(thanks);
    tg->addWidget(paragraph(AboutDialog::acknowledgementText(), thanks));
    auto* table = new QGridLayout;
    table->setHorizontalSpacing(16);
    table->setContentsMargins(12, 0, 0, 0);
    // Two columns of name and licence: the window fits a 200 % screen.
    const std::vector<ui::Credit> credits = AboutDialog::credits();
    const int rows = static_cast<int>((credits.size() + 1) / 2);
    for (int i = 0; i < static_cast<int>(credits.size()); ++i) {
        auto* name = new QLabel(qs(credits[i].name), thanks);
        name->setTextFormat(Qt::PlainText);
        auto* licence = new QLabel(qs(credits[i].licence), thanks);
        licence->setTextFormat(Qt::PlainText);
        table->addWidget(name, i % rows, 2 * (i / rows));
        table->addWidget(licence, i % rows, 2 * (i / rows) + 1);
    }
    table->setColumnStretch(3, 1);
    tg->addLayout(table);
    tg->addWidget(named(paragraph(AboutDialog::testPhotoCredit(), thanks), "testPhotos"));
    auto* viewer = new QHBoxLayout;
    auto* creditText = new QLabel(qs(AboutDialog::simpleViewerCredit()), thanks);
    creditText->setTextFormat(Qt::PlainText);
    viewer->addWidget(creditText);
    m_simpleViewer = named(link(AboutDialog::simpleViewer(), m_platform, thanks), "simpleViewer");
    viewer->addWidget(m_simpleViewer);
    viewer->addStretch(1);
    tg->addLayout(viewer);
    return thanks;
}

}  // namespace kavlo::qt
