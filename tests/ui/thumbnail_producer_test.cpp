// SPDX-License-Identifier: MIT
// The thumbnail producer: stopping, restarting and delivery, and the thumbnails and
// previews made from the sample photos.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <thread>

#include "imaging/codecs.h"
#include "imaging/image.h"
#include "source_files.h"
#include "support/oriented_pictures.h"
#include "support/test_photos.h"
#include "ui/thumbnail_producer.h"

namespace kavlo::ui {

namespace {

std::vector<ThumbnailJob> jobs(int n) {
    std::vector<ThumbnailJob> v;
    for (int i = 0; i < n; ++i) v.push_back({i, "/photos/" + std::to_string(i) + ".jpg"});
    return v;
}

Picture tiny(const std::string&, int, bool, ThumbnailSource*) {
    Picture p;
    p.width = p.height = 1;
    p.bgr = {1, 2, 3};
    return p;
}

// Counts notifications and lets a test wait for a number of them.
struct Notifications {
    std::mutex m;
    std::condition_variable cv;
    int count = 0;
    std::function<void()> callback() {
        return [this] {
            std::lock_guard<std::mutex> lock(m);
            ++count;
            cv.notify_all();
        };
    }
};

bool isWhite(const Picture& p, int x, int y) {
    const std::uint8_t* px = &p.bgr[(static_cast<std::size_t>(y) * p.width + x) * 3];
    return px[0] == 255 && px[1] == 255 && px[2] == 255;
}

// Mean absolute difference of two pictures of the same size.
double difference(const Picture& a, const Picture& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.bgr.size(); ++i) sum += std::abs(a.bgr[i] - b.bgr[i]);
    return sum / a.bgr.size();
}

// The rows top .. top + height - 1 of a picture as a 24-bit image.
imaging::RasterImage band(const Picture& p, int top, int height) {
    imaging::RasterImage image =
        imaging::RPcreate(std::uint32_t(p.width), std::uint32_t(height), 24);
    std::memcpy(image.pixels, p.bgr.data() + std::size_t(top) * p.width * 3,
                std::size_t(height) * p.width * 3);
    return image;
}

}  // namespace

TEST(ThumbnailProducer, deliversEveryThumbnailInOrderWithItsGeneration) {
    ThumbnailProducer producer(tiny);
    Notifications n;
    producer.start(7, jobs(5), 80, true, n.callback());
    for (int i = 0; i < 1000 && producer.busy(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto done = producer.take();
    ASSERT_EQ(done.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(done[i].key, i);
        EXPECT_EQ(done[i].generation, 7u);
    }
    producer.stop();
    std::lock_guard<std::mutex> lock(n.m);
    EXPECT_GE(n.count, 2);  // at least one announcement plus the final one
    EXPECT_TRUE(producer.take().empty());
}

TEST(ThumbnailProducer, stoppingMidwayDiscardsWhatWasNotTaken) {
    std::atomic<int> made{0};
    std::atomic<bool> proceed{false};
    ThumbnailProducer producer([&](const std::string& p, int s, bool r, ThumbnailSource* src) {
        if (made.load() >= 3)
            while (!proceed.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++made;
        return tiny(p, s, r, src);
    });
    Notifications n;
    producer.start(1, jobs(50), 80, false, n.callback());
    {
        std::unique_lock<std::mutex> lock(n.m);
        n.cv.wait(lock, [&] { return n.count >= 1; });
    }
    while (made.load() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        proceed = true;
    });
    producer.stop();  // waits for the image in progress, then discards
    releaser.join();
    EXPECT_FALSE(producer.busy());
    EXPECT_TRUE(producer.take().empty());
    EXPECT_LE(made.load(), 4);
}

TEST(ThumbnailProducer, aFailingPictureLeavesItsPlaceholderAndTheRestArrive) {
    ThumbnailProducer producer([](const std::string& p, int s, bool r, ThumbnailSource* src) {
        if (p == "/photos/1.jpg") throw std::bad_alloc();
        return tiny(p, s, r, src);
    });
    producer.start(3, jobs(3), 80, false, nullptr);
    for (int i = 0; i < 1000 && producer.busy(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto done = producer.take();
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(done[0].key, 0);
    EXPECT_EQ(done[1].key, 2);
}

TEST(ThumbnailProducer, aNewStartDropsTheEarlierFill) {
    std::atomic<bool> slow{true};
    ThumbnailProducer producer([&](const std::string& p, int s, bool r, ThumbnailSource* src) {
        if (slow.load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return tiny(p, s, r, src);
    });
    producer.start(1, jobs(200), 80, false, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    slow = false;
    producer.start(2, jobs(3), 80, false, nullptr);
    for (int i = 0; i < 1000 && producer.busy(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto done = producer.take();
    ASSERT_EQ(done.size(), 3u);
    for (const auto& t : done) EXPECT_EQ(t.generation, 2u);
}

TEST(Thumbnail, isAWhiteSquareWithThePictureCentred) {
    ThumbnailSource src{};
    Picture t = makeThumbnail(test::testPhoto("orientation/landscape_1.jpg"), 80, true, &src);
    ASSERT_EQ(t.width, 80);
    ASSERT_EQ(t.height, 80);
    // 600 x 450 gives 80 x 60, placed at y = 10.
    EXPECT_TRUE(isWhite(t, 40, 5));
    EXPECT_TRUE(isWhite(t, 40, 75));
    EXPECT_FALSE(isWhite(t, 40, 40) && isWhite(t, 10, 20) && isWhite(t, 70, 60));
    EXPECT_NE(src, ThumbnailSource::Placeholder);
}

TEST(Thumbnail, autorotationTurnsThePictureUpright) {
    const Picture upright = makeThumbnail(test::testPhoto("orientation/landscape_1.jpg"), 80, true);
    const Picture rotated = makeThumbnail(test::testPhoto("orientation/landscape_6.jpg"), 80, true);
    const Picture asStored =
        makeThumbnail(test::testPhoto("orientation/landscape_6.jpg"), 80, false);
    ASSERT_EQ(rotated.bgr.size(), upright.bgr.size());
    EXPECT_TRUE(isWhite(rotated, 40, 5));    // landscape: white above
    EXPECT_FALSE(isWhite(asStored, 40, 5));  // stored portrait: picture reaches the top
    EXPECT_TRUE(isWhite(asStored, 5, 40));   // and white at the sides
    EXPECT_LT(difference(rotated, upright), 12.0);
    EXPECT_GT(difference(asStored, upright), 20.0);
}

TEST(Thumbnail, everyPhotoFormatIsShownUprightInSrgb) {
    // The upright photo stored turned a quarter anticlockwise: orientation 6 shows it.
    const imaging::Image upright(imaging::RPreadJpeg(test::testPhoto("orientation/landscape_1.jpg"),
                                                     nullptr, 0, nullptr, nullptr));
    ASSERT_FALSE(upright.empty());
    imaging::Image turned = upright.clone();
    imaging::RProtate(turned.record(), -90);
    const auto rgba = [](const imaging::RasterImage& image) {
        test::Rgba p{image.width, image.height,
                     std::vector<std::uint8_t>(std::size_t(image.width) * image.height * 4)};
        for (std::size_t i = 0; i < p.px.size() / 4; ++i) {
            p.px[i * 4] = image.pixels[i * 3 + 2];
            p.px[i * 4 + 1] = image.pixels[i * 3 + 1];
            p.px[i * 4 + 2] = image.pixels[i * 3];
            p.px[i * 4 + 3] = 255;
        }
        return p;
    };
    const test::Rgba stored = rgba(turned.record());
    const std::string dir = test::scratchFile("thumbnail_formats");
    std::filesystem::create_directories(dir);
    test::writePng(dir + "/a.png", stored, {PNG_COLOR_TYPE_RGB, 8, false, {}, test::exifBlock(6)});
    test::writeFile(dir + "/b.webp",
                    test::encodeWebp(stored, {true, false, {}, test::exifBlock(6)}));
    test::HeifSpec heic;  // turned by the container (irot), its Exif block says 6 again
    heic.orientation = 6;
    heic.exif = test::exifBlock(6);
    test::writeFile(dir + "/c.heic", test::encodeHeif(stored, heic));

    const Picture reference =
        makeThumbnail(test::testPhoto("orientation/landscape_1.jpg"), 80, true);
    const Picture previewReference =
        makePreview(test::testPhoto("orientation/landscape_1.jpg"), 300, 200, true);
    for (const char* name : {"a.png", "b.webp", "c.heic"}) {
        ThumbnailSource src{};
        const Picture t = makeThumbnail(dir + "/" + name, 80, true, &src);
        EXPECT_EQ(src, ThumbnailSource::DecodedOther) << name;
        EXPECT_LT(difference(t, reference), 12.0) << name;
        const Picture p = makePreview(dir + "/" + name, 300, 200, true);
        ASSERT_EQ(p.width, previewReference.width) << name;
        EXPECT_LT(difference(p, previewReference), 12.0) << name;
    }
}

TEST(Thumbnail, everyOrientationOfJpegAndTiffIsShownUpright) {
    const std::string folder = std::string(KAVLO_TEST_OUTPUT) + "/ui";
    std::filesystem::create_directories(folder);
    imaging::RasterImage upright = test::quarterPicture(192, 128);
    for (const char* kind : {"jpg", "tif"}) {
        for (int o = 1; o <= 8; ++o) {
            const std::string path = folder + "/oriented_" + std::to_string(o) + "." + kind;
            ASSERT_TRUE(kind[0] == 'j' ? test::writeOrientedJpeg(path, upright, o)
                                       : test::writeOrientedTiff(path, upright, o));
            // The thumbnail: 96 x 64 in the middle of a 96 x 96 square.
            const Picture thumb = makeThumbnail(path, 96, true);
            ASSERT_EQ(thumb.width, 96);
            imaging::RasterImage middle = band(thumb, 16, 64);
            EXPECT_TRUE(test::showsQuartersUpright(middle)) << kind << " " << o;
            EXPECT_TRUE(isWhite(thumb, 48, 4)) << kind << " " << o;
            imaging::RPfree(middle);
            // The preview fills a 150 x 100 area.
            const Picture preview = makePreview(path, 150, 100, true);
            ASSERT_EQ(preview.width, 150) << kind << " " << o;
            ASSERT_EQ(preview.height, 100) << kind << " " << o;
            imaging::RasterImage whole = band(preview, 0, 100);
            EXPECT_TRUE(test::showsQuartersUpright(whole)) << kind << " " << o;
            imaging::RPfree(whole);
        }
    }
    imaging::RPfree(upright);
}

TEST(Thumbnail, unreadableFilesGetAPlaceholder) {
    ThumbnailSource src{};
    for (const std::string path : {"/nonexistent/a.jpg", "/nonexistent/b.tif", "/etc/hostname"}) {
        Picture t = makeThumbnail(path, 80, true, &src);
        ASSERT_EQ(t.width, 80) << path;
        EXPECT_EQ(src, ThumbnailSource::Placeholder);
        EXPECT_FALSE(isWhite(t, 40, 40));
        EXPECT_TRUE(isWhite(t, 40, 2));
    }
}

TEST(Preview, fitsTheAreaAndSurvivesUnreadableFiles) {
    Picture p = makePreview(test::testPhoto("large/iphone_hdr_NO.jpg"), 400, 400, true);
    EXPECT_EQ(p.width, 400);
    EXPECT_EQ(p.height, 300);
    p = makePreview(test::testPhoto("large/canon_hdr_NO.jpg"), 400, 400, true);  // orientation 6
    EXPECT_EQ(p.width, 300);
    EXPECT_EQ(p.height, 400);
    p = makePreview(test::testPhoto("orientation/landscape_6.jpg"), 300, 500, true);
    EXPECT_EQ(p.width, 300);
    EXPECT_EQ(p.height, 225);
    p = makePreview(test::testPhoto("orientation/landscape_6.jpg"), 300, 500, false);
    EXPECT_EQ(p.height, 400);
    EXPECT_EQ(p.width, 300);

    p = makePreview("/nonexistent/x.jpg", 300, 200, true);
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.width, 300);
    EXPECT_EQ(p.bgr[0], 0);
    EXPECT_TRUE(makePreview("/nonexistent/x.jpg", 0, 200, true).empty());
}

}  // namespace kavlo::ui
