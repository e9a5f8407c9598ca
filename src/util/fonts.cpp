// SPDX-License-Identifier: MIT
// Installed fonts through fontconfig.
#include "util/fonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "util/files.h"

namespace kavlo::util {

namespace {

struct PatternDestroy {
    void operator()(FcPattern* p) const noexcept { FcPatternDestroy(p); }
};
struct ObjectSetDestroy {
    void operator()(FcObjectSet* s) const noexcept { FcObjectSetDestroy(s); }
};
struct FontSetDestroy {
    void operator()(FcFontSet* s) const noexcept { FcFontSetDestroy(s); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDestroy>;
using ObjectSetPtr = std::unique_ptr<FcObjectSet, ObjectSetDestroy>;
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDestroy>;

std::vector<std::string> queryFontFiles() {
    std::vector<std::string> files;
    if (!FcInit()) return files;
    PatternPtr pattern(FcPatternCreate());
    ObjectSetPtr objects(FcObjectSetBuild(FC_FILE, nullptr));
    if (!pattern || !objects) return files;
    FontSetPtr set(FcFontList(nullptr, pattern.get(), objects.get()));
    if (!set) return files;
    for (int i = 0; i < set->nfont; ++i) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch || !file)
            continue;
        std::string path(reinterpret_cast<const char*>(file));
        if (extensionOf(path) == "ttf") files.push_back(std::move(path));
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

std::string queryDefaultFont() {
    if (!FcInit()) return std::string();
    PatternPtr pattern(FcNameParse(reinterpret_cast<const FcChar8*>("Arial")));
    if (!pattern) return std::string();
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) return std::string();
    FcChar8* file = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) {
        return std::string();
    }
    return std::string(reinterpret_cast<const char*>(file));
}

// Serialises the two first-time queries: fontconfig's initialisation is not
// guaranteed to be safe when two threads start it at once.
std::mutex& fontconfigMutex() {
    static std::mutex m;
    return m;
}

}  // namespace

std::vector<std::string> installedFontFiles() {
    static std::once_flag once;
    static std::vector<std::string> files;
    std::call_once(once, [] {
        std::lock_guard lock(fontconfigMutex());
        files = queryFontFiles();
    });
    return files;
}

std::string defaultFontFile() {
    static std::once_flag once;
    static std::string file;
    std::call_once(once, [] {
        std::lock_guard lock(fontconfigMutex());
        file = queryDefaultFont();
    });
    return file;
}

}  // namespace kavlo::util
