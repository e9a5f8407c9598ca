// SPDX-License-Identifier: MIT
// Rendition steps and ext/js/renditions.js.
#include "core/renditions.h"

#include <algorithm>

#include "util/text.h"

namespace kavlo::core {

using model::AlbumSettings;
using util::format;

namespace {

// A file is worth making when it has at least 8/7 the longer side of the next smaller
// one (about 30 % more pixels).
bool clearlyLarger(int longer, int than) {
    return static_cast<long long>(longer) * 7 >= static_cast<long long>(than) * 8;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string pair(const PixelSize& p) {
    return p.first > 0 && p.second > 0 ? format("[%d, %d]", p.first, p.second) : "null";
}

}  // namespace

const std::vector<int>& renditionSteps() {
    // Chosen by measurement of the viewer (longer side of the photo on show, in device
    // pixels): a 3x phone needs up to 1170 (landscape) and 1560 (portrait), a laptop
    // about 730, a 4K screen at 200 % about 1730 (portrait) to 3400 (a wide photo in the
    // large view). Each step covers the next need; a 2560 step between 1920 and 3840
    // would save 4K screens some transfer but cost about 40 % more disk per photo.
    static const std::vector<int> steps = {1280, 1920, 3840};
    return steps;
}

std::string renditionsRoot() { return "hd"; }

std::string renditionFolder(std::size_t step) {
    return renditionsRoot() + "/" + std::to_string(renditionSteps().at(step));
}

std::string thumbnail2xFolder(const AlbumSettings& settings) { return settings.sdir + "2x"; }

std::vector<int> renditionTargets(int sourceLong, int mainLong) {
    std::vector<int> targets;
    int below = mainLong;
    for (int box : renditionSteps()) {
        int target = 0;
        if (box > mainLong && sourceLong > 0 && clearlyLarger(sourceLong, below)) {
            target = std::min(box, sourceLong);
            below = target;
        }
        targets.push_back(target);
    }
    return targets;
}

int thumbnail2xTarget(int sourceLong, int thumbLong) {
    if (thumbLong <= 0 || !clearlyLarger(sourceLong, thumbLong)) return 0;
    return std::min(2 * thumbLong, sourceLong);
}

std::string renditionsScript(const AlbumSettings& settings, const RenditionSizes& sizes) {
    std::string js = "var renditions = {\n  \"dirs\": [";
    for (std::size_t k = 0; k < renditionSteps().size(); ++k) {
        js += (k ? ", " : "") + jsonString(renditionFolder(k));
    }
    js += "],\n  \"sizes\": [\n";
    for (std::size_t i = 0; i < sizes.steps.size(); ++i) {
        js += "    [";
        for (std::size_t k = 0; k < sizes.steps[i].size(); ++k) {
            js += (k ? ", " : "") + pair(sizes.steps[i][k]);
        }
        js += i + 1 < sizes.steps.size() ? "],\n" : "]\n";
    }
    js += "  ],\n  \"thumb2xDir\": ";
    js += jsonString(settings.small ? thumbnail2xFolder(settings) : std::string()) + ",\n";
    js += "  \"thumb2x\": [";
    if (settings.small) {
        for (std::size_t i = 0; i < sizes.thumb2x.size(); ++i) {
            js += (i ? ", " : "") + pair(sizes.thumb2x[i]);
        }
    }
    js += "]\n};\n";
    return js;
}

}  // namespace kavlo::core
