// SPDX-License-Identifier: MIT
// JPEG reading and writing through libjpeg (6b interface).
//
// Every libjpeg call runs inside a JpegDecoder/JpegEncoder method that arms setjmp
// first; the error-exit routine jumps back there, so no exception and no C++ object
// with a destructor ever crosses a libjpeg frame. Library warnings are collected, not
// printed; one diagnostic naming the operation and the file is reported per failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/codecs.h"
#include "imaging/colour.h"
#include "imaging/image.h"
#include "imaging/source_image.h"
#include "imaging/source_internal.h"
#include "util/diagnostics.h"
#include "util/files.h"
#include "util/text.h"

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace kavlo::imaging {

using util::ErrorCode;
using util::FilePtr;
using util::openFailureOf;
using util::openRegularFile;
using util::reportFile;
using util::Severity;

namespace {

// libjpeg's own memory for one decode (coefficient buffers of progressive files
// included); beyond it the library reports an error instead of allocating.
constexpr long kMaxDecoderMemory = 1L << 30;

struct ErrorMgr {
    jpeg_error_mgr pub;  // first: libjpeg hands back a jpeg_error_mgr*
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char warning[JMSG_LENGTH_MAX];
    int warnings;
    int errorCode;  // libjpeg's message code of the error, for its ErrorCode
    bool prematureEnd;
};

extern "C" {
[[noreturn]] void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorMgr*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    err->errorCode = cinfo->err->msg_code;
    std::longjmp(err->jump, 1);
}

// Warnings (level -1) are kept, the first one's text for a diagnostic; trace
// messages are dropped.
void emitMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorMgr*>(cinfo->err);
    if (level >= 0) return;
    if (err->warnings == 0) (*cinfo->err->format_message)(cinfo, err->warning);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) err->prematureEnd = true;
    ++err->warnings;
    ++cinfo->err->num_warnings;
}

void outputMessage(j_common_ptr) {}

// Memory source: the whole JPEG is the one input buffer.
void memInit(j_decompress_ptr) {}
void memTerm(j_decompress_ptr) {}
boolean memFill(j_decompress_ptr cinfo) {
    ERREXIT(cinfo, JERR_INPUT_EOF);  // asked for more than the data holds
    return FALSE;
}
void memSkip(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) ERREXIT(cinfo, JERR_INPUT_EOF);
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
}
}  // extern "C"

void initErrorMgr(ErrorMgr& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.pub.output_message = outputMessage;
    err.message[0] = '\0';
    err.warning[0] = '\0';
    err.warnings = 0;
    err.errorCode = 0;
    err.prematureEnd = false;
}

// Comment as the readers deliver it: the last COM marker shorter than 512 bytes, read
// up to its first NUL (the writer stores the text with its terminating NUL).
std::string commentOf(j_decompress_ptr cinfo) {
    std::string comment;
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m != nullptr; m = m->next) {
        if (m->marker != JPEG_COM || m->data_length >= 512) continue;
        const auto* data = reinterpret_cast<const char*>(m->data);
        comment.assign(data, strnlen(data, m->data_length));
    }
    return comment;
}

// Stored longer side m and target t >= 1 give the 1/2^k decode, k = floor(log2(m/t))
// capped at 3, so the decoded longer side is never below t.
unsigned scaleDenominator(unsigned width, unsigned height, int target) {
    if (target < 1 || (unsigned(target) >= width && unsigned(target) >= height)) return 1;
    const double m = std::max(width, height);
    const int k = std::clamp(static_cast<int>(std::floor(std::log2(m / target))), 0, 3);
    return 1u << k;
}

// CMYK samples to blue, green, red. Adobe files store the inks inverted (255 = no
// ink), which is what libjpeg hands back for them; other files store plain inks.
void cmykRowToBgr(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        out[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        out[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

class JpegDecoder {
public:
    JpegDecoder() { initErrorMgr(m_err); }
    ~JpegDecoder() {
        if (m_created) jpeg_destroy_decompress(&m_cinfo);
    }
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Creates the decompressor, attaches the file or the bytes and reads the header
    // (keeping COM markers when asked, and the APP1 and APP2 markers of the Exif block
    // and the ICC profile when asked).
    bool readHeader(std::FILE* file, const std::uint8_t* data, std::size_t size, bool keepComments,
                    bool keepMetadata = false) {
        if (setjmp(m_err.jump)) return false;
        m_cinfo.err = &m_err.pub;
        jpeg_create_decompress(&m_cinfo);
        m_created = true;
        m_cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
        if (keepComments) jpeg_save_markers(&m_cinfo, JPEG_COM, 0xFFFF);
        if (keepMetadata) {
            jpeg_save_markers(&m_cinfo, JPEG_APP0 + 1, 0xFFFF);
            jpeg_save_markers(&m_cinfo, JPEG_APP0 + 2, 0xFFFF);
        }
        if (file != nullptr) {
            jpeg_stdio_src(&m_cinfo, file);
        } else {
            m_source.init_source = memInit;
            m_source.fill_input_buffer = memFill;
            m_source.skip_input_data = memSkip;
            m_source.resync_to_restart = jpeg_resync_to_restart;
            m_source.term_source = memTerm;
            m_source.next_input_byte = data;
            m_source.bytes_in_buffer = size;
            m_cinfo.src = &m_source;
        }
        jpeg_read_header(&m_cinfo, TRUE);
        return true;
    }

    // The ICC profile from the saved APP2 chunks, assembled by libjpeg in sequence
    // order. False when chunks are there but do not form one profile (numbers, counts
    // or sizes wrong); true with `profile` empty when there are none.
    bool readIccProfile(std::vector<std::uint8_t>& profile) {
        profile.clear();
        bool any = false;
        for (jpeg_saved_marker_ptr m = m_cinfo.marker_list; m != nullptr; m = m->next)
            if (m->marker == JPEG_APP0 + 2 && m->data_length >= 12 &&
                std::memcmp(m->data, "ICC_PROFILE", 12) == 0)
                any = true;
        if (!any) return true;
        JOCTET* bytes = nullptr;
        unsigned length = 0;
        if (setjmp(m_err.jump)) return false;
        if (!jpeg_read_icc_profile(&m_cinfo, &bytes, &length)) return false;
        profile.assign(bytes, bytes + length);
        std::free(bytes);
        return !profile.empty();
    }

    // The first APP1 Exif block, from its TIFF header on.
    std::vector<std::uint8_t> exifBlock() const {
        for (jpeg_saved_marker_ptr m = m_cinfo.marker_list; m != nullptr; m = m->next)
            if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 &&
                std::memcmp(m->data, "Exif\0", 6) == 0)
                return imaging::detail::exifBlockFrom({m->data, m->data_length});
        return {};
    }

    // Decodes at the scale chosen for `target` into a new 24-bit image (blue, green,
    // red). CMYK rows go through `cmykProfile` when given, else the generic formula.
    // False, with errorText() set, on any library error or a raster beyond the
    // limits; `out` then holds whatever was allocated, which its owner frees.
    bool readPixels(int target, RasterImage& out,
                    const imaging::CmykToSrgb* cmykProfile = nullptr) {
        if (setjmp(m_err.jump)) return false;
        m_cinfo.dct_method = JDCT_ISLOW;
        m_cinfo.scale_num = 1;
        m_cinfo.scale_denom = scaleDenominator(m_cinfo.image_width, m_cinfo.image_height, target);
        const bool cmyk =
            m_cinfo.jpeg_color_space == JCS_CMYK || m_cinfo.jpeg_color_space == JCS_YCCK;
        const bool direct = !cmyk && (m_cinfo.num_components == 1 || m_cinfo.num_components == 3) &&
                            m_cinfo.jpeg_color_space != JCS_UNKNOWN;
        // libjpeg writes blue, green, red straight into the raster (also for greyscale,
        // whose sample it repeats three times); CMYK files come as four inks.
        m_cinfo.out_color_space = cmyk ? JCS_CMYK : direct ? JCS_EXT_BGR : m_cinfo.out_color_space;
        jpeg_calc_output_dimensions(&m_cinfo);
        const std::uint64_t pixels = std::uint64_t{m_cinfo.output_width} * m_cinfo.output_height;
        if (pixels > kMaxRasterPixels || pixels * 3 > kMaxRasterBytes) {
            m_code = ErrorCode::tooLarge;
            std::snprintf(m_err.message, sizeof m_err.message,
                          "image of %u x %u pixels exceeds the decoding limit",
                          m_cinfo.output_width, m_cinfo.output_height);
            return false;
        }
        jpeg_start_decompress(&m_cinfo);
        out = RPcreate(m_cinfo.output_width, m_cinfo.output_height, 24);
        if (out.status != 0 || out.pixels == nullptr) {
            m_code = ErrorCode::outOfMemory;
            std::snprintf(m_err.message, sizeof m_err.message, "out of memory for %u x %u pixels",
                          m_cinfo.output_width, m_cinfo.output_height);
            return false;
        }
        const std::size_t stride = RPstride(m_cinfo.output_width, 24);
        if (direct) {
            JSAMPROW rows[16];
            while (m_cinfo.output_scanline < m_cinfo.output_height) {
                const JDIMENSION first = m_cinfo.output_scanline;
                const JDIMENSION count = std::min<JDIMENSION>(16, m_cinfo.output_height - first);
                for (JDIMENSION r = 0; r < count; ++r) rows[r] = out.pixels + (first + r) * stride;
                jpeg_read_scanlines(&m_cinfo, rows, count);
            }
        } else {
            const int comps = m_cinfo.output_components;
            JSAMPARRAY buffer =
                (*m_cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&m_cinfo), JPOOL_IMAGE,
                                             m_cinfo.output_width * JDIMENSION(comps), 1);
            while (m_cinfo.output_scanline < m_cinfo.output_height) {
                std::uint8_t* row = out.pixels + m_cinfo.output_scanline * stride;
                jpeg_read_scanlines(&m_cinfo, buffer, 1);
                const JSAMPLE* in = buffer[0];
                if (cmyk && comps == 4 && cmykProfile != nullptr) {
                    cmykProfile->convert(in, row, m_cinfo.output_width);
                } else if (cmyk && comps == 4) {
                    cmykRowToBgr(in, row, m_cinfo.output_width, m_cinfo.saw_Adobe_marker);
                } else if (comps >= 3) {
                    for (JDIMENSION x = 0; x < m_cinfo.output_width; ++x, in += comps, row += 3) {
                        row[0] = in[2];
                        row[1] = in[1];
                        row[2] = in[0];
                    }
                } else {
                    for (JDIMENSION x = 0; x < m_cinfo.output_width; ++x, in += comps, row += 3)
                        row[0] = row[1] = row[2] = in[0];
                }
            }
        }
        jpeg_finish_decompress(&m_cinfo);
        return true;
    }

    j_decompress_ptr cinfo() { return &m_cinfo; }
    const char* errorText() const { return m_err.message; }
    // Why the last step failed: the decoder's own verdict (limits, memory), else what
    // libjpeg's error says.
    ErrorCode errorCode() const {
        if (m_code != ErrorCode::none) return m_code;
        switch (m_err.errorCode) {
        case JERR_INPUT_EOF: return ErrorCode::truncated;
        case JERR_OUT_OF_MEMORY: return ErrorCode::outOfMemory;
        case JERR_IMAGE_TOO_BIG:
        case JERR_WIDTH_OVERFLOW: return ErrorCode::tooLarge;
        default: return ErrorCode::corrupt;
        }
    }
    bool truncated() const { return m_err.prematureEnd; }
    const char* warningText() const { return m_err.warning; }

private:
    jpeg_decompress_struct m_cinfo{};
    ErrorMgr m_err{};
    jpeg_source_mgr m_source{};
    bool m_created = false;
    ErrorCode m_code = ErrorCode::none;
};

void setError(ErrorCode* error, ErrorCode code) {
    if (error != nullptr) *error = code;
}

RasterImage decode(std::FILE* file, const std::uint8_t* data, std::size_t size,
                   const char* operation, const std::string& name, std::string* comment, int target,
                   int* width, int* height, ErrorCode* error) {
    JpegDecoder decoder;
    Image image;
    if (!decoder.readHeader(file, data, size, comment != nullptr)) {
        reportFile(Severity::error, decoder.errorCode(), operation, name, decoder.errorText());
        setError(error, decoder.errorCode());
        return RasterImage{};
    }
    if (comment != nullptr) *comment = commentOf(decoder.cinfo());
    if (width != nullptr) *width = static_cast<int>(decoder.cinfo()->image_width);
    if (height != nullptr) *height = static_cast<int>(decoder.cinfo()->image_height);
    if (!decoder.readPixels(target, image.record())) {
        reportFile(Severity::error, decoder.errorCode(), operation, name, decoder.errorText());
        setError(error, decoder.errorCode());
        return RasterImage{};
    }
    if (decoder.truncated()) {
        reportFile(Severity::warning, ErrorCode::truncated, operation, name, decoder.warningText());
        setError(error, ErrorCode::truncated);
        return image.release();
    }
    setError(error, ErrorCode::none);
    return image.release();
}

}  // namespace

RasterImage RPreadJpeg(const std::string& path, std::string* comment, int targetSize, int* width,
                       int* height, ErrorCode* error) {
    FilePtr file = openRegularFile(path);
    if (!file) {
        setError(error, openFailureOf(path));
        return RasterImage{};
    }
    return decode(file.get(), nullptr, 0, "RPreadJpeg", path, comment, targetSize, width, height,
                  error);
}

RasterImage RPreadJpegMemory(const std::uint8_t* data, std::size_t size, int targetSize,
                             ErrorCode* error) {
    if (data == nullptr) {
        setError(error, ErrorCode::invalidArgument);
        return RasterImage{};
    }
    return decode(nullptr, data, size, "RPreadJpegMemory", "(memory)", nullptr, targetSize, nullptr,
                  nullptr, error);
}

int RPreadJpegInfo(const std::string& path, std::string* comment, int* height, int* width,
                   ErrorCode* error) {
    FilePtr file = openRegularFile(path);
    if (!file) {
        setError(error, openFailureOf(path));
        return -1;
    }
    if (comment != nullptr) comment->clear();
    JpegDecoder decoder;
    if (!decoder.readHeader(file.get(), nullptr, 0, comment != nullptr)) {
        reportFile(Severity::error, decoder.errorCode(), "RPreadJpegInfo", path,
                   decoder.errorText());
        setError(error, decoder.errorCode());
        return 0;
    }
    if (comment != nullptr) *comment = commentOf(decoder.cinfo());
    if (height != nullptr) *height = static_cast<int>(decoder.cinfo()->image_height);
    if (width != nullptr) *width = static_cast<int>(decoder.cinfo()->image_width);
    setError(error, ErrorCode::none);
    return 0;
}

namespace {

// Longest COM marker payload libjpeg can write (the length field counts itself).
constexpr std::size_t kMaxCommentBytes = 65533;

class JpegEncoder {
public:
    JpegEncoder() { initErrorMgr(m_err); }
    ~JpegEncoder() {
        if (m_created) jpeg_destroy_compress(&m_cinfo);
    }
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    // Compresses the whole image to `file`; the comment, when given, is `commentSize`
    // bytes including its NUL.
    bool write(std::FILE* file, int quality, const char* comment, std::size_t commentSize,
               const RasterImage& image) {
        if (setjmp(m_err.jump)) return false;
        m_cinfo.err = &m_err.pub;
        jpeg_create_compress(&m_cinfo);
        m_created = true;
        jpeg_stdio_dest(&m_cinfo, file);
        m_cinfo.image_width = static_cast<JDIMENSION>(image.width);
        m_cinfo.image_height = static_cast<JDIMENSION>(image.height);
        // The encoder reads blue, green, red (and a skipped fourth byte) directly from
        // the raster; its colour conversion is the same as for red, green, blue rows.
        const bool four = image.bitsPerPixel == 32;
        m_cinfo.input_components = four ? 4 : 3;
        m_cinfo.in_color_space = four ? JCS_EXT_BGRX : JCS_EXT_BGR;
        jpeg_set_defaults(&m_cinfo);
        m_cinfo.optimize_coding = TRUE;
        jpeg_set_quality(&m_cinfo, quality, TRUE);
        jpeg_start_compress(&m_cinfo, TRUE);
        if (comment != nullptr)
            jpeg_write_marker(&m_cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment),
                              static_cast<unsigned>(commentSize));
        const std::size_t stride =
            RPstride(static_cast<std::uint32_t>(image.width), image.bitsPerPixel);
        JSAMPROW rows[16];
        while (m_cinfo.next_scanline < m_cinfo.image_height) {
            const JDIMENSION first = m_cinfo.next_scanline;
            const JDIMENSION count = std::min<JDIMENSION>(16, m_cinfo.image_height - first);
            // libjpeg never writes to its input rows.
            for (JDIMENSION r = 0; r < count; ++r)
                rows[r] = const_cast<JSAMPROW>(image.pixels + (first + r) * stride);
            jpeg_write_scanlines(&m_cinfo, rows, count);
        }
        jpeg_finish_compress(&m_cinfo);
        return true;
    }

    const char* errorText() const { return m_err.message; }

private:
    jpeg_compress_struct m_cinfo{};
    ErrorMgr m_err{};
    bool m_created = false;
};

// Cuts a comment to what one COM marker holds, at a UTF-8 character boundary.
std::string fitComment(const std::string& text) {
    std::string s = text.substr(0, std::min(text.size(), kMaxCommentBytes - 1));
    if (s.size() < text.size()) {
        std::size_t end = s.size();
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
        s.resize(end);
    }
    return s;
}

}  // namespace

int RPwriteJpeg(const std::string& path, int quality, const std::string* comment,
                const RasterImage& image, ErrorCode* error) {
    if ((image.bitsPerPixel != 24 && image.bitsPerPixel != 32) || image.pixels == nullptr ||
        image.width <= 0 || image.height <= 0 || image.width > JPEG_MAX_DIMENSION ||
        image.height > JPEG_MAX_DIMENSION) {
        reportFile(Severity::error, ErrorCode::invalidArgument, "RPwriteJpeg", path,
                   util::format("no 24- or 32-bit image of %i x %i pixels to write", image.width,
                                image.height));
        setError(error, ErrorCode::invalidArgument);
        return -1;
    }
    // A symbolic link in place of the file is not followed but replaced: an album
    // folder from elsewhere could otherwise make Kavlo overwrite any file it names.
    std::FILE* file = nullptr;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ELOOP && ::unlink(path.c_str()) == 0) {
        // The link is replaced by the new file, as a rename over it would.
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    }
    if (fd >= 0) {
        file = ::fdopen(fd, "wb");
        if (file == nullptr) ::close(fd);
    }
    if (file == nullptr) {
        const std::string why = std::strerror(errno);
        util::Diagnostic d =
            util::fileDiagnostic(Severity::error, ErrorCode::writeFailed, "RPwriteJpeg", path, why);
        d.text = "No openo los filos!\n" + d.text;  // the historic first line
        util::report(d);
        setError(error, ErrorCode::writeFailed);
        return -1;
    }
    // A failed write leaves no partial file behind, but only a regular file is removed
    // (never a device the caller named).
    struct stat info {};
    const bool regular = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
    std::string text;
    if (comment != nullptr) text = fitComment(*comment);
    bool ok;
    std::string failure;
    {
        JpegEncoder encoder;
        ok = encoder.write(file, quality, comment != nullptr ? text.c_str() : nullptr,
                           text.size() + 1, image);
        if (!ok) failure = encoder.errorText();
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        failure = std::strerror(errno);
    }
    if (!ok) {
        reportFile(Severity::error, ErrorCode::writeFailed, "RPwriteJpeg", path, failure);
        setError(error, ErrorCode::writeFailed);
        if (regular) std::remove(path.c_str());
        return -1;
    }
    setError(error, ErrorCode::none);
    return 0;
}

DecodedImage readJpegImage(const std::string& path, const ReadOptions& options) {
    constexpr const char* kReader = "readJpegImage";
    DecodedImage result;
    FilePtr file = openRegularFile(path);
    if (!file) return detail::missing(path);
    JpegDecoder decoder;
    if (!decoder.readHeader(file.get(), nullptr, 0, false, true))
        return detail::failure(kReader, path, decoder.errorCode(), decoder.errorText());
    j_decompress_ptr cinfo = decoder.cinfo();
    result.storedWidth = static_cast<int>(cinfo->image_width);
    result.storedHeight = static_cast<int>(cinfo->image_height);
    result.exif = decoder.exifBlock();
    if (!decoder.readIccProfile(result.iccProfile)) {
        result.iccProfile.clear();
        detail::diagnostic(kReader, path, ErrorCode::corrupt,
                           "colour profile ignored: its ICC chunks do not form one profile");
    }
    // Inks do not survive in the picture: CMYK is converted now, through the profile
    // when it is a usable CMYK profile.
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    std::unique_ptr<CmykToSrgb> converter;
    if (cmyk && !result.iccProfile.empty()) {
        std::string why;
        converter =
            std::make_unique<CmykToSrgb>(result.iccProfile, cinfo->saw_Adobe_marker != 0, &why);
        if (!converter->valid()) {
            detail::diagnostic(kReader, path, ErrorCode::unsupported,
                               "colour profile ignored: " + why);
            converter.reset();
        }
    }
    if (!decoder.readPixels(options.targetSize, result.picture.record(), converter.get()))
        return detail::failure(kReader, path, decoder.errorCode(), decoder.errorText());
    if (decoder.truncated()) {
        detail::diagnostic(kReader, path, ErrorCode::truncated, decoder.warningText());
        result.error = ErrorCode::truncated;
    }
    result.colourDone = cmyk;
    return result;
}

}  // namespace kavlo::imaging
