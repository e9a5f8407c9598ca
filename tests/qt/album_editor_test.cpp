// SPDX-License-Identifier: MIT
// The album editor window over real photos: thumbnails arrive, keys, caption boxes,
// drops, the context menu, Close; a screenshot goes to test-output/qt/.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <chrono>
#include <deque>
#include <functional>
#include <thread>

#include "qt/album_editor_window.h"
#include "qt_test_support.h"
#include "support/test_photos.h"

namespace kavlo::qt {

using core::CaptionSource;
using core::CustomColours;
using core::FolderChoice;
using core::FolderRequest;
using core::Message;
using core::MessageAnswer;
using core::Platform;
using model::AlbumModel;
using ui::CaptionExtractionDialog;
using ui::IntroLinkDialog;
using util::Colour;

namespace {

class QuietPlatform : public Platform {
public:
    std::deque<MessageAnswer> answers;
    std::vector<Message> shown;
    std::vector<std::string> opened;
    MessageAnswer messageBox(const Message& m) override {
        shown.push_back(m);
        if (answers.empty()) return MessageAnswer::Ok;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    FolderChoice chooseFolder(const FolderRequest&) override { return FolderChoice::cancel(); }
    std::optional<Colour> chooseColour(Colour, CustomColours&) override { return std::nullopt; }
    bool openWithDefaultProgram(const std::string& t) override {
        opened.push_back(t);
        return true;
    }
    void setWaitCursor(bool) override {}
};

const char* kPhotos[] = {
    "orientation/landscape_1.jpg", "orientation/portrait_6.jpg", "cameras/Canon_40D.jpg",
    "cameras/Nikon_D70.jpg",       "cameras/Pentax_K10D.jpg",    "orientation/landscape_6.jpg",
    "cameras/Sony_HDR-HC3.jpg",    "large/canon_hdr_NO.jpg",
};

/// The window with its two modal dialogs answered by the test.
class TestEditorWindow : public AlbumEditorWindow {
public:
    using AlbumEditorWindow::AlbumEditorWindow;
    std::function<bool(CaptionExtractionDialog&)> onCaptionExtraction;
    std::function<bool(IntroLinkDialog&)> onIntroduction;
    bool runCaptionExtraction(CaptionExtractionDialog& dlg) override {
        return onCaptionExtraction && onCaptionExtraction(dlg);
    }
    bool runIntroductionLink(IntroLinkDialog& dlg) override {
        return onIntroduction && onIntroduction(dlg);
    }
};

class AlbumEditorWindowTest : public ::testing::Test {
protected:
    AlbumModel model;
    QuietPlatform platform;
    std::unique_ptr<TestEditorWindow> window;
    ThumbnailListView* list = nullptr;
    QAbstractItemModel* listModel = nullptr;
    QLineEdit* majorCaption = nullptr;
    QLineEdit* minorCaption = nullptr;

    template <typename T = QPushButton>
    T* widget(const char* name) const {
        return test::child<T>(*window, name);
    }

    void SetUp() override {
        test::ensureApplication();
        // The remembered window size lives in this process's own folder and starts
        // empty: editor tests running side by side never see each other's sizes.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString(KAVLO_TEST_OUTPUT "/qt-editor-config-%1")
                               .arg(QCoreApplication::applicationPid()));
        QSettings(QSettings::IniFormat, QSettings::UserScope, "kavlo", "windows").clear();
        for (const char* p : kPhotos) model.images.push_back({test::testPhoto(p), "", ""});
        model.settings.reuseimages = true;
        makeWindow();
    }

    void makeWindow() {
        window = std::make_unique<TestEditorWindow>(model, platform);
        list = widget<ThumbnailListView>("thumbnailList");
        listModel = list->model();
        majorCaption = widget<QLineEdit>("majorCaption");
        minorCaption = widget<QLineEdit>("minorCaption");
    }

    void openAndLoad() {
        window->showEditor(true);
        // Before the event loop runs, every item shows the placeholder.
        if (window->logic().thumbnailsShown() == 0)
            test::saveScreenshot(*window, "album_editor_loading");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (window->logic().loadingThumbnails() && std::chrono::steady_clock::now() < deadline)
            QTest::qWait(10);
        QTest::qWait(50);  // the last posted refresh
    }
    std::string nameAt(int row) const {
        const std::string& p = model.images[row].path;
        return p.substr(p.rfind('/') + 1);
    }
};

}  // namespace

TEST_F(AlbumEditorWindowTest, showsEveryThumbnailAndTheFirstImage) {
    openAndLoad();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QString("Album Editor  -  8 images"));
    ASSERT_EQ(listModel->rowCount(), 8);
    for (int row = 0; row < 8; ++row) {
        EXPECT_TRUE(window->logic().thumbnail(row)) << row;
        const auto pm =
            qvariant_cast<QPixmap>(listModel->data(listModel->index(row, 0), Qt::DecorationRole));
        EXPECT_EQ(pm.deviceIndependentSize(), QSizeF(80, 80));
    }
    EXPECT_EQ(listModel->data(listModel->index(0, 0), Qt::DisplayRole).toString(),
              QString("landscape_1..."));
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_FALSE(widget("previous")->isEnabled());
    EXPECT_TRUE(widget("next")->isEnabled());
    EXPECT_TRUE(widget("rebuild")->isVisible());
    EXPECT_FALSE(widget<PreviewArea>("preview")->pixmap().isNull());

    window->logic().select(1);
    QTest::qWait(20);
    test::saveScreenshot(*window, "album_editor");
}

TEST_F(AlbumEditorWindowTest, keysWorkFromTheListAndTheCaptionBoxes) {
    openAndLoad();
    QTest::keyClick(list, Qt::Key_PageDown);
    EXPECT_EQ(window->logic().selected(), 1);
    QTest::keyClick(majorCaption, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(window->logic().selected(), 7);
    EXPECT_FALSE(widget("next")->isEnabled());

    QTest::keyClicks(majorCaption, "Harbour at dawn");
    QTest::keyClick(majorCaption, Qt::Key_PageUp);
    EXPECT_EQ(model.images[7].macap, "Harbour at dawn");
    EXPECT_EQ(majorCaption->text(), QString());
    QTest::keyClick(minorCaption, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(list->currentIndex().row(), 0);

    platform.answers = {MessageAnswer::Yes};
    QTest::keyClick(minorCaption, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(model.images.size(), 7u);
    EXPECT_EQ(window->windowTitle(), QString("Album Editor  -  7 images"));
    EXPECT_EQ(listModel->rowCount(), 7);
}

TEST_F(AlbumEditorWindowTest, aDropOnTheLowerHalfInsertsAfterTheItem) {
    openAndLoad();
    const std::string first = nameAt(0), third = nameAt(2);
    const auto firstPicture = window->logic().thumbnail(0);
    ASSERT_TRUE(firstPicture);
    const QRect target = list->visualRect(listModel->index(2, 0));
    ASSERT_TRUE(target.isValid());
    // The lower half of item 2: the point half an item below lies on item 3.
    list->dropAt(0, QPoint(target.center().x(), target.bottom() - 4));
    EXPECT_EQ(nameAt(1), third);
    EXPECT_EQ(nameAt(2), first);
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_FALSE(model.settings.reuseimages);
    // Each item kept its own thumbnail.
    EXPECT_EQ(window->logic().thumbnail(2), firstPicture);
    EXPECT_EQ(listModel->data(listModel->index(2, 0), Qt::DisplayRole).toString(),
              QString("landscape_1..."));
}

TEST_F(AlbumEditorWindowTest, draggingNearTheBottomScrollsOnEveryThirdMove) {
    for (int i = 0; i < 40; ++i) model.images.push_back(model.images[i % 8]);
    openAndLoad();
    QScrollBar* bar = list->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 3 * list->itemHeight());
    QMimeData mime;
    // A drag of another program is refused.
    mime.setData("application/x-kavlo-editor-row", "1:0");
    QDragEnterEvent foreign(QPoint(40, 40), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &foreign);
    EXPECT_FALSE(foreign.isAccepted());

    mime.setData("application/x-kavlo-editor-row",
                 QByteArray::number(QCoreApplication::applicationPid()) + ":0");
    const QPoint nearBottom(40, list->viewport()->height() - 5);
    QDragEnterEvent enter(nearBottom, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    const int start = bar->value();
    for (int move = 1; move <= 6; ++move) {
        QDragMoveEvent ev(nearBottom, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &ev);
        if (move == 2) {
            EXPECT_EQ(bar->value(), start);
        }
        if (move == 3) {
            EXPECT_EQ(bar->value(), start + list->itemHeight());
        }
    }
    EXPECT_EQ(bar->value(), start + 2 * list->itemHeight());

    // Released over an item at the top of the scrolled list: the drop event itself moves
    // the image (through the same row arithmetic as dropAt()).
    QDropEvent drop(QPointF(40, 10), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_FALSE(model.settings.reuseimages);
}

TEST_F(AlbumEditorWindowTest, contextMenuCarriesTheCommands) {
    openAndLoad();
    EXPECT_EQ(window->contextMenuFor(-1), nullptr);
    QMenu* menu = window->contextMenuFor(1);
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* a : menu->actions()) texts << (a->isSeparator() ? QString("-") : a->text());
    EXPECT_EQ(texts.join("|"), QString("&Open|&Exclude|-|Move to &Top|Move to &End|-|"
                                       "Extract Caption|&Revert Order"));
    window->logic().select(1);
    const std::string moved = nameAt(1);
    menu->actions()[4]->trigger();  // Move to End
    EXPECT_EQ(nameAt(7), moved);
    EXPECT_EQ(list->currentIndex().row(), 7);
    menu->actions()[0]->trigger();  // Open
    ASSERT_EQ(platform.opened.size(), 1u);
    EXPECT_EQ(platform.opened[0], model.images[7].path);
    delete menu;
}

TEST_F(AlbumEditorWindowTest, movesAndExclusionChangeRowsWithoutResettingTheList) {
    openAndLoad();
    int resets = 0;
    std::vector<std::pair<int, int>> moves;
    std::vector<int> removals;
    QObject::connect(listModel, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(listModel, &QAbstractItemModel::rowsMoved,
                     [&](const QModelIndex&, int first, int, const QModelIndex&, int dest) {
                         moves.emplace_back(first, dest);
                     });
    QObject::connect(listModel, &QAbstractItemModel::rowsRemoved,
                     [&](const QModelIndex&, int first, int) { removals.push_back(first); });
    const QString label5 = listModel->index(5, 0).data().toString();
    window->logic().select(5);
    window->logic().moveToTop();
    window->logic().moveToTop();  // already there: nothing moves
    window->logic().select(1);
    window->logic().moveToEnd();
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], std::make_pair(5, 0));
    EXPECT_EQ(moves[1], std::make_pair(1, 8));  // Qt counts the destination before the move
    EXPECT_EQ(listModel->index(0, 0).data().toString(), label5);
    EXPECT_EQ(list->currentIndex().row(), 7);

    platform.answers = {MessageAnswer::Yes};
    window->logic().exclude();
    EXPECT_EQ(removals, std::vector<int>{7});
    EXPECT_EQ(listModel->rowCount(), 7);
    EXPECT_EQ(list->currentIndex().row(), 6);
    EXPECT_EQ(resets, 0);
}

TEST_F(AlbumEditorWindowTest, closeCommitsAndHides) {
    openAndLoad();
    QTest::keyClicks(minorCaption, "tooltip");
    widget("close")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(model.images[0].micap, "tooltip");
    window->showEditor(true);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(minorCaption->text(), QString("tooltip"));
}

TEST_F(AlbumEditorWindowTest, nextAtTheEndKeepsTheFocusInTheListAndEscapeCloses) {
    openAndLoad();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->logic().select(6);
    QPushButton* next = widget("next");
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Space);
    EXPECT_EQ(window->logic().selected(), 7);
    EXPECT_FALSE(next->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Space);  // a second Space leaves the editor open
    EXPECT_TRUE(window->isVisible());

    // Escape from a caption box commits it, as Close does.
    QTest::keyClicks(minorCaption, "by the sea");
    QTest::keyClick(minorCaption, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(model.images[7].micap, "by the sea");
}

TEST_F(AlbumEditorWindowTest, fitsTheScreenKeepsItsRowsApartAndRemembersItsSize) {
    makeWindow();
    openAndLoad();
    const QRect room = window->screen()->availableGeometry();
    EXPECT_LE(window->width(), room.width());
    EXPECT_LE(window->height(), room.height());
    EXPECT_LE(window->minimumWidth(), room.width());
    EXPECT_LE(window->minimumHeight(), room.height());
    test::saveScreenshot(*window, "album_editor_fitted");

    // Shrunk as far as it goes: the preview never reaches the caption rows and every
    // button stays inside the window.
    window->resize(10, 10);
    QTest::qWait(20);
    EXPECT_EQ(window->size(), window->minimumSize());
    const QRect preview = widget<PreviewArea>("preview")->geometry();
    EXPECT_LT(preview.bottom(), majorCaption->geometry().top());
    EXPECT_LT(majorCaption->geometry().bottom(), minorCaption->geometry().top());
    for (const char* name : {"previous", "next", "close", "extractCaptions", "rebuild"}) {
        EXPECT_TRUE(window->rect().contains(widget(name)->geometry())) << name;
        EXPECT_GE(widget(name)->height(), widget(name)->minimumSizeHint().height()) << name;
    }
    test::saveScreenshot(*window, "album_editor_smallest");

    const QSize chosen = window->minimumSize() + QSize(40, 30);
    window->resize(chosen);
    widget("close")->click();
    TestEditorWindow again(model, platform);
    EXPECT_EQ(again.size(), chosen);
}

TEST_F(AlbumEditorWindowTest, thumbnailsAndPreviewAreMadeAtDevicePixels) {
    openAndLoad();
    const qreal ratio = window->devicePixelRatioF();
    const auto picture = window->logic().thumbnail(0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, qRound(80 * ratio));
    const auto pm = qvariant_cast<QPixmap>(listModel->index(0, 0).data(Qt::DecorationRole));
    EXPECT_EQ(pm.deviceIndependentSize(), QSizeF(80, 80));
    EXPECT_EQ(pm.devicePixelRatio(), ratio);
    const auto* preview = widget<PreviewArea>("preview");
    const QPixmap shown = preview->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.devicePixelRatio(), ratio);
    // The photo fills the area in one direction, counted in device pixels.
    const QSize area = preview->contentsRect().size() * ratio;
    EXPECT_TRUE(std::abs(shown.width() - area.width()) <= 1 ||
                std::abs(shown.height() - area.height()) <= 1)
        << shown.width() << "x" << shown.height() << " in " << area.width() << "x" << area.height();
}

TEST_F(AlbumEditorWindowTest, rebuildIsHiddenForNewAlbums) {
    model.settings.reuseimages = false;
    window->showEditor(true);
    EXPECT_FALSE(widget("rebuild")->isVisible());
    EXPECT_FALSE(widget<QLabel>("rebuildNote")->isVisible());
}

TEST_F(AlbumEditorWindowTest, extractionAndIntroductionGoThroughTheirDialogs) {
    openAndLoad();
    window->onCaptionExtraction = [](CaptionExtractionDialog& d) {
        d.setSource(CaptionSource::fileName);
        d.setRange(1);
        return true;
    };
    widget("extractCaptions")->click();
    EXPECT_EQ(model.images[3].macap, "Nikon_D70");
    EXPECT_EQ(majorCaption->text(), QString("landscape_1"));

    model.intro = "Hello\r\nworld";
    window->onIntroduction = [](IntroLinkDialog& d) {
        EXPECT_EQ(d.introEditText(), "Hello\nworld");
        d.setLinkUrl("https://www.example.com");
        return true;
    };
    widget("introduction")->click();
    EXPECT_EQ(model.intro, "Hello\r\nworld");
    EXPECT_EQ(model.settings.linkurl, "https://www.example.com");
}

}  // namespace kavlo::qt
