// SPDX-License-Identifier: MIT
// The colour a skin shows behind the photos, onto which transparent pictures (PNG, WebP,
// HEIF and AVIF with alpha) are flattened, so that they look in the album as they would
// on its pages.
#pragma once

#include <string>

#include "util/text.h"

namespace kavlo::core {

/// The `--kv-bg` colour of the skin's style sheet
/// templatedir/js2/ext/css/appearance_<appearance>.css ("#rrggbb" or "#rgb"), in Kavlo's
/// colour form (red in the lowest byte). White when the file or the colour is missing.
util::Colour skinBackground(const std::string& templatedir, const std::string& appearance);

}  // namespace kavlo::core
