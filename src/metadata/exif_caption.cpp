// SPDX-License-Identifier: MIT
// Exif captions: one item per letter, in a fixed order, separated by ", ".
#include "metadata/exif_caption.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "util/text.h"

namespace kavlo::metadata {

using util::format;

namespace {

int truncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

bool wants(const std::string& letters, char letter) {
    return letters.find(letter) != std::string::npos;
}

std::string exposureText(double t) {
    if (t >= 1) {
        if (t != std::floor(t)) return format("%.1f s", t);
        return format("%.0f s", t);
    }
    return format("1/%i s", truncToInt(1.0 / t + 0.5));
}

std::string biasText(double b) {
    const char* sign = b < 0 ? "-" : "";
    const double u = 3 * std::fabs(b);
    const int n = truncToInt(u + 0.5);
    if (std::fabs(u - n) < 0.01) {  // a whole number of thirds of a stop
        const int q = n / 3, r = n % 3;
        if (q == 0) return format("%s%i/%i EV", sign, r, 3);
        if (r == 0) return format("%s%i EV", sign, q);
        return format("%s%i %i/%i EV", sign, q, r, 3);
    }
    return format("%.2g EV", b);
}

}  // namespace

std::string formatExifCaption(const ExifInfo& info, const std::string& exifformat) {
    std::string out;
    auto add = [&out](const std::string& item) {
        if (!out.empty()) out += ", ";
        out += item;
    };
    if (wants(exifformat, 'e') && info.exposureTime != 0) add(exposureText(info.exposureTime));
    if (wants(exifformat, 'a') && info.fNumber != 0) add(format("f/%.2g", double{info.fNumber}));
    if (wants(exifformat, 'x') && info.exposureBias != 0) add(biasText(info.exposureBias));
    if (wants(exifformat, 'f') && info.focalLength != 0)
        add(format("%.0f mm", double{info.focalLength}));
    if (wants(exifformat, 'i') && info.iso != 0) add(format("iso %i", info.iso));
    if (wants(exifformat, 'u') && info.flash >= 0 && (info.flash & 1)) add("flash");
    if (wants(exifformat, 'k') && !info.make.empty()) add(info.make);
    if (wants(exifformat, 'm') && !info.model.empty()) add(info.model);
    if (wants(exifformat, 'd') && !info.dateTime.empty()) add(info.dateTime);
    return out;
}

}  // namespace kavlo::metadata
