// SPDX-License-Identifier: MIT
// HEIF, HEIC and AVIF reading through libheif: the primary image only, with libheif
// assembling grids, applying the container's crop, rotation and mirror, and reducing
// more than 8 bits to 8. Tiles are decoded on the calling thread: the album already
// decodes several photos at once.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/source_image.h"
#include "imaging/source_internal.h"

#include <libheif/heif.h>

namespace kavlo::imaging {

using util::ErrorCode;

namespace {

constexpr const char* kReader = "readHeifImage";

struct ContextFree {
    void operator()(heif_context* c) const noexcept { heif_context_free(c); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const noexcept { heif_image_handle_release(h); }
};
struct ImageRelease {
    void operator()(heif_image* i) const noexcept { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const noexcept { heif_decoding_options_free(o); }
};
struct NclxFree {
    void operator()(heif_color_profile_nclx* n) const noexcept { heif_nclx_color_profile_free(n); }
};

std::string errorText(const heif_error& err) {
    return err.message != nullptr && *err.message ? err.message : "cannot be decoded";
}

// The primary image's Exif item: a 32-bit offset to the TIFF header, then the block.
std::vector<std::uint8_t> exifOf(const heif_image_handle* handle) {
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1) return {};
    const std::size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size < 4 || size > detail::kMaxSourceFileBytes) return {};
    std::vector<std::uint8_t> item(size);
    if (heif_image_handle_get_metadata(handle, id, item.data()).code != heif_error_Ok) return {};
    const std::uint64_t offset = (std::uint64_t{item[0]} << 24) | (std::uint64_t{item[1]} << 16) |
                                 (std::uint64_t{item[2]} << 8) | item[3];
    if (offset > size - 4) return {};
    return detail::exifBlockFrom(std::span<const std::uint8_t>(item).subspan(4 + offset));
}

void colourOf(const heif_image_handle* handle, DecodedImage& result) {
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle);
        if (size == 0 || size > kMaxIccProfileBytes) return;
        result.iccProfile.resize(size);
        if (heif_image_handle_get_raw_color_profile(handle, result.iccProfile.data()).code !=
            heif_error_Ok)
            result.iccProfile.clear();
        return;
    }
    case heif_color_profile_type_nclx: {
        // libheif may hand out the record together with an error: free it either way.
        heif_color_profile_nclx* raw = nullptr;
        const heif_error err = heif_image_handle_get_nclx_color_profile(handle, &raw);
        std::unique_ptr<heif_color_profile_nclx, NclxFree> nclx(raw);
        if (err.code != heif_error_Ok || !nclx) return;
        result.nclx = NclxColour{static_cast<std::uint16_t>(nclx->color_primaries),
                                 static_cast<std::uint16_t>(nclx->transfer_characteristics),
                                 static_cast<std::uint16_t>(nclx->matrix_coefficients),
                                 nclx->full_range_flag != 0};
        return;
    }
    default: return;
    }
}

// The decoded plane as a 24-bit (or, with alpha, 32-bit) blue-first picture; empty
// when the decoder gave no 8-bit interleaved plane within the expected size, or (with
// `noMemory` set) when no memory is left for the copy.
Image pictureOf(const heif_image* image, int width, int height, bool alpha, bool& noMemory) {
    noMemory = false;
    const unsigned channels = alpha ? 4 : 3;
    int stride = 0;
    const std::uint8_t* plane =
        heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int w = heif_image_get_width(image, heif_channel_interleaved);
    const int h = heif_image_get_height(image, heif_channel_interleaved);
    if (plane == nullptr || w <= 0 || h <= 0 || w > width || h > height ||
        heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) != 8 ||
        stride < w * int(channels))
        return Image();
    Image picture = Image::create(std::uint32_t(w), std::uint32_t(h), int(channels) * 8);
    if (picture.empty()) {
        noMemory = true;
        return picture;
    }
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = plane + std::size_t(y) * std::size_t(stride);
        std::uint8_t* out = picture.pixels() + std::size_t(y) * std::size_t(w) * channels;
        for (int x = 0; x < w; ++x, in += channels, out += channels) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            if (alpha) out[3] = in[3];
        }
    }
    return picture;
}

ErrorCode codeOf(const heif_error& err) {
    switch (err.code) {
    case heif_error_Memory_allocation_error: return ErrorCode::outOfMemory;
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature: return ErrorCode::unsupported;
    case heif_error_Decoder_plugin_error: return ErrorCode::unsupported;
    default: return ErrorCode::corrupt;
    }
}

}  // namespace

DecodedImage readHeifImage(const std::string& path, const ReadOptions& options) {
    DecodedImage result;
    std::vector<std::uint8_t> bytes;
    std::string error;
    switch (const ErrorCode code = detail::readFileBytes(path, bytes, error)) {
    case ErrorCode::none: break;
    case ErrorCode::fileMissing: return detail::missing(path);
    default:
        if (error.empty()) return detail::missing(path);
        return detail::failure(kReader, path, code, error);
    }
    std::unique_ptr<heif_context, ContextFree> ctx(heif_context_alloc());
    if (!ctx) return detail::failure(kReader, path, ErrorCode::outOfMemory, "out of memory");
    heif_context_set_max_decoding_threads(ctx.get(), 0);
    heif_error err =
        heif_context_read_from_memory_without_copy(ctx.get(), bytes.data(), bytes.size(), nullptr);
    if (err.code != heif_error_Ok)
        return detail::failure(kReader, path, codeOf(err), errorText(err));
    heif_image_handle* rawHandle = nullptr;
    err = heif_context_get_primary_image_handle(ctx.get(), &rawHandle);
    std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);
    if (err.code != heif_error_Ok || !handle)
        return detail::failure(kReader, path, codeOf(err), errorText(err));
    // Size after the container's transformations; more than 8 bits are decoded at 16
    // bits a sample before the reduction, so they count twice.
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle.get()) > 8;
    const unsigned channels = alpha ? 4 : 3;
    if (width <= 0 || height <= 0)
        return detail::failure(kReader, path, ErrorCode::corrupt, "the image has no size");
    if (!detail::rasterFits(std::uint64_t(width), std::uint64_t(height), channels * (deep ? 3 : 2),
                            error))
        return detail::failure(kReader, path, ErrorCode::tooLarge, error);
    std::unique_ptr<heif_decoding_options, OptionsFree> decoding(heif_decoding_options_alloc());
    if (!decoding) return detail::failure(kReader, path, ErrorCode::outOfMemory, "out of memory");
    decoding->ignore_transformations = 0;
    decoding->convert_hdr_to_8bit = 1;
    heif_image* rawImage = nullptr;
    err = heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                            decoding.get());
    std::unique_ptr<heif_image, ImageRelease> image(rawImage);
    if (err.code != heif_error_Ok || !image)
        return detail::failure(kReader, path, codeOf(err), errorText(err));
    bool noMemory = false;
    result.picture = pictureOf(image.get(), width, height, alpha, noMemory);
    if (noMemory)
        return detail::failure(kReader, path, ErrorCode::outOfMemory,
                               "out of memory for the picture");
    if (result.picture.empty())
        return detail::failure(kReader, path, ErrorCode::unsupported,
                               "the decoder gave no 8-bit picture");
    if (alpha) detail::flattenBgraOnto(result.picture.record(), options.background);
    result.storedWidth = result.picture.width();
    result.storedHeight = result.picture.height();
    result.orientationApplied = true;
    colourOf(handle.get(), result);
    result.exif = exifOf(handle.get());
    return result;
}

}  // namespace kavlo::imaging
