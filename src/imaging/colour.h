// SPDX-License-Identifier: MIT
// Colour management: pictures described by an embedded ICC profile (or by the nclx
// code points of HEIF/AVIF) are converted to sRGB with Little CMS, perceptual intent,
// before any scaling. Album images are written untagged, and browsers show untagged
// images as sRGB.
//
// Common rules:
// - Pictures are 24-bit, blue, green, red (RasterImage). Conversion works in place.
// - A source without a profile is sRGB. A source whose profile describes sRGB is left
//   untouched, byte for byte (the verdict compares the profile's transform with the
//   identity on a grid of colours, so sRGB profiles of every vendor and version pass).
// - A profile that cannot be used (truncated, refused by Little CMS, for another
//   colour model than the picture's, larger than kMaxIccProfileBytes) is ignored: the
//   picture stays as decoded and one warning naming `name` is reported
//   (util/diagnostics.h, ErrorCode::unsupported). Nothing here throws or aborts on
//   outside bytes.
// - Thread-safe: every call uses its own Little CMS context; the only shared state is a
//   small, locked cache of sRGB verdicts keyed by the profile bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "imaging/raster_image.h"

namespace kavlo::imaging {

/// Largest ICC profile looked at, in bytes (a JPEG can hold 255 chunks of 64 KiB).
inline constexpr std::size_t kMaxIccProfileBytes = 32u << 20;

/// Colour description of HEIF and AVIF files without an ICC profile: code points of
/// ITU-T H.273 (the values of the nclx colour box). 2 means unspecified.
struct NclxColour {
    std::uint16_t primaries = 2;  ///< 1 BT.709/sRGB, 9 BT.2020, 11 DCI-P3, 12 Display P3, ...
    std::uint16_t transfer =
        2;                     ///< 13 sRGB, 1/6/14/15 BT.709, 4 gamma 2.2, 8 linear, 16 PQ, 18 HLG
    std::uint16_t matrix = 2;  ///< YCbCr matrix; already applied by the decoder
    bool fullRange = true;     ///< already applied by the decoder
};

/// The version of the colour engine (Little CMS) the conversions run on: a different
/// version may give other bytes for the same picture.
int colourEngineVersion();

/// What a conversion did.
enum class ColourOutcome {
    Unchanged,  ///< the source is sRGB (or carries no description): pixels untouched
    Converted,  ///< the pixels were converted to sRGB
    Ignored,    ///< the description was unusable: pixels untouched, one warning reported
};

/// True when `profile` is a usable RGB profile whose colours are those of sRGB (every
/// sample of a 9 x 9 x 9 grid lands within 2 levels of itself through the profile into
/// sRGB, relative colorimetric). False for anything else, unusable bytes included.
bool isSrgbProfile(std::span<const std::uint8_t> profile);

/// Converts `picture` (24-bit) in place from the colours `profile` describes to sRGB,
/// perceptual intent. RGB profiles apply to any picture; a grey profile only to a
/// picture whose three bytes are equal in every pixel (a greyscale source). An empty
/// profile or an sRGB one gives Unchanged; an unusable one Ignored (see above).
ColourOutcome convertToSrgb(RasterImage& picture, std::span<const std::uint8_t> profile,
                            const std::string& name);

/// Converts `picture` in place from the primaries and transfer curve that `nclx` names
/// to sRGB. Unspecified values count as sRGB's; the BT.709 family of transfer curves is
/// shown as sRGB, as browsers do. HDR curves (PQ, HLG) and unknown code points are not
/// converted: Ignored.
ColourOutcome convertToSrgb(RasterImage& picture, const NclxColour& nclx, const std::string& name);

/// Converts `picture` to sRGB from the description a reader gave with it: the ICC
/// profile when there is one, else the nclx description; neither means sRGB (Unchanged).
ColourOutcome convertToSrgb(RasterImage& picture, std::span<const std::uint8_t> profile,
                            const std::optional<NclxColour>& nclx, const std::string& name);

/// Row converter for CMYK sources, whose ink samples do not survive in a 24-bit
/// picture: the decoder feeds it each row of four-byte samples as it decodes.
class CmykToSrgb {
public:
    /// A converter for `profile` (a CMYK profile). `inverted`: the samples are stored
    /// inverted, 255 = no ink (Adobe CMYK and YCCK JPEG files). When the profile cannot
    /// be used, the result is not valid() and `error` (may be null) receives the reason.
    CmykToSrgb(std::span<const std::uint8_t> profile, bool inverted, std::string* error);
    ~CmykToSrgb();
    CmykToSrgb(CmykToSrgb&&) noexcept;
    CmykToSrgb& operator=(CmykToSrgb&&) noexcept;
    CmykToSrgb(const CmykToSrgb&) = delete;
    CmykToSrgb& operator=(const CmykToSrgb&) = delete;

    bool valid() const { return m_impl != nullptr; }
    /// Converts `count` pixels of four samples to blue, green, red. Only when valid().
    void convert(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace kavlo::imaging
