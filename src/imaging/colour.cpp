// SPDX-License-Identifier: MIT
// Colour conversion to sRGB through Little CMS.
//
// Each call makes its own Little CMS context with its own error sink, so that library
// messages become the one diagnostic line of the call and threads never share a
// transform. The sRGB verdict for a profile (one extra transform) is remembered in a
// small locked cache, because every photo of one camera carries the same profile.
#include "imaging/colour.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include <lcms2.h>

namespace kavlo::imaging {

namespace {

// ---- Little CMS resources of one call ----

struct ErrorSink {
    std::string first;
};

extern "C" void lcmsLog(cmsContext ctx, cmsUInt32Number, const char* text) {
    auto* sink = static_cast<ErrorSink*>(cmsGetContextUserData(ctx));
    if (sink != nullptr && sink->first.empty() && text != nullptr) sink->first = text;
}

struct ProfileClose {
    void operator()(void* p) const noexcept { cmsCloseProfile(p); }
};
using ProfilePtr = std::unique_ptr<void, ProfileClose>;

struct TransformDelete {
    void operator()(void* t) const noexcept { cmsDeleteTransform(t); }
};
using TransformPtr = std::unique_ptr<void, TransformDelete>;

// A context whose errors land in `errors`. Profiles and transforms made in it must be
// released before it (declare them after the Lcms object).
class Lcms {
public:
    Lcms() : m_ctx(cmsCreateContext(nullptr, &m_errors)) {
        if (m_ctx != nullptr) cmsSetLogErrorHandlerTHR(m_ctx, lcmsLog);
    }
    ~Lcms() {
        if (m_ctx != nullptr) cmsDeleteContext(m_ctx);
    }
    Lcms(const Lcms&) = delete;
    Lcms& operator=(const Lcms&) = delete;

    cmsContext get() const { return m_ctx; }
    std::string error(const char* fallback) const {
        return m_errors.first.empty() ? std::string(fallback) : m_errors.first;
    }

private:
    ErrorSink m_errors;  // before m_ctx: the context holds its address
    cmsContext m_ctx;
};

// Opens `bytes` as a profile usable as the source of a conversion, or gives the reason.
ProfilePtr openSourceProfile(const Lcms& lcms, std::span<const std::uint8_t> bytes,
                             std::string& reason) {
    if (lcms.get() == nullptr) {
        reason = "no colour context";
        return nullptr;
    }
    if (bytes.size() > kMaxIccProfileBytes) {
        reason = "ICC profile of " + std::to_string(bytes.size()) + " bytes exceeds the limit";
        return nullptr;
    }
    if (bytes.size() < 132) {  // header and tag count
        reason = "ICC profile of " + std::to_string(bytes.size()) + " bytes is truncated";
        return nullptr;
    }
    ProfilePtr profile(cmsOpenProfileFromMemTHR(lcms.get(), bytes.data(),
                                                static_cast<cmsUInt32Number>(bytes.size())));
    if (!profile) {
        reason = lcms.error("not a valid ICC profile");
        return nullptr;
    }
    switch (cmsGetDeviceClass(profile.get())) {
        case cmsSigInputClass:
        case cmsSigDisplayClass:
        case cmsSigOutputClass:
        case cmsSigColorSpaceClass:
            return profile;
        default:
            reason = "ICC profile is not a device or colour space profile";
            return nullptr;
    }
}

TransformPtr makeTransform(const Lcms& lcms, void* from, cmsUInt32Number inFormat, void* to,
                           cmsUInt32Number outFormat, cmsUInt32Number intent) {
    return TransformPtr(
        cmsCreateTransformTHR(lcms.get(), from, inFormat, to, outFormat, intent, cmsFLAGS_NOCACHE));
}

// A picture whose three bytes are equal in every pixel.
bool isGreyPicture(const RasterImage& picture) {
    const std::uint8_t* p = picture.pixels;
    const std::size_t count = std::size_t(picture.width) * std::size_t(picture.height);
    for (std::size_t i = 0; i < count; ++i, p += 3)
        if (p[0] != p[1] || p[1] != p[2]) return false;
    return true;
}

bool usablePicture(const RasterImage& picture) {
    return picture.bitsPerPixel == 24 && picture.pixels != nullptr && picture.width > 0 &&
           picture.height > 0;
}

// ---- sRGB verdicts ----

// The grid the verdict samples: 0, 32, ..., 224 and 255 on each channel.
constexpr std::array<std::uint8_t, 9> kGridLevels = {0, 32, 64, 96, 128, 160, 192, 224, 255};
// Largest difference, in levels, between a sample and its image that still counts as
// the identity (the rounding of tabulated curves and adapted colorants).
constexpr int kIdentityTolerance = 2;

bool nearIdentity(void* transform) {
    std::vector<std::uint8_t> in;
    in.reserve(kGridLevels.size() * kGridLevels.size() * kGridLevels.size() * 3);
    for (std::uint8_t r : kGridLevels)
        for (std::uint8_t g : kGridLevels)
            for (std::uint8_t b : kGridLevels) in.insert(in.end(), {r, g, b});
    std::vector<std::uint8_t> out(in.size());
    cmsDoTransform(transform, in.data(), out.data(), static_cast<cmsUInt32Number>(in.size() / 3));
    for (std::size_t i = 0; i < in.size(); ++i)
        if (std::abs(int(in[i]) - int(out[i])) > kIdentityTolerance) return false;
    return true;
}

// Verdicts for the last few distinct profiles met, on any thread.
class VerdictCache {
public:
    std::optional<bool> find(std::span<const std::uint8_t> bytes) {
        const std::size_t h = hashOf(bytes);
        std::lock_guard lock(m_mutex);
        for (const Entry& e : m_entries)
            if (e.hash == h && std::ranges::equal(e.bytes, bytes)) return e.srgb;
        return std::nullopt;
    }
    void add(std::span<const std::uint8_t> bytes, bool srgb) {
        if (bytes.size() > kMaxCachedBytes) return;
        Entry e{hashOf(bytes), std::vector<std::uint8_t>(bytes.begin(), bytes.end()), srgb};
        std::lock_guard lock(m_mutex);
        if (m_entries.size() < kEntries) {
            m_entries.push_back(std::move(e));
        } else {
            m_entries[m_next] = std::move(e);
            m_next = (m_next + 1) % kEntries;
        }
    }

private:
    static constexpr std::size_t kEntries = 8;
    static constexpr std::size_t kMaxCachedBytes = 1u << 20;
    struct Entry {
        std::size_t hash;
        std::vector<std::uint8_t> bytes;
        bool srgb;
    };
    static std::size_t hashOf(std::span<const std::uint8_t> bytes) {
        return std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::size_t m_next = 0;
};

VerdictCache& verdicts() {
    static VerdictCache cache;
    return cache;
}

// The verdict for an opened RGB profile, computed once per distinct profile.
bool srgbVerdict(const Lcms& lcms, void* profile, std::span<const std::uint8_t> bytes) {
    if (auto known = verdicts().find(bytes)) return *known;
    ProfilePtr srgb(cmsCreate_sRGBProfileTHR(lcms.get()));
    TransformPtr check = srgb ? makeTransform(lcms, profile, TYPE_RGB_8, srgb.get(), TYPE_RGB_8,
                                              INTENT_RELATIVE_COLORIMETRIC)
                              : nullptr;
    const bool result = check && nearIdentity(check.get());
    if (check) verdicts().add(bytes, result);
    return result;
}

void printIgnored(const std::string& name, const std::string& reason) {
    std::printf("convertToSrgb: %s: colour profile ignored: %s\n", name.c_str(), reason.c_str());
}

// Converts an RGB picture through `profile` (an opened RGB profile) into sRGB.
ColourOutcome convertRgb(const Lcms& lcms, RasterImage& picture, void* profile,
                         const std::string& name) {
    ProfilePtr srgb(cmsCreate_sRGBProfileTHR(lcms.get()));
    TransformPtr t = srgb ? makeTransform(lcms, profile, TYPE_BGR_8, srgb.get(), TYPE_BGR_8,
                                          INTENT_PERCEPTUAL)
                          : nullptr;
    if (!t) {
        printIgnored(name, lcms.error("no transform to sRGB"));
        return ColourOutcome::Ignored;
    }
    // In place: input and output pixels have the same size. Rows in bands keep each
    // call's count within the library's 32-bit pixel count.
    const std::size_t stride = std::size_t(picture.width) * 3;
    constexpr int kBand = 64;
    for (int y = 0; y < picture.height; y += kBand) {
        const int rows = std::min(kBand, picture.height - y);
        std::uint8_t* p = picture.pixels + std::size_t(y) * stride;
        cmsDoTransform(t.get(), p, p, static_cast<cmsUInt32Number>(std::size_t(rows) * picture.width));
    }
    return ColourOutcome::Converted;
}

// A greyscale picture through a grey profile: 256 levels are all there is, so the
// transform fills a table and the table is applied.
ColourOutcome convertGrey(const Lcms& lcms, RasterImage& picture, void* profile,
                          const std::string& name) {
    if (!isGreyPicture(picture)) {
        printIgnored(name, "a grey profile for a colour picture");
        return ColourOutcome::Ignored;
    }
    ProfilePtr srgb(cmsCreate_sRGBProfileTHR(lcms.get()));
    TransformPtr t = srgb ? makeTransform(lcms, profile, TYPE_GRAY_8, srgb.get(), TYPE_BGR_8,
                                          INTENT_PERCEPTUAL)
                          : nullptr;
    if (!t) {
        printIgnored(name, lcms.error("no transform to sRGB"));
        return ColourOutcome::Ignored;
    }
    std::array<std::uint8_t, 256> levels{};
    for (int i = 0; i < 256; ++i) levels[std::size_t(i)] = std::uint8_t(i);
    std::array<std::uint8_t, 256 * 3> table{};
    cmsDoTransform(t.get(), levels.data(), table.data(), 256);
    bool identity = true;
    for (int i = 0; i < 256 && identity; ++i)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(table[std::size_t(i) * 3 + c]) - i) > kIdentityTolerance) identity = false;
    if (identity) return ColourOutcome::Unchanged;
    std::uint8_t* p = picture.pixels;
    const std::size_t count = std::size_t(picture.width) * std::size_t(picture.height);
    for (std::size_t i = 0; i < count; ++i, p += 3) std::memcpy(p, &table[std::size_t(p[0]) * 3], 3);
    return ColourOutcome::Converted;
}

// ---- nclx code points ----

struct Primaries {
    cmsCIExyY white;
    cmsCIExyYTRIPLE rgb;
};

constexpr cmsCIExyY kD65{0.3127, 0.3290, 1.0};
constexpr cmsCIExyY kIlluminantC{0.310, 0.316, 1.0};
constexpr cmsCIExyY kDciWhite{0.314, 0.351, 1.0};

std::optional<Primaries> primariesOf(std::uint16_t code) {
    auto p = [](cmsCIExyY w, double rx, double ry, double gx, double gy, double bx, double by) {
        return Primaries{w, {{rx, ry, 1.0}, {gx, gy, 1.0}, {bx, by, 1.0}}};
    };
    switch (code) {
        case 1:
        case 2: return p(kD65, 0.640, 0.330, 0.300, 0.600, 0.150, 0.060);  // BT.709 = sRGB
        case 4: return p(kIlluminantC, 0.67, 0.33, 0.21, 0.71, 0.14, 0.08);
        case 5: return p(kD65, 0.64, 0.33, 0.29, 0.60, 0.15, 0.06);
        case 6:
        case 7: return p(kD65, 0.630, 0.340, 0.310, 0.595, 0.155, 0.070);
        case 8: return p(kIlluminantC, 0.681, 0.319, 0.243, 0.692, 0.145, 0.049);
        case 9: return p(kD65, 0.708, 0.292, 0.170, 0.797, 0.131, 0.046);
        case 11: return p(kDciWhite, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060);
        case 12: return p(kD65, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060);
        case 22: return p(kD65, 0.630, 0.340, 0.295, 0.605, 0.155, 0.077);
        default: return std::nullopt;
    }
}

// Parametric curve (Little CMS type) and its parameters, from display value to linear.
struct Curve {
    int type;
    std::array<double, 5> params;
};

constexpr Curve kSrgbCurve{4, {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045}};

std::optional<Curve> transferOf(std::uint16_t code) {
    switch (code) {
        // BT.709-family curves describe the camera; browsers and viewers display such
        // pictures with the sRGB curve, and so does the album.
        case 1:
        case 2:
        case 6:
        case 7:
        case 13:
        case 14:
        case 15: return kSrgbCurve;
        case 4: return Curve{1, {2.2}};
        case 5: return Curve{1, {2.8}};
        case 8: return Curve{1, {1.0}};
        default: return std::nullopt;  // PQ and HLG need tone mapping; others are unknown
    }
}

}  // namespace

bool isSrgbProfile(std::span<const std::uint8_t> profile) {
    Lcms lcms;
    std::string reason;
    ProfilePtr p = openSourceProfile(lcms, profile, reason);
    if (!p || cmsGetColorSpace(p.get()) != cmsSigRgbData) return false;
    return srgbVerdict(lcms, p.get(), profile);
}

ColourOutcome convertToSrgb(RasterImage& picture, std::span<const std::uint8_t> profile,
                            const std::string& name) {
    if (profile.empty() || !usablePicture(picture)) return ColourOutcome::Unchanged;
    Lcms lcms;
    std::string reason;
    ProfilePtr p = openSourceProfile(lcms, profile, reason);
    if (!p) {
        printIgnored(name, reason);
        return ColourOutcome::Ignored;
    }
    switch (cmsGetColorSpace(p.get())) {
        case cmsSigRgbData:
            if (srgbVerdict(lcms, p.get(), profile)) return ColourOutcome::Unchanged;
            return convertRgb(lcms, picture, p.get(), name);
        case cmsSigGrayData:
            return convertGrey(lcms, picture, p.get(), name);
        case cmsSigCmykData:
            printIgnored(name, "a CMYK profile for an RGB picture");
            return ColourOutcome::Ignored;
        default:
            printIgnored(name, "the profile's colour space is not RGB or grey");
            return ColourOutcome::Ignored;
    }
}

ColourOutcome convertToSrgb(RasterImage& picture, const NclxColour& nclx,
                            const std::string& name) {
    if (!usablePicture(picture)) return ColourOutcome::Unchanged;
    const auto primaries = primariesOf(nclx.primaries);
    const auto curve = transferOf(nclx.transfer);
    if (!primaries || !curve) {
        char text[96];
        std::snprintf(text, sizeof text, "colour primaries %u with transfer %u are not converted",
                      unsigned(nclx.primaries), unsigned(nclx.transfer));
        printIgnored(name, text);
        return ColourOutcome::Ignored;
    }
    const bool srgbPrimaries = nclx.primaries == 1 || nclx.primaries == 2;
    const bool srgbCurve = curve->type == kSrgbCurve.type && curve->params == kSrgbCurve.params;
    if (srgbPrimaries && srgbCurve) return ColourOutcome::Unchanged;

    Lcms lcms;
    cmsToneCurve* tone = cmsBuildParametricToneCurve(lcms.get(), curve->type, curve->params.data());
    if (tone == nullptr) {
        printIgnored(name, lcms.error("no transfer curve"));
        return ColourOutcome::Ignored;
    }
    cmsToneCurve* curves[3] = {tone, tone, tone};
    ProfilePtr profile(cmsCreateRGBProfileTHR(lcms.get(), &primaries->white, &primaries->rgb, curves));
    cmsFreeToneCurve(tone);
    if (!profile) {
        printIgnored(name, lcms.error("no profile for the colour description"));
        return ColourOutcome::Ignored;
    }
    return convertRgb(lcms, picture, profile.get(), name);
}

// ---- CMYK rows ----

struct CmykToSrgb::Impl {
    Lcms lcms;
    TransformPtr transform;  // after lcms: released first
};

CmykToSrgb::CmykToSrgb(std::span<const std::uint8_t> profile, bool inverted, std::string* error) {
    auto impl = std::make_unique<Impl>();
    std::string reason;
    ProfilePtr p = openSourceProfile(impl->lcms, profile, reason);
    if (p && cmsGetColorSpace(p.get()) != cmsSigCmykData) {
        p.reset();
        reason = "the profile is not a CMYK profile";
    }
    if (p) {
        ProfilePtr srgb(cmsCreate_sRGBProfileTHR(impl->lcms.get()));
        if (srgb)
            impl->transform = makeTransform(impl->lcms, p.get(), inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8,
                                            srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL);
        if (!impl->transform) reason = impl->lcms.error("no transform to sRGB");
    }
    if (impl->transform) {
        m_impl = std::move(impl);
    } else if (error != nullptr) {
        *error = reason;
    }
}

CmykToSrgb::~CmykToSrgb() = default;
CmykToSrgb::CmykToSrgb(CmykToSrgb&&) noexcept = default;
CmykToSrgb& CmykToSrgb::operator=(CmykToSrgb&&) noexcept = default;

void CmykToSrgb::convert(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count) const {
    cmsDoTransform(m_impl->transform.get(), cmyk, bgr, static_cast<cmsUInt32Number>(count));
}

}  // namespace kavlo::imaging
