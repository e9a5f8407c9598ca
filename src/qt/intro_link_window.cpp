// SPDX-License-Identifier: MIT
#include "qt/intro_link_window.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <limits>

#include "qt/qt_platform.h"
#include "ui/intro_link_dialog.h"

namespace kavlo::qt {

using ui::IntroLinkDialog;

void setMultiLineText(QPlainTextEdit* box, const std::string& crlfText) {
    box->setPlainText(qs(IntroLinkDialog::toEditText(crlfText)));
}

std::string multiLineText(const QPlainTextEdit* box) {
    // toRawText keeps no-break spaces (toPlainText would turn them into spaces); the
    // document separates paragraphs with U+2029.
    QString raw = box->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return u8(raw);
}

namespace {

QLabel* note(const char* text, QWidget* parent) {
    auto* label = new QLabel(qs(text), parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

IntroLinkWindow::IntroLinkWindow(IntroLinkDialog& logic, QWidget* parent)
    : QDialog(parent), m_logic(logic) {
    setWindowTitle(tr("Introduction and Link Editor"));
    auto* root = new QVBoxLayout(this);

    m_introduction = named(new QPlainTextEdit(this), "introduction");
    m_introduction->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_introduction->setTabChangesFocus(true);
    setMultiLineText(m_introduction, logic.intro());
    m_shownIntro = multiLineText(m_introduction);
    auto* introLabel = new QLabel(tr("&Introduction"), this);
    introLabel->setBuddy(m_introduction);
    root->addWidget(introLabel);
    root->addWidget(m_introduction, 1);
    root->addWidget(note(IntroLinkDialog::introductionNote(), this));
    root->addSpacing(8);

    m_linkText = named(new QLineEdit(qs(logic.linkText()), this), "linkText");
    m_linkText->setMaxLength(std::numeric_limits<int>::max());
    m_shownLinkText = m_linkText->text();
    auto* textLabel = new QLabel(tr("Link &Text"), this);
    textLabel->setBuddy(m_linkText);
    root->addWidget(textLabel);
    root->addWidget(m_linkText);

    m_linkUrl = named(new QLineEdit(qs(logic.linkUrl()), this), "linkUrl");
    m_linkUrl->setMaxLength(std::numeric_limits<int>::max());
    m_shownLinkUrl = m_linkUrl->text();
    m_linkUrl->setPlaceholderText(QStringLiteral("https://www.example.com"));
    auto* urlLine = new QHBoxLayout;
    auto* urlLabel = new QLabel(tr("Link &URL"), this);
    urlLabel->setBuddy(m_linkUrl);
    m_urlHint = named(new QLabel(qs(IntroLinkDialog::urlHint()), this), "urlHint");
    m_urlHint->setTextFormat(Qt::PlainText);
    QPalette hintPalette = m_urlHint->palette();
    hintPalette.setColor(QPalette::WindowText,
                         hintPalette.color(QPalette::Disabled, QPalette::WindowText));
    m_urlHint->setPalette(hintPalette);
    urlLine->addWidget(urlLabel);
    urlLine->addWidget(m_urlHint, 1);
    root->addLayout(urlLine);
    root->addWidget(m_linkUrl);
    root->addWidget(note(IntroLinkDialog::linkNote(), this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &IntroLinkWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IntroLinkWindow::reject);
    root->addWidget(buttons);
    resize(fontMetrics().averageCharWidth() * 80, fontMetrics().height() * 26);
}

void IntroLinkWindow::accept() {
    const std::string intro = multiLineText(m_introduction);
    if (intro != m_shownIntro) m_logic.setIntroFromEdit(intro);
    if (m_linkText->text() != m_shownLinkText) m_logic.setLinkText(u8(m_linkText->text()));
    if (m_linkUrl->text() != m_shownLinkUrl) m_logic.setLinkUrl(u8(m_linkUrl->text()));
    QDialog::accept();
}

}  // namespace kavlo::qt
