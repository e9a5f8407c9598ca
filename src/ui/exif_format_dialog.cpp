// SPDX-License-Identifier: MIT
#include "ui/exif_format_dialog.h"

namespace kavlo::ui {

const std::array<ExifFieldBox, ExifFormatDialog::kFieldCount>& ExifFormatDialog::fieldBoxes() {
    static const std::array<ExifFieldBox, kFieldCount> boxes = {{
        {'e', "&Exposure"},
        {'a', "&Aperture"},
        {'x', "E&xposure Compensation"},
        {'f', "&Focal Length"},
        {'i', "&ISO Sensitivity"},
        {'u', "Flash &Used"},
        {'k', "Camera Ma&ke"},
        {'m', "Camera &Model"},
        {'d', "&Date and Time"},
    }};
    return boxes;
}

const char* ExifFormatDialog::informationText() {
    return "Exif data consists of auxiliary recording information embedded into the image "
           "files.\n\nThe Exif data supported by Kavlo is shown to the left.\n\nNotice that "
           "Kavlo will only extract Exif from JPEG files.";
}

ExifFormatDialog::ExifFormatDialog(const std::string& format) {
    const auto& boxes = fieldBoxes();
    for (std::size_t i = 0; i < kFieldCount; ++i)
        m_checked[i] = format.find(boxes[i].letter) != std::string::npos;
}

std::string ExifFormatDialog::format() const {
    std::string letters;
    const auto& boxes = fieldBoxes();
    for (std::size_t i = 0; i < kFieldCount; ++i)
        if (m_checked[i]) letters += boxes[i].letter;
    return letters;
}

}  // namespace kavlo::ui
