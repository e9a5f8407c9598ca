// SPDX-License-Identifier: MIT
// The "Exif Format" dialog: which Exif items make the Exif caption.
//
// The format is a string of letters. At opening a box is ticked when its letter
// occurs anywhere in the format; on OK the format is rebuilt from the ticked boxes in
// the fixed table order, so unknown letters and the old order are not kept.
#pragma once

#include <array>
#include <string>

namespace kavlo::ui {

/// One box of the group "Exif Fields".
struct ExifFieldBox {
    char letter;       ///< the letter in `exifformat`
    const char* text;  ///< the box text, with its mnemonic
};

class ExifFormatDialog {
public:
    static constexpr std::size_t kFieldCount = 9;
    /// The boxes in the order their letters are written: e, a, x, f, i, u, k, m, d.
    static const std::array<ExifFieldBox, kFieldCount>& fieldBoxes();
    /// The text of the group "Information".
    static const char* informationText();

    /// Ticks each box whose letter occurs in `format`.
    explicit ExifFormatDialog(const std::string& format);

    bool checked(std::size_t box) const { return box < kFieldCount && m_checked[box]; }
    void setChecked(std::size_t box, bool on) {
        if (box < kFieldCount) m_checked[box] = on;
    }

    /// The letters of the ticked boxes in table order; "" when none is ticked.
    std::string format() const;

private:
    std::array<bool, kFieldCount> m_checked{};
};

}  // namespace kavlo::ui
