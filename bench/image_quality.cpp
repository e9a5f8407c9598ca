// SPDX-License-Identifier: MIT
// The measuring tool of bench/quality.sh: PSNR and SSIM of album images against a
// reference picture, read with Kavlo's own source readers (JPEG, PNG, ...).
//
//   image_quality compare REFERENCE IMAGE...
//       one line per IMAGE: "PSNR SSIM TURN" (PSNR in dB, "inf" for identical pictures;
//       TURN is the way IMAGE had to be turned or mirrored to stand as REFERENCE does,
//       0 = as it is, see turned() in image_metrics.h)
//   image_quality encode QUALITY INPUT OUTPUT
//       writes the picture INPUT as the JPEG file OUTPUT with Kavlo's JPEG writer
// Exit status 0, or 2 with a message on standard error when a picture cannot be read,
// written or compared (sizes that no turn makes equal).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "image_metrics.h"
#include "imaging/codecs.h"
#include "imaging/image.h"
#include "imaging/source_image.h"

namespace {

using kavlo::imaging::Image;
using kavlo::imaging::RasterImage;

/// The picture of the file at `path`, 24-bit, in sRGB (a reference resized from a photo
/// with a colour profile keeps that profile, as the album's images show those colours in
/// sRGB); the empty image (with a message) when it cannot be read.
Image load(const std::string& path) {
    kavlo::imaging::DecodedImage d = kavlo::imaging::readSourceImage(path, {});
    if (d.picture.empty()) std::fprintf(stderr, "image_quality: cannot read %s\n", path.c_str());
    kavlo::imaging::convertToSrgb(d, path);
    return std::move(d.picture);
}

int usage() {
    std::fprintf(stderr, "usage: image_quality compare REFERENCE IMAGE...\n"
                         "       image_quality encode QUALITY INPUT OUTPUT\n");
    return 2;
}

int compare(int count, char** paths) {
    const Image referenceImage = load(paths[0]);
    if (referenceImage.empty()) return 2;
    const RasterImage& reference = referenceImage.record();
    int status = 0;
    for (int i = 1; i < count; ++i) {
        const Image pictureImage = load(paths[i]);
        const RasterImage& picture = pictureImage.record();
        int turn = 0;
        const auto s = kavlo::bench::compareTurned(reference, picture, &turn);
        if (!s && picture.pixels != nullptr)
            std::fprintf(stderr, "image_quality: %s (%d x %d) does not fit %s (%d x %d)\n",
                         paths[i], picture.width, picture.height, paths[0], reference.width,
                         reference.height);
        if (s) {
            if (std::isinf(s->psnr)) {
                std::printf("inf %.5f %d\n", s->ssim, turn);
            } else {
                std::printf("%.3f %.5f %d\n", s->psnr, s->ssim, turn);
            }
        } else {
            status = 2;
        }
    }
    return status;
}

int write(const RasterImage& picture, int quality, const char* path) {
    if (kavlo::imaging::RPwriteJpeg(path, quality, nullptr, picture) != 0) {
        std::fprintf(stderr, "image_quality: cannot write %s\n", path);
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "compare" && argc >= 4) return compare(argc - 2, argv + 2);
    if (command == "encode" && argc == 5) {
        const Image picture = load(argv[3]);
        return picture.empty() ? 2 : write(picture.record(), std::atoi(argv[2]), argv[4]);
    }
    return usage();
}
