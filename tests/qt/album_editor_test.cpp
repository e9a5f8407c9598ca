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
#include <QScrollBar>
#include <QTest>
#include <chrono>
#include <deque>
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

QString outputFolder() {
    const QString dir = QString::fromUtf8(KAVLO_TEST_OUTPUT) + "/qt";
    QDir().mkpath(dir);
    return dir;
}

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

class AlbumEditorWindowTest : public ::testing::Test {
protected:
    AlbumModel model;
    QuietPlatform platform;
    std::unique_ptr<AlbumEditorWindow> window;

    void SetUp() override {
        test::ensureApplication();
        for (const char* p : kPhotos) model.images.push_back({test::testPhoto(p), "", ""});
        model.settings.reuseimages = true;
        window = std::make_unique<AlbumEditorWindow>(model, platform);
    }

    void openAndLoad() {
        window->showEditor(true);
        // Before the event loop runs, every item shows the placeholder.
        if (window->logic().thumbnailsShown() == 0)
            window->grab().save(outputFolder() + "/album_editor_loading.png");
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
    ASSERT_EQ(window->listModel->rowCount(), 8);
    for (int row = 0; row < 8; ++row) {
        EXPECT_TRUE(window->logic().thumbnail(row)) << row;
        const auto pm = qvariant_cast<QPixmap>(
            window->listModel->data(window->listModel->index(row), Qt::DecorationRole));
        EXPECT_EQ(pm.size(), QSize(80, 80));
    }
    EXPECT_EQ(window->listModel->data(window->listModel->index(0), Qt::DisplayRole).toString(),
              QString("landscape_1..."));
    EXPECT_EQ(window->list->currentIndex().row(), 0);
    EXPECT_FALSE(window->previous->isEnabled());
    EXPECT_TRUE(window->next->isEnabled());
    EXPECT_TRUE(window->rebuild->isVisible());
    EXPECT_FALSE(window->preview->pixmap().isNull());

    window->logic().select(1);
    QTest::qWait(20);
    EXPECT_TRUE(window->grab().save(outputFolder() + "/album_editor.png"));
}

TEST_F(AlbumEditorWindowTest, keysWorkFromTheListAndTheCaptionBoxes) {
    openAndLoad();
    QTest::keyClick(window->list, Qt::Key_PageDown);
    EXPECT_EQ(window->logic().selected(), 1);
    QTest::keyClick(window->majorCaption, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(window->logic().selected(), 7);
    EXPECT_FALSE(window->next->isEnabled());

    QTest::keyClicks(window->majorCaption, "Harbour at dawn");
    QTest::keyClick(window->majorCaption, Qt::Key_PageUp);
    EXPECT_EQ(model.images[7].macap, "Harbour at dawn");
    EXPECT_EQ(window->majorCaption->text(), QString());
    QTest::keyClick(window->minorCaption, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(window->list->currentIndex().row(), 0);

    platform.answers = {MessageAnswer::Yes};
    QTest::keyClick(window->minorCaption, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(model.images.size(), 7u);
    EXPECT_EQ(window->windowTitle(), QString("Album Editor  -  7 images"));
    EXPECT_EQ(window->listModel->rowCount(), 7);
}

TEST_F(AlbumEditorWindowTest, aDropOnTheLowerHalfInsertsAfterTheItem) {
    openAndLoad();
    const std::string first = nameAt(0), third = nameAt(2);
    const auto firstPicture = window->logic().thumbnail(0);
    ASSERT_TRUE(firstPicture);
    const QRect target = window->list->visualRect(window->listModel->index(2));
    ASSERT_TRUE(target.isValid());
    // The lower half of item 2: the point half an item below lies on item 3.
    window->list->dropAt(0, QPoint(target.center().x(), target.bottom() - 4));
    EXPECT_EQ(nameAt(1), third);
    EXPECT_EQ(nameAt(2), first);
    EXPECT_EQ(window->list->currentIndex().row(), 2);
    EXPECT_FALSE(model.settings.reuseimages);
    // Each item kept its own thumbnail.
    EXPECT_EQ(window->logic().thumbnail(2), firstPicture);
    EXPECT_EQ(window->listModel->data(window->listModel->index(2), Qt::DisplayRole).toString(),
              QString("landscape_1..."));
}

TEST_F(AlbumEditorWindowTest, draggingNearTheBottomScrollsOnEveryThirdMove) {
    for (int i = 0; i < 40; ++i) model.images.push_back(model.images[i % 8]);
    openAndLoad();
    QScrollBar* bar = window->list->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 3 * window->list->itemHeight());
    QMimeData mime;
    // A drag of another program is refused.
    mime.setData("application/x-kavlo-editor-row", "1:0");
    QDragEnterEvent foreign(QPoint(40, 40), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->list->viewport(), &foreign);
    EXPECT_FALSE(foreign.isAccepted());

    mime.setData("application/x-kavlo-editor-row",
                 QByteArray::number(QCoreApplication::applicationPid()) + ":0");
    const QPoint nearBottom(40, window->list->viewport()->height() - 5);
    QDragEnterEvent enter(nearBottom, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->list->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    const int start = bar->value();
    for (int move = 1; move <= 6; ++move) {
        QDragMoveEvent ev(nearBottom, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window->list->viewport(), &ev);
        if (move == 2) EXPECT_EQ(bar->value(), start);
        if (move == 3) EXPECT_EQ(bar->value(), start + window->list->itemHeight());
    }
    EXPECT_EQ(bar->value(), start + 2 * window->list->itemHeight());

    // Released over an item at the top of the scrolled list: the drop event itself moves
    // the image (through the same row arithmetic as dropAt()).
    QDropEvent drop(QPointF(40, 10), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->list->viewport(), &drop);
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
    EXPECT_EQ(window->list->currentIndex().row(), 7);
    menu->actions()[0]->trigger();  // Open
    ASSERT_EQ(platform.opened.size(), 1u);
    EXPECT_EQ(platform.opened[0], model.images[7].path);
    delete menu;
}

TEST_F(AlbumEditorWindowTest, closeCommitsAndHides) {
    openAndLoad();
    QTest::keyClicks(window->minorCaption, "tooltip");
    window->closeButton->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(model.images[0].micap, "tooltip");
    window->showEditor(true);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->minorCaption->text(), QString("tooltip"));
}

TEST_F(AlbumEditorWindowTest, rebuildIsHiddenForNewAlbums) {
    model.settings.reuseimages = false;
    window->showEditor(true);
    EXPECT_FALSE(window->rebuild->isVisible());
    EXPECT_FALSE(window->rebuildNote->isVisible());
}

TEST_F(AlbumEditorWindowTest, extractionAndIntroductionGoThroughTheirDialogs) {
    openAndLoad();
    window->captionExtractionRunner = [](CaptionExtractionDialog& d) {
        d.setSource(CaptionSource::fileName);
        d.setRange(1);
        return true;
    };
    window->extractCaptions->click();
    EXPECT_EQ(model.images[3].macap, "Nikon_D70");
    EXPECT_EQ(window->majorCaption->text(), QString("landscape_1"));

    model.intro = "Hello\r\nworld";
    window->introductionRunner = [](IntroLinkDialog& d) {
        EXPECT_EQ(d.introEditText(), "Hello\nworld");
        d.setLinkUrl("https://www.example.com");
        return true;
    };
    window->introduction->click();
    EXPECT_EQ(model.intro, "Hello\r\nworld");
    EXPECT_EQ(model.settings.linkurl, "https://www.example.com");
}

}  // namespace kavlo::qt
