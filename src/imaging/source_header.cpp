// SPDX-License-Identifier: MIT
// Container headers of every source format, read without decoding the picture.
#include "imaging/source_header.h"

#include <algorithm>
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/source_internal.h"
#include "util/files.h"

#include <jpeglib.h>
#include <libheif/heif.h>
#include <tiffio.h>
#include <webp/demux.h>

namespace kavlo::imaging {

using util::FilePtr;
using util::openRegularFile;

namespace {

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

bool positiveSize(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= 0x7FFFFFFF && height <= 0x7FFFFFFF;
}

// PNG: the chunk headers, skipping every chunk's data but IHDR's and eXIf's. An eXIf
// chunk may stand after the image data, where libpng only gets after decoding it.
void readPngHeader(const std::string& path, SourceHeader& header) {
    FilePtr file = openRegularFile(path);
    if (!file) return;
    std::uint8_t signature[8];
    if (std::fread(signature, 1, 8, file.get()) != 8) return;
    bool sawHeader = false;
    for (int chunks = 0; chunks < 100000; ++chunks) {
        std::uint8_t head[8];
        if (std::fread(head, 1, 8, file.get()) != 8) break;
        const std::uint32_t length = bigEndian32(head);
        if (length > 0x7FFFFFFF) break;
        const char* type = reinterpret_cast<const char*>(head + 4);
        if (!sawHeader) {
            // The first chunk must be IHDR: width and height lead its 13 bytes.
            std::uint8_t ihdr[13];
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13 ||
                std::fread(ihdr, 1, 13, file.get()) != 13)
                return;
            const std::uint32_t w = bigEndian32(ihdr), h = bigEndian32(ihdr + 4);
            if (!positiveSize(w, h)) return;
            header.width = int(w);
            header.height = int(h);
            header.known = true;
            sawHeader = true;
            if (std::fseek(file.get(), 4, SEEK_CUR) != 0) break;  // CRC
            continue;
        }
        if (std::memcmp(type, "IEND", 4) == 0) break;
        if (std::memcmp(type, "eXIf", 4) == 0 && header.exif.empty() && length > 0 &&
            length <= kMaxExifBlockBytes) {
            std::vector<std::uint8_t> block(length);
            if (std::fread(block.data(), 1, length, file.get()) != length) break;
            header.exif = detail::exifBlockFrom(block);
            if (std::fseek(file.get(), 4, SEEK_CUR) != 0) break;
            continue;
        }
        if (std::fseek(file.get(), long(length) + 4, SEEK_CUR) != 0) break;
    }
}

void readWebpHeader(const std::string& path, SourceHeader& header) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (detail::readFileBytes(path, bytes, error) != util::ErrorCode::none) return;
    const WebPData data{bytes.data(), bytes.size()};
    std::unique_ptr<WebPDemuxer, void (*)(WebPDemuxer*)> demux(WebPDemux(&data), WebPDemuxDelete);
    if (!demux) return;
    const std::uint32_t w = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH);
    const std::uint32_t h = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT);
    if (!positiveSize(w, h)) return;
    header.width = int(w);
    header.height = int(h);
    header.known = true;
    if ((WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG) == 0) return;
    WebPChunkIterator it{};
    if (WebPDemuxGetChunk(demux.get(), "EXIF", 1, &it) && it.chunk.size <= kMaxExifBlockBytes)
        header.exif = detail::exifBlockFrom({it.chunk.bytes, it.chunk.size});
    WebPDemuxReleaseChunkIterator(&it);
}

void readHeifHeader(const std::string& path, SourceHeader& header) {
    // libheif reads the boxes that describe the images; the coded data stays unread.
    if (!openRegularFile(path)) return;
    std::unique_ptr<heif_context, void (*)(heif_context*)> ctx(heif_context_alloc(),
                                                               heif_context_free);
    if (!ctx || heif_context_read_from_file(ctx.get(), path.c_str(), nullptr).code != heif_error_Ok)
        return;
    heif_image_handle* raw = nullptr;
    if (heif_context_get_primary_image_handle(ctx.get(), &raw).code != heif_error_Ok || !raw)
        return;
    std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> handle(
        raw, heif_image_handle_release);
    const int w = heif_image_handle_get_width(handle.get());
    const int h = heif_image_handle_get_height(handle.get());
    header.orientationApplied = true;
    if (w > 0 && h > 0) {
        header.width = w;
        header.height = h;
        header.known = true;
    }
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle.get(), "Exif", &id, 1) < 1) return;
    const std::size_t size = heif_image_handle_get_metadata_size(handle.get(), id);
    if (size < 4 || size > kMaxExifBlockBytes + 4) return;
    std::vector<std::uint8_t> item(size);
    if (heif_image_handle_get_metadata(handle.get(), id, item.data()).code != heif_error_Ok) return;
    // A 32-bit offset from the end of this field to the TIFF header comes first.
    const std::uint32_t offset = bigEndian32(item.data());
    if (offset > size - 4) return;
    header.exif = detail::exifBlockFrom(std::span<const std::uint8_t>(item).subspan(4 + offset));
}

int quietTiff(TIFF*, void*, const char*, const char*, std::va_list) { return 1; }

void readTiffHeader(const std::string& path, SourceHeader& header) {
    if (!openRegularFile(path)) return;
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                         TIFFOpenOptionsFree);
    if (!options) return;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quietTiff, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quietTiff, nullptr);
    std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpenExt(path.c_str(), "r", options.get()),
                                                TIFFClose);
    if (!tiff) return;
    std::uint32_t w = 0, h = 0;
    if (TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &w) != 1 ||
        TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &h) != 1 || !positiveSize(w, h))
        return;
    header.width = int(w);
    header.height = int(h);
    header.known = true;
}

struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

extern "C" {
void jpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}
void jpegSilence(j_common_ptr, int) {}
}

// The markers before the first scan, through libjpeg: the frame's size, the first APP1
// Exif block and the ICC profile assembled from the APP2 chunks.
void readJpegHeader(const std::string& path, SourceHeader& header) {
    FilePtr file = openRegularFile(path);
    if (!file) return;
    jpeg_decompress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jpegErrorExit;
    errors.pub.emit_message = jpegSilence;
    // libjpeg's own memory is released by jpeg_destroy_decompress on either path.
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        const SourceFormat format = header.format;
        header = SourceHeader{};
        header.format = format;
        return;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_stdio_src(&cinfo, file.get());
    jpeg_read_header(&cinfo, TRUE);
    if (positiveSize(cinfo.image_width, cinfo.image_height)) {
        header.width = int(cinfo.image_width);
        header.height = int(cinfo.image_height);
        header.known = true;
    }
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 &&
            std::memcmp(m->data, "Exif\0", 6) == 0) {
            header.exif = detail::exifBlockFrom({m->data, m->data_length});
            break;
        }
    JOCTET* icc = nullptr;
    unsigned length = 0;
    // Chunks that do not form one profile are left out, as the decoder leaves them.
    if (jpeg_read_icc_profile(&cinfo, &icc, &length) && icc != nullptr &&
        length <= kMaxIccProfileBytes)
        header.iccProfile.assign(icc, icc + length);
    std::free(icc);
    jpeg_destroy_decompress(&cinfo);
}

}  // namespace

SourceHeader readSourceHeader(const std::string& path) {
    SourceHeader header;
    header.format = sourceFormatOf(path);
    switch (header.format) {
    case SourceFormat::Jpeg: readJpegHeader(path, header); break;
    case SourceFormat::Tiff: readTiffHeader(path, header); break;
    case SourceFormat::Png: readPngHeader(path, header); break;
    case SourceFormat::Webp: readWebpHeader(path, header); break;
    case SourceFormat::Heif: readHeifHeader(path, header); break;
    case SourceFormat::Unknown: break;
    }
    return header;
}

}  // namespace kavlo::imaging
