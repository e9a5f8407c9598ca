// SPDX-License-Identifier: MIT
// The "Caption Extraction" dialog: the source of the captions, the destination
// (major or minor caption) and the range (current image or all images), plus the
// IPTC template and Exif letters the sources use.
//
// The album editor keeps one object for its whole life, so source and destination
// persist from one opening to the next; every opening resets the range to the
// current image and copies the two formats from the album settings.
#pragma once

#include <array>
#include <string>

#include "core/caption_extraction.h"
#include "ui/exif_format_dialog.h"
#include "ui/iptc_format_dialog.h"

namespace kavlo::ui {

class CaptionExtractionDialog {
public:
    static constexpr int kSourceCount = 6;
    /// The "&Source" list, in the order of CaptionSource (the first item's spelling
    /// is the dialog's own).
    static const std::array<const char*, kSourceCount>& sourceTexts();
    /// "Notice that extracted captions will overwrite existing captions."
    static const char* noticeText();

    /// Prepares an opening: range := current image, formats copied in. Source and
    /// destination keep their values from the last opening.
    void prepare(const std::string& iptcFormat, const std::string& exifFormat);

    core::CaptionSource source() const { return m_source; }
    /// Selects a source; a value outside the list is ignored.
    void setSource(core::CaptionSource source);
    /// 0 major caption, 1 minor caption.
    int destination() const { return m_destination; }
    void setDestination(int destination) { m_destination = destination == 1 ? 1 : 0; }
    /// 0 current image, 1 all images.
    int range() const { return m_range; }
    void setRange(int range) { m_range = range == 1 ? 1 : 0; }

    /// "I&PTC Format" is enabled for the IPTC source only.
    bool iptcButtonEnabled() const { return m_source == core::CaptionSource::iptc; }
    /// "&Exif Format" is enabled for the Exif source only.
    bool exifButtonEnabled() const { return m_source == core::CaptionSource::exif; }

    const std::string& iptcFormat() const { return m_iptcFormat; }
    const std::string& exifFormat() const { return m_exifFormat; }

    /// The IPTC format dialog over this dialog's template.
    IptcFormatDialog iptcEditor() const { return IptcFormatDialog(m_iptcFormat); }
    /// OK in the IPTC format dialog: its text replaces this dialog's template (the
    /// settings are only touched when the extraction itself is confirmed).
    void acceptIptcEditor(const IptcFormatDialog& dlg) { m_iptcFormat = dlg.format(); }
    /// The Exif format dialog over this dialog's letters.
    ExifFormatDialog exifEditor() const { return ExifFormatDialog(m_exifFormat); }
    void acceptExifEditor(const ExifFormatDialog& dlg) { m_exifFormat = dlg.format(); }

    /// The choices handed to extractCaptions() after OK.
    core::CaptionChoices choices() const;

private:
    core::CaptionSource m_source = core::CaptionSource::iptc;
    int m_destination = 0;
    int m_range = 0;
    std::string m_iptcFormat;
    std::string m_exifFormat;
};

}  // namespace kavlo::ui
