// SPDX-License-Identifier: MIT
#include "ui/caption_extraction_dialog.h"

namespace kavlo::ui {

using core::CaptionChoices;
using core::CaptionSource;

const std::array<const char*, CaptionExtractionDialog::kSourceCount>&
CaptionExtractionDialog::sourceTexts() {
    // "IPCT" is the list's long-standing spelling; users know the item by it.
    static const std::array<const char*, kSourceCount> texts = {
        "IPCT caption, author etc.",
        "Exif shutter, aperture etc.",
        "JPEG comment",
        "Filename",
        "Empty caption",
        "Image number",
    };
    return texts;
}

const char* CaptionExtractionDialog::noticeText() {
    return "Notice that extracted captions will overwrite existing captions.";
}

void CaptionExtractionDialog::prepare(const std::string& iptcFormat,
                                      const std::string& exifFormat) {
    m_range = 0;
    m_iptcFormat = iptcFormat;
    m_exifFormat = exifFormat;
}

void CaptionExtractionDialog::setSource(CaptionSource source) {
    const int index = static_cast<int>(source);
    if (index >= 0 && index < kSourceCount) m_source = source;
}

CaptionChoices CaptionExtractionDialog::choices() const {
    CaptionChoices c;
    c.source = m_source;
    c.major = m_destination == 0;
    c.allImages = m_range == 1;
    c.iptcFormat = m_iptcFormat;
    c.exifFormat = m_exifFormat;
    return c;
}

}  // namespace kavlo::ui
