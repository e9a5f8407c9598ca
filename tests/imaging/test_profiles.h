// SPDX-License-Identifier: MIT
// ICC profiles for the colour tests and the fuzz seeds, made with Little CMS: Adobe RGB
// (1998), Display P3, sRGB in two forms, and a CMYK printer profile whose table
// describes a known ink model.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <lcms2.h>

#include "source_files.h"

namespace kavlo::test::profiles {

using Bytes = std::vector<std::uint8_t>;

inline Bytes saved(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    require(cmsSaveProfileToMem(profile, nullptr, &size) != 0, "a profile that cannot be saved");
    Bytes bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

inline cmsHPROFILE rgbProfile(double rx, double ry, double gx, double gy, double bx, double by,
                              cmsToneCurve* curve) {
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{rx, ry, 1.0}, {gx, gy, 1.0}, {bx, by, 1.0}};
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(curve);
    return p;
}

inline cmsToneCurve* srgbCurve() {
    const double params[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, params);
}

inline Bytes adobeRgb() {
    return saved(
        rgbProfile(0.64, 0.33, 0.21, 0.71, 0.15, 0.06, cmsBuildGamma(nullptr, 563.0 / 256.0)));
}
inline Bytes displayP3() {
    return saved(rgbProfile(0.680, 0.320, 0.265, 0.690, 0.150, 0.060, srgbCurve()));
}
inline Bytes greyProfile(double gamma) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    Bytes bytes = saved(cmsCreateGrayProfile(cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return bytes;
}
inline Bytes builtInSrgb() { return saved(cmsCreate_sRGBProfile()); }
// sRGB as many cameras and editors store it: a 1024-entry table for the curve.
inline Bytes tabulatedSrgb() {
    std::vector<float> table(1024);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const double v = double(i) / 1023.0;
        table[i] = float(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
    }
    return saved(rgbProfile(
        0.64, 0.33, 0.30, 0.60, 0.15, 0.06,
        cmsBuildTabulatedToneCurveFloat(nullptr, cmsUInt32Number(table.size()), table.data())));
}

// The CMYK device of the tests, giving sRGB values 0..1: plain ink multiplication, as
// the generic formula has it, except that the cyan ink also takes half the green.
inline void cmykToRgb(double c, double m, double y, double k, double rgb[3]) {
    rgb[0] = (1 - c) * (1 - k);
    rgb[1] = (1 - m) * (1 - k) * (1 - 0.5 * c);
    rgb[2] = (1 - y) * (1 - k);
}

struct Sampler {
    cmsHTRANSFORM toLab;
};

inline cmsInt32Number sampleCmyk(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
    double rgb[3];
    cmykToRgb(in[0] / 65535.0, in[1] / 65535.0, in[2] / 65535.0, in[3] / 65535.0, rgb);
    cmsCIELab lab;
    cmsDoTransform(static_cast<Sampler*>(cargo)->toLab, rgb, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return 1;
}

// A CMYK output profile (version 4) whose device-to-PCS table, of `gridPoints` per ink,
// describes cmykToRgb.
inline Bytes cmykProfile(int gridPoints = 11) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    Sampler sampler{
        cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0)};
    cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(p, 4.3);
    cmsSetDeviceClass(p, cmsSigOutputClass);
    cmsSetColorSpace(p, cmsSigCmykData);
    cmsSetPCS(p, cmsSigLabData);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* clut = cmsStageAllocCLut16bit(nullptr, cmsUInt32Number(gridPoints), 4, 3, nullptr);
    cmsStageSampleCLut16bit(clut, sampleCmyk, &sampler, 0);
    // Identity curves around the table: the stored form of a device-to-PCS table.
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, clut);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, cmsStageAllocToneCurves(nullptr, 4, nullptr));
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsWriteTag(p, cmsSigAToB0Tag, pipeline);
    cmsWriteTag(p, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipelineFree(pipeline);
    cmsDeleteTransform(sampler.toLab);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    return saved(p);
}

}  // namespace kavlo::test::profiles
