// SPDX-License-Identifier: MIT
// Thumbnails and previews for the album editor, and the background producer that
// makes the thumbnails of a whole album off the window's thread.
//
// Pictures handed to the window are plain `Picture` records (24-bit blue, green, red,
// rows top first, packed): they own their bytes, so they can cross threads and be
// dropped without any free call.
//
// The producer runs one background thread per fill, at lower priority than the
// window. It works on its own copy of the image paths; its only shared state is the
// queue of finished thumbnails, guarded by one mutex held just to append or to take.
// Each finished thumbnail carries the generation of its fill and the key the window
// gave its image, so the window can drop thumbnails of an earlier fill and put each
// thumbnail on the item of the image it was made for, wherever that item has moved.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kavlo::ui {

/// A picture for the screen: 24-bit pixels blue, green, red, rows top first, packed
/// (a row is 3 x width bytes). Empty when width or height is 0.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;

    bool empty() const { return width <= 0 || height <= 0; }
};

/// Edge of the square editor thumbnails, in pixels.
inline constexpr int kThumbnailSize = 80;

/// How a thumbnail was made (counted by the benchmark).
enum class ThumbnailSource { ExifThumbnail, DecodedJpeg, Tiff, Placeholder, DecodedOther };

/// The thumbnail of one image on a white size x size square: for a JPEG file its
/// embedded Exif thumbnail when that has the image's orientation (wider than high or
/// not), else the image decoded at reduced size; a TIFF, PNG, WebP, HEIF or AVIF file
/// decoded whole (TIFF turned by its Orientation tag, HEIF and AVIF by their container);
/// anything unreadable a small grey placeholder. With `autorotate` JPEG, PNG and WebP
/// pictures are turned upright by their Exif orientation (all eight values,
/// RPorientUpright). The picture is reduced so that its longer side is `size`, brought
/// to sRGB from the colours its file describes (as the album's images are), then
/// centred. `source` (may be null) tells what it was made from.
Picture makeThumbnail(const std::string& path, int size, bool autorotate,
                      ThumbnailSource* source = nullptr);

/// The preview of one image fitted into an area of areaWidth x areaHeight pixels: a
/// JPEG file decoded at the reduced size for max(areaWidth, areaHeight) and, with
/// `autorotate`, turned upright; a TIFF file decoded whole; a file that is neither, or
/// that cannot be decoded, a 3 x 2 black placeholder. Empty for an empty area.
Picture makePreview(const std::string& path, int areaWidth, int areaHeight, bool autorotate);

/// Label of a thumbnail: the file name, cut to its first 12 characters followed by
/// ".." when it is longer than 14 characters. Characters are counted as UTF-8 code
/// points, so a name is never cut inside a character.
std::string thumbnailLabel(const std::string& path);

/// One image for the producer: the key the window knows it by, and its path.
struct ThumbnailJob {
    int key = 0;
    std::string path;
};

/// A finished thumbnail as the producer delivers it.
struct FinishedThumbnail {
    std::uint64_t generation = 0;
    int key = 0;
    Picture picture;
    ThumbnailSource source = ThumbnailSource::Placeholder;
};

/// Makes one thumbnail; makeThumbnail() unless a test wants another.
using ThumbnailMaker =
    std::function<Picture(const std::string& path, int size, bool autorotate, ThumbnailSource*)>;

class ThumbnailProducer {
public:
    explicit ThumbnailProducer(ThumbnailMaker maker = makeThumbnail);
    /// Stops the thread (see stop()).
    ~ThumbnailProducer();
    ThumbnailProducer(const ThumbnailProducer&) = delete;
    ThumbnailProducer& operator=(const ThumbnailProducer&) = delete;

    /// Stops a producer still running from an earlier start, discards its undelivered
    /// thumbnails, then starts a background thread that makes the thumbnails of
    /// `jobs` in order. `notify` is called on that thread whenever thumbnails wait in
    /// the queue and none was announced since the last take(), and once more after the
    /// last job; it must only post a message to the window's thread.
    void start(std::uint64_t generation, std::vector<ThumbnailJob> jobs, int size, bool autorotate,
               std::function<void()> notify);
    /// Sets the stop flag (checked between images), waits for the thread to end and
    /// discards every thumbnail not yet taken. Safe to call when nothing runs.
    void stop();
    /// Takes every queued thumbnail, in the order they were made.
    std::vector<FinishedThumbnail> take();
    /// True until the thread has made its last thumbnail (or was stopped).
    bool busy() const { return m_busy.load(); }

private:
    void run(std::uint64_t generation, std::vector<ThumbnailJob> jobs, int size, bool autorotate,
             std::function<void()> notify);

    ThumbnailMaker m_maker;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_busy{false};
    std::mutex m_mutex;  // guards m_queue and m_announced
    std::vector<FinishedThumbnail> m_queue;
    bool m_announced = false;
};

}  // namespace kavlo::ui
