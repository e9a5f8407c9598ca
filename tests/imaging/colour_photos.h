// SPDX-License-Identifier: MIT
// Photos in other colour spaces, for the colour tests and the formats benchmark: an sRGB
// picture moved into a profile's colours, saved as JPEG with the profile embedded, and a
// picture as RGBA for the other formats' encoders.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <lcms2.h>

#include "imaging/raster_image.h"
#include "source_files.h"

namespace kavlo::test {

/// `image` (sRGB) in the colours of `profile`, relative colorimetric, as an editor that
/// converts to another working space stores it.
inline void toProfile(imaging::RasterImage& image, const std::vector<std::uint8_t>& profile) {
    cmsHPROFILE from = cmsCreate_sRGBProfile();
    cmsHPROFILE to = cmsOpenProfileFromMem(profile.data(), cmsUInt32Number(profile.size()));
    cmsHTRANSFORM t =
        cmsCreateTransform(from, TYPE_BGR_8, to, TYPE_BGR_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsDoTransform(t, image.pixels, image.pixels,
                   cmsUInt32Number(std::size_t(image.width) * std::size_t(image.height)));
    cmsDeleteTransform(t);
    cmsCloseProfile(from);
    cmsCloseProfile(to);
}

/// How writeTaggedJpeg stores the picture.
struct JpegForm {
    int quality = 92;
    bool fullChroma = false;  ///< no chroma subsampling (1 x 1 for every component)
    std::vector<std::vector<std::uint8_t>> rawChunks;  ///< APP2 chunks written as given
};

/// Writes `image` as a JPEG with `icc` embedded when not empty, then any raw APP2 chunks
/// of `form`. False when the file cannot be opened.
inline bool writeTaggedJpeg(const std::string& path, const imaging::RasterImage& image,
                            const std::vector<std::uint8_t>& icc, const JpegForm& form = {}) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, form.quality, TRUE);
    if (form.fullChroma)
        for (int c = 0; c < 3; ++c)
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    if (!icc.empty()) jpeg_write_icc_profile(&cinfo, icc.data(), unsigned(icc.size()));
    for (const auto& chunk : form.rawChunks)
        jpeg_write_marker(&cinfo, JPEG_APP0 + 2, chunk.data(), unsigned(chunk.size()));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = image.pixels + std::size_t(cinfo.next_scanline) * image.width * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

/// `image` (blue, green, red) as opaque RGBA.
inline Rgba rgbaOf(const imaging::RasterImage& image) {
    Rgba p{image.width, image.height,
           std::vector<std::uint8_t>(std::size_t(image.width) * image.height * 4)};
    for (std::size_t i = 0; i < std::size_t(image.width) * image.height; ++i) {
        p.px[i * 4] = image.pixels[i * 3 + 2];
        p.px[i * 4 + 1] = image.pixels[i * 3 + 1];
        p.px[i * 4 + 2] = image.pixels[i * 3];
        p.px[i * 4 + 3] = 255;
    }
    return p;
}

/// Mean CIE76 colour difference of two sRGB pictures of the same size; 1e9 when they
/// differ in size or one is empty.
inline double meanDeltaE(const imaging::RasterImage& a, const imaging::RasterImage& b) {
    if (a.width != b.width || a.height != b.height || a.pixels == nullptr) return 1e9;
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM t =
        cmsCreateTransform(srgb, TYPE_BGR_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    const std::size_t n = std::size_t(a.width) * std::size_t(a.height);
    std::vector<cmsCIELab> la(n), lb(n);
    cmsDoTransform(t, a.pixels, la.data(), cmsUInt32Number(n));
    cmsDoTransform(t, b.pixels, lb.data(), cmsUInt32Number(n));
    cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += cmsDeltaE(&la[i], &lb[i]);
    return sum / double(n);
}

/// Mean absolute difference per sample of two 24-bit pictures; 255 when they differ in
/// size or one is empty.
inline double meanLevelDifference(const imaging::RasterImage& a, const imaging::RasterImage& b) {
    if (a.width != b.width || a.height != b.height || a.pixels == nullptr) return 255;
    const std::size_t n = std::size_t(a.width) * std::size_t(a.height) * 3;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += std::abs(int(a.pixels[i]) - int(b.pixels[i]));
    return sum / double(n);
}

}  // namespace kavlo::test
