// SPDX-License-Identifier: MIT
#include "qt/folder_chooser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "qt/qt_platform.h"
#include "util/files.h"

namespace kavlo::qt {

using core::FolderRequest;
using core::makeMessage;
using core::MessageButtons;
using core::MessageIcon;
using core::Platform;
using util::folderExists;
using util::parentFolderOf;
using util::stripTrailingSeparator;

std::string resolveTypedFolder(const std::string& typed, const std::string& base) {
    QString text = qs(typed).trimmed();
    if (text.isEmpty()) return {};
    if (text == "~" || text.startsWith("~/")) text = QDir::homePath() + text.mid(1);
    if (QDir::isRelativePath(text))
        text = (base.empty() ? QDir::homePath() : qs(base)) + "/" + text;
    text = QDir::cleanPath(text);
    while (text.size() > 1 && text.endsWith('/')) text.chop(1);
    return u8(text);
}

FolderChooserDialog::FolderChooserDialog(Platform& platform, const FolderRequest& request,
                                         QWidget* parent)
    : QDialog(parent), m_platform(platform) {
    setWindowTitle(tr("Browse for Folder"));
    auto* layout = new QVBoxLayout(this);

    auto* title = new QLabel(qs(request.title), this);
    title->setWordWrap(true);
    title->setTextFormat(Qt::PlainText);
    layout->addWidget(title);

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(false);  // lets a new folder be renamed in place
    m_model->setRootPath("/");

    m_tree = named(new QTreeView(this), "tree");
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column) m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_tree->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_tree->setMinimumSize(fontMetrics().averageCharWidth() * 50, fontMetrics().height() * 16);
    layout->addWidget(m_tree, 1);

    auto* pathLabel = new QLabel(tr("F&older:"), this);
    m_path = named(new QLineEdit(this), "path");
    pathLabel->setBuddy(m_path);
    layout->addWidget(pathLabel);
    layout->addWidget(m_path);

    auto* buttons = new QDialogButtonBox(this);
    if (request.newFolderButton) {
        m_newFolder = named(
            buttons->addButton(tr("&Make New Folder"), QDialogButtonBox::ActionRole), "newFolder");
        connect(m_newFolder, &QPushButton::clicked, this, &FolderChooserDialog::makeNewFolder);
    }
    named(buttons->addButton(QDialogButtonBox::Ok), "ok")->setText(tr("&OK"));
    named(buttons->addButton(QDialogButtonBox::Cancel), "cancel")->setText(tr("&Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderChooserDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FolderChooserDialog::reject);
    layout->addWidget(buttons);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) m_path->setText(m_model->filePath(current));
            });
    connect(m_model, &QFileSystemModel::fileRenamed, this,
            [this](const QString& folder, const QString&, const QString& newName) {
                m_path->setText(QDir::cleanPath(folder + "/" + newName));
            });

    // A destination that does not exist yet shows its nearest existing parent.
    const std::string initial = stripTrailingSeparator(request.initialSelection);
    std::string shown = initial;
    while (!shown.empty() && !folderExists(shown)) shown = parentFolderOf(shown);
    selectFolder(shown.empty() ? QDir::homePath() : qs(shown));
    // Without a selection the path names the folder the tree shows, so OK takes it.
    if (!initial.empty()) m_path->setText(qs(initial));
    m_path->setFocus();
}

void FolderChooserDialog::selectFolder(const QString& path) {
    const QModelIndex index = m_model->index(path);
    if (!index.isValid()) return;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) m_tree->expand(p);
    m_tree->setCurrentIndex(index);
    m_tree->expand(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    // The model lists and sorts folders in the background, so rows above the
    // selection arrive and move later: keep the selection in view while that happens,
    // until the user takes the tree over or a few seconds have passed.
    const QPersistentModelIndex selected(index);
    auto* follow = new QObject(this);
    auto keep = [this, selected] {
        if (selected.isValid()) m_tree->scrollTo(selected, QAbstractItemView::PositionAtCenter);
    };
    connect(m_model, &QFileSystemModel::directoryLoaded, follow, keep);
    connect(m_model, &QAbstractItemModel::layoutChanged, follow, keep);
    connect(m_model, &QAbstractItemModel::rowsInserted, follow, keep);
    connect(m_tree, &QTreeView::pressed, follow, &QObject::deleteLater);
    connect(m_tree, &QTreeView::expanded, follow, &QObject::deleteLater);
    connect(m_tree->verticalScrollBar(), &QScrollBar::sliderPressed, follow, &QObject::deleteLater);
    QTimer::singleShot(3000, follow, &QObject::deleteLater);
}

void FolderChooserDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Scrolling needs the tree's final size, which it has only once shown.
    QTimer::singleShot(0, m_tree, [tree = m_tree] {
        tree->scrollTo(tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

std::string FolderChooserDialog::currentFolder() const {
    const QModelIndex index = m_tree->currentIndex();
    return index.isValid() ? u8(m_model->filePath(index)) : std::string();
}

void FolderChooserDialog::makeNewFolder() {
    std::string base = resolveTypedFolder(u8(m_path->text()), currentFolder());
    if (base.empty() || !folderExists(base)) base = currentFolder();
    if (base.empty() || !folderExists(base)) return;
    const QModelIndex parent = m_model->index(qs(base));
    QString name = tr("New Folder");
    for (int n = 2; QDir(qs(base)).exists(name); ++n) name = tr("New Folder (%1)").arg(n);
    const QModelIndex created = m_model->mkdir(parent, name);
    if (!created.isValid()) {
        m_platform.messageBox(makeMessage("The folder could not be created in\n" + base + ".",
                                          "Warning", MessageButtons::Ok, MessageIcon::Warning));
        return;
    }
    m_tree->expand(parent);
    m_tree->setCurrentIndex(created);
    m_path->setText(m_model->filePath(created));
    m_tree->edit(created);
}

void FolderChooserDialog::accept() {
    const std::string path = resolveTypedFolder(u8(m_path->text()), currentFolder());
    // A new folder may be named: Start makes it, as long as its parent is there.
    if (!path.empty() && !folderExists(path) && !folderExists(parentFolderOf(path))) {
        m_platform.messageBox(makeMessage("The typed-in directory does not exist.", "Warning",
                                          MessageButtons::Ok, MessageIcon::Warning));
        m_path->setFocus();
        m_path->selectAll();
        return;
    }
    m_chosen = path;
    QDialog::accept();
}

}  // namespace kavlo::qt
