// SPDX-License-Identifier: MIT
// Colour conversion to sRGB through Little CMS.
//
// Making a transform costs more than applying it to a whole decoded photo, and every
// photo of one camera carries the same profile. So what a profile needs (the sRGB
// verdict, the transform, or the table of a grey profile) is prepared once and kept in
// a small locked cache keyed by the profile bytes. Transforms are made without Little
// CMS's one-pixel cache (cmsFLAGS_NOCACHE), which makes cmsDoTransform safe to call on
// one transform from several threads. Everything lives in one Little CMS context that
// is never deleted; its error handler writes into a sink of the calling thread, so a
// library message becomes the diagnostic line of the call that caused it.
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

#include "util/diagnostics.h"

namespace kavlo::imaging {

namespace {

// ---- Little CMS context and errors ----

struct ErrorSink {
    std::string first;
};

thread_local ErrorSink* t_sink = nullptr;

extern "C" void lcmsLog(cmsContext, cmsUInt32Number, const char* text) {
    if (t_sink != nullptr && t_sink->first.empty() && text != nullptr) t_sink->first = text;
}

cmsContext sharedContext() {
    static const cmsContext ctx = [] {
        cmsContext c = cmsCreateContext(nullptr, nullptr);
        if (c != nullptr) cmsSetLogErrorHandlerTHR(c, lcmsLog);
        return c;
    }();
    return ctx;
}

// Collects the library's messages on this thread while it lives.
class ErrorScope {
public:
    ErrorScope() : m_previous(t_sink) { t_sink = &m_sink; }
    ~ErrorScope() { t_sink = m_previous; }
    ErrorScope(const ErrorScope&) = delete;
    ErrorScope& operator=(const ErrorScope&) = delete;
    std::string error(const char* fallback) const {
        return m_sink.first.empty() ? std::string(fallback) : m_sink.first;
    }

private:
    ErrorSink m_sink;
    ErrorSink* m_previous;
};

struct ProfileClose {
    void operator()(void* p) const noexcept { cmsCloseProfile(p); }
};
using ProfilePtr = std::unique_ptr<void, ProfileClose>;

using SharedTransform = std::shared_ptr<void>;

SharedTransform makeTransform(void* from, cmsUInt32Number inFormat, void* to,
                              cmsUInt32Number outFormat, cmsUInt32Number intent) {
    void* t = cmsCreateTransformTHR(sharedContext(), from, inFormat, to, outFormat, intent,
                                    cmsFLAGS_NOCACHE);
    if (t == nullptr) return nullptr;
    return SharedTransform(t, [](void* p) { cmsDeleteTransform(p); });
}

// ---- Prepared conversions ----

// What a source needs: the profile of a 24-bit picture (RGB or grey), or of CMYK inks
// (plain or inverted).
enum class Use : std::uint8_t { Picture, Cmyk, CmykInverted };

struct Prepared {
    std::string error;          ///< why the profile cannot be used; empty when it can
    bool grey = false;          ///< Picture: a grey profile, applied through greyTable
    bool srgb = false;          ///< Picture: the profile is sRGB's (nothing to do)
    SharedTransform transform;  ///< Picture (RGB): BGR to BGR; Cmyk: inks to BGR
    std::array<std::uint8_t, 256 * 3> greyTable{};  ///< grey level to blue, green, red
};

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

// Opens `bytes` as a profile usable as the source of a conversion, or gives the reason.
ProfilePtr openSourceProfile(std::span<const std::uint8_t> bytes, std::string& reason) {
    if (sharedContext() == nullptr) {
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
    ErrorScope errors;
    ProfilePtr profile(cmsOpenProfileFromMemTHR(sharedContext(), bytes.data(),
                                                static_cast<cmsUInt32Number>(bytes.size())));
    if (!profile) {
        reason = errors.error("not a valid ICC profile");
        return nullptr;
    }
    // Signatures are compared as numbers: a hostile profile holds values the enum does
    // not name, and such a value must not be loaded as the enum.
    switch (static_cast<cmsUInt32Number>(cmsGetDeviceClass(profile.get()))) {
    case cmsSigInputClass:
    case cmsSigDisplayClass:
    case cmsSigOutputClass:
    case cmsSigColorSpaceClass: return profile;
    default: reason = "ICC profile is not a device or colour space profile"; return nullptr;
    }
}

// Prepares the conversion of an opened profile for `use`.
Prepared prepareProfile(void* profile, Use use) {
    Prepared p;
    ErrorScope errors;
    ProfilePtr srgb(cmsCreate_sRGBProfileTHR(sharedContext()));
    if (!srgb) {
        p.error = errors.error("no sRGB profile");
        return p;
    }
    const auto space = static_cast<cmsUInt32Number>(cmsGetColorSpace(profile));
    switch (use) {
    case Use::Picture: {
        if (space == cmsSigGrayData) {
            p.grey = true;
            const SharedTransform t =
                makeTransform(profile, TYPE_GRAY_8, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL);
            if (!t) {
                p.error = errors.error("no transform to sRGB");
                return p;
            }
            std::array<std::uint8_t, 256> levels{};
            for (int i = 0; i < 256; ++i) levels[std::size_t(i)] = std::uint8_t(i);
            cmsDoTransform(t.get(), levels.data(), p.greyTable.data(), 256);
            p.srgb = true;
            for (int i = 0; i < 256 && p.srgb; ++i)
                for (int c = 0; c < 3; ++c)
                    if (std::abs(int(p.greyTable[std::size_t(i) * 3 + c]) - i) > kIdentityTolerance)
                        p.srgb = false;
            return p;
        }
        if (space != cmsSigRgbData) {
            p.error = space == cmsSigCmykData ? "a CMYK profile for an RGB picture"
                                              : "the profile's colour space is not RGB or grey";
            return p;
        }
        const SharedTransform check = makeTransform(profile, TYPE_RGB_8, srgb.get(), TYPE_RGB_8,
                                                    INTENT_RELATIVE_COLORIMETRIC);
        p.srgb = check && nearIdentity(check.get());
        if (!p.srgb)
            p.transform =
                makeTransform(profile, TYPE_BGR_8, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL);
        if (!p.srgb && !p.transform) p.error = errors.error("no transform to sRGB");
        return p;
    }
    case Use::Cmyk:
    case Use::CmykInverted:
        if (space != cmsSigCmykData) {
            p.error = "the profile is not a CMYK profile";
            return p;
        }
        p.transform =
            makeTransform(profile, use == Use::CmykInverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8,
                          srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL);
        if (!p.transform) p.error = errors.error("no transform to sRGB");
        return p;
    }
    return p;
}

// Prepared conversions for the last few distinct profiles met, on any thread. The key
// is the profile bytes (or an nclx description) and the use.
class PreparedCache {
public:
    std::shared_ptr<const Prepared> find(std::span<const std::uint8_t> key, Use use) {
        const std::size_t h = hashOf(key, use);
        std::lock_guard lock(m_mutex);
        for (const Entry& e : m_entries)
            if (e.hash == h && e.use == use && std::ranges::equal(e.key, key)) return e.prepared;
        return nullptr;
    }
    void add(std::span<const std::uint8_t> key, Use use, std::shared_ptr<const Prepared> prepared) {
        if (key.size() > kMaxCachedBytes) return;
        Entry e{hashOf(key, use), use, std::vector<std::uint8_t>(key.begin(), key.end()),
                std::move(prepared)};
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
        Use use;
        std::vector<std::uint8_t> key;
        std::shared_ptr<const Prepared> prepared;
    };
    static std::size_t hashOf(std::span<const std::uint8_t> key, Use use) {
        return std::hash<std::string_view>{}(
                   std::string_view(reinterpret_cast<const char*>(key.data()), key.size())) ^
               std::size_t(use);
    }
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::size_t m_next = 0;
};

PreparedCache& cache() {
    static PreparedCache c;
    return c;
}

// The prepared conversion of profile bytes, from the cache or made now.
std::shared_ptr<const Prepared> prepared(std::span<const std::uint8_t> bytes, Use use) {
    if (auto known = cache().find(bytes, use)) return known;
    auto p = std::make_shared<Prepared>();
    ProfilePtr profile = openSourceProfile(bytes, p->error);
    if (profile) *p = prepareProfile(profile.get(), use);
    cache().add(bytes, use, p);
    return p;
}

// ---- Applying ----

void reportIgnored(const std::string& name, const std::string& reason) {
    util::reportFile(util::Severity::warning, util::ErrorCode::unsupported, "convertToSrgb", name,
                     "colour profile ignored: " + reason);
}

bool usablePicture(const RasterImage& picture) {
    return picture.bitsPerPixel == 24 && picture.pixels != nullptr && picture.width > 0 &&
           picture.height > 0;
}

// A picture whose three bytes are equal in every pixel.
bool isGreyPicture(const RasterImage& picture) {
    const std::uint8_t* p = picture.pixels;
    const std::size_t count = std::size_t(picture.width) * std::size_t(picture.height);
    for (std::size_t i = 0; i < count; ++i, p += 3)
        if (p[0] != p[1] || p[1] != p[2]) return false;
    return true;
}

ColourOutcome apply(RasterImage& picture, const Prepared& p, const std::string& name) {
    if (!p.error.empty()) {
        reportIgnored(name, p.error);
        return ColourOutcome::Ignored;
    }
    if (p.srgb) return ColourOutcome::Unchanged;
    if (p.grey) {
        std::uint8_t* px = picture.pixels;
        const std::size_t count = std::size_t(picture.width) * std::size_t(picture.height);
        for (std::size_t i = 0; i < count; ++i, px += 3)
            std::memcpy(px, &p.greyTable[std::size_t(px[0]) * 3], 3);
        return ColourOutcome::Converted;
    }
    // In place: input and output pixels have the same size. Bands of rows keep each
    // call's count within the library's 32-bit pixel count.
    const std::size_t stride = std::size_t(picture.width) * 3;
    constexpr int kBand = 64;
    for (int y = 0; y < picture.height; y += kBand) {
        const int rows = std::min(kBand, picture.height - y);
        std::uint8_t* row = picture.pixels + std::size_t(y) * stride;
        cmsDoTransform(p.transform.get(), row, row,
                       static_cast<cmsUInt32Number>(std::size_t(rows) * picture.width));
    }
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

// The prepared conversion for nclx primaries and curve, cached under a key that no ICC
// profile can have (shorter than a profile header).
std::shared_ptr<const Prepared> preparedNclx(std::uint16_t primaries, const Primaries& values,
                                             std::uint16_t transfer, const Curve& curve) {
    const std::uint8_t key[8] = {'n',
                                 'c',
                                 'l',
                                 'x',
                                 std::uint8_t(primaries >> 8),
                                 std::uint8_t(primaries),
                                 std::uint8_t(transfer >> 8),
                                 std::uint8_t(transfer)};
    if (auto known = cache().find(key, Use::Picture)) return known;
    auto p = std::make_shared<Prepared>();
    ErrorScope errors;
    cmsToneCurve* tone =
        cmsBuildParametricToneCurve(sharedContext(), curve.type, curve.params.data());
    if (tone != nullptr) {
        cmsToneCurve* curves[3] = {tone, tone, tone};
        ProfilePtr profile(
            cmsCreateRGBProfileTHR(sharedContext(), &values.white, &values.rgb, curves));
        cmsFreeToneCurve(tone);
        if (profile) {
            ProfilePtr srgb(cmsCreate_sRGBProfileTHR(sharedContext()));
            if (srgb)
                p->transform = makeTransform(profile.get(), TYPE_BGR_8, srgb.get(), TYPE_BGR_8,
                                             INTENT_PERCEPTUAL);
        }
    }
    if (!p->transform) p->error = errors.error("no transform for the colour description");
    cache().add(key, Use::Picture, p);
    return p;
}

}  // namespace

bool isSrgbProfile(std::span<const std::uint8_t> profile) {
    const auto p = prepared(profile, Use::Picture);
    return p->error.empty() && !p->grey && p->srgb;
}

ColourOutcome convertToSrgb(RasterImage& picture, std::span<const std::uint8_t> profile,
                            const std::string& name) {
    if (profile.empty() || !usablePicture(picture)) return ColourOutcome::Unchanged;
    const auto p = prepared(profile, Use::Picture);
    if (p->error.empty() && p->grey && !isGreyPicture(picture)) {
        reportIgnored(name, "a grey profile for a colour picture");
        return ColourOutcome::Ignored;
    }
    return apply(picture, *p, name);
}

ColourOutcome convertToSrgb(RasterImage& picture, const NclxColour& nclx, const std::string& name) {
    if (!usablePicture(picture)) return ColourOutcome::Unchanged;
    const auto primaries = primariesOf(nclx.primaries);
    const auto curve = transferOf(nclx.transfer);
    if (!primaries || !curve) {
        char text[96];
        std::snprintf(text, sizeof text, "colour primaries %u with transfer %u are not converted",
                      unsigned(nclx.primaries), unsigned(nclx.transfer));
        reportIgnored(name, text);
        return ColourOutcome::Ignored;
    }
    const bool srgbPrimaries = nclx.primaries == 1 || nclx.primaries == 2;
    const bool srgbCurve = curve->type == kSrgbCurve.type && curve->params == kSrgbCurve.params;
    if (srgbPrimaries && srgbCurve) return ColourOutcome::Unchanged;
    const std::uint16_t curveKey = srgbCurve ? 13 : nclx.transfer;
    return apply(picture, *preparedNclx(nclx.primaries, *primaries, curveKey, *curve), name);
}

ColourOutcome convertToSrgb(RasterImage& picture, std::span<const std::uint8_t> profile,
                            const std::optional<NclxColour>& nclx, const std::string& name) {
    if (!profile.empty()) return convertToSrgb(picture, profile, name);
    if (nclx) return convertToSrgb(picture, *nclx, name);
    return ColourOutcome::Unchanged;
}

// ---- CMYK rows ----

struct CmykToSrgb::Impl {
    std::shared_ptr<const Prepared> prepared;
};

CmykToSrgb::CmykToSrgb(std::span<const std::uint8_t> profile, bool inverted, std::string* error) {
    auto p = prepared(profile, inverted ? Use::CmykInverted : Use::Cmyk);
    if (p->error.empty() && p->transform) {
        m_impl = std::make_unique<Impl>(Impl{std::move(p)});
    } else if (error != nullptr) {
        *error = p->error;
    }
}

CmykToSrgb::~CmykToSrgb() = default;
CmykToSrgb::CmykToSrgb(CmykToSrgb&&) noexcept = default;
CmykToSrgb& CmykToSrgb::operator=(CmykToSrgb&&) noexcept = default;

void CmykToSrgb::convert(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t count) const {
    cmsDoTransform(m_impl->prepared->transform.get(), cmyk, bgr,
                   static_cast<cmsUInt32Number>(count));
}

int colourEngineVersion() { return cmsGetEncodedCMMversion(); }

}  // namespace kavlo::imaging
