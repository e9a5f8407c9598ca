// SPDX-License-Identifier: MIT
// PNG reading through libpng.
//
// As with libjpeg, every libpng call runs inside a PngDecoder method that arms setjmp
// first; the error routine jumps back there, so no C++ object with a destructor lives
// in a frame that a jump crosses. libpng's transformations do the sample work: palette
// and low-depth grey expanded, transparency made an alpha channel, 16 bits rounded to
// 8, grey repeated, blue first. Alpha is then composed over the caller's background.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "imaging/source_image.h"
#include "imaging/source_internal.h"
#include "util/files.h"

#include <png.h>

namespace kavlo::imaging {

using util::ErrorCode;
using util::FilePtr;
using util::openRegularFile;

namespace {

struct PngErrors {
    char message[200] = {};
};

extern "C" {
[[noreturn]] void pngError(png_structp png, png_const_charp text) {
    auto* errors = static_cast<PngErrors*>(png_get_error_ptr(png));
    if (errors != nullptr) std::snprintf(errors->message, sizeof errors->message, "%s", text);
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}
}

class PngDecoder {
public:
    PngDecoder() = default;
    ~PngDecoder() {
        if (m_png != nullptr) png_destroy_read_struct(&m_png, &m_info, nullptr);
    }
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    // Reads the signature and the chunks before the image data.
    bool readInfo(std::FILE* file) {
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &m_errors, pngError, pngWarning);
        if (m_png == nullptr) return fail("out of memory");
        m_info = png_create_info_struct(m_png);
        if (m_info == nullptr) return fail("out of memory");
        if (setjmp(png_jmpbuf(m_png))) return false;
        png_init_io(m_png, file);
        // libpng's own bounds on dimensions; the caller checks pixels and bytes.
        png_set_user_limits(m_png, 0x7FFFFFFF, 0x7FFFFFFF);
        // eXIf is kept as stored: libpng's own handling drops blocks that some writers
        // store with a leading "Exif\0\0".
        static constexpr png_byte kExif[5] = {'e', 'X', 'I', 'f', 0};
        png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_ALWAYS, kExif, 1);
        png_read_info(m_png, m_info);
        return true;
    }

    // Whether the rows will carry alpha (an alpha channel or a transparency chunk).
    bool hasAlpha() const {
        return (png_get_color_type(m_png, m_info) & PNG_COLOR_MASK_ALPHA) != 0 ||
               png_get_valid(m_png, m_info, PNG_INFO_tRNS) != 0;
    }

    // Sets up the transformations to 8-bit blue, green, red (and alpha).
    bool setUp() {
        if (setjmp(png_jmpbuf(m_png))) return false;
        const int type = png_get_color_type(m_png, m_info);
        const int depth = png_get_bit_depth(m_png, m_info);
        const bool alpha = hasAlpha();
        if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(m_png);
        if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(m_png);
        if (png_get_valid(m_png, m_info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(m_png);
        if (depth == 16) png_set_scale_16(m_png);
        if ((type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(m_png);
        png_set_bgr(m_png);
        png_set_interlace_handling(m_png);
        png_read_update_info(m_png, m_info);
        if (png_get_rowbytes(m_png, m_info) != std::size_t(width()) * (alpha ? 4 : 3))
            return fail("unexpected row layout");
        return true;
    }

    // Decodes every row into `out` (already allocated, 24- or 32-bit as hasAlpha() says).
    bool readRows(RasterImage& out) {
        if (setjmp(png_jmpbuf(m_png))) return false;
        const std::size_t stride = RPstride(std::uint32_t(out.width), out.bitsPerPixel);
        m_rows.resize(std::size_t(out.height));
        for (std::size_t y = 0; y < m_rows.size(); ++y) m_rows[y] = out.pixels + y * stride;
        png_read_image(m_png, m_rows.data());
        return true;
    }

    // Reads the chunks after the image data (an eXIf chunk may stand there).
    bool readEnd() {
        if (setjmp(png_jmpbuf(m_png))) return false;
        png_read_end(m_png, m_info);
        return true;
    }

    void metadata(DecodedImage& result) {
        png_charp name = nullptr;
        int compression = 0;
        png_bytep profile = nullptr;
        png_uint_32 length = 0;
        if (png_get_iCCP(m_png, m_info, &name, &compression, &profile, &length) != 0 &&
            profile != nullptr)
            result.iccProfile.assign(profile, profile + length);
        png_unknown_chunkp chunks = nullptr;
        const int count = png_get_unknown_chunks(m_png, m_info, &chunks);
        for (int i = 0; i < count && result.exif.empty(); ++i)
            if (std::memcmp(chunks[i].name, "eXIf", 4) == 0 && chunks[i].data != nullptr)
                result.exif = detail::exifBlockFrom({chunks[i].data, chunks[i].size});
    }

    const char* errorText() const { return m_errors.message; }
    png_uint_32 width() const { return png_get_image_width(m_png, m_info); }
    png_uint_32 height() const { return png_get_image_height(m_png, m_info); }

private:
    bool fail(const char* text) {
        std::snprintf(m_errors.message, sizeof m_errors.message, "%s", text);
        return false;
    }

    PngErrors m_errors;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    std::vector<png_bytep> m_rows;
};

}  // namespace

DecodedImage readPngImage(const std::string& path, const ReadOptions& options) {
    constexpr const char* kReader = "readPngImage";
    DecodedImage result;
    FilePtr file = openRegularFile(path);
    if (!file) return detail::missing(path);
    PngDecoder decoder;
    if (!decoder.readInfo(file.get()))
        return detail::failure(kReader, path, ErrorCode::corrupt, decoder.errorText());
    const bool alpha = decoder.hasAlpha();
    std::string why;
    if (!detail::rasterFits(decoder.width(), decoder.height(), alpha ? 4 : 3, why))
        return detail::failure(kReader, path, ErrorCode::tooLarge, why);
    if (!decoder.setUp())
        return detail::failure(kReader, path, ErrorCode::unsupported, decoder.errorText());
    result.storedWidth = int(decoder.width());
    result.storedHeight = int(decoder.height());
    Image picture = Image::create(decoder.width(), decoder.height(), alpha ? 32 : 24);
    if (picture.empty())
        return detail::failure(kReader, path, ErrorCode::outOfMemory,
                               "out of memory for the picture");
    if (!decoder.readRows(picture.record()))
        return detail::failure(kReader, path, ErrorCode::corrupt, decoder.errorText());
    // The picture is whole; trouble after it (a cut-off end) costs only late chunks.
    if (!decoder.readEnd())
        detail::diagnostic(kReader, path, ErrorCode::truncated,
                           std::string("after the image data: ") + decoder.errorText());
    if (alpha) detail::flattenBgraOnto(picture.record(), options.background);
    decoder.metadata(result);
    result.picture = std::move(picture);
    return result;
}

}  // namespace kavlo::imaging
