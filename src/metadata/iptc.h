// SPDX-License-Identifier: MIT
// IPTC record-2 text fields of a JPEG file's APP13 section, and captions made from them
// through a template with placeholders such as "%caption_abstract%".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavlo::metadata {

/// The twenty IPTC fields Kavlo knows; all empty when nothing was found. Field numbers:
/// 0 object name, 1 urgency, 2 category, 3 supplemental categories, 4 keywords,
/// 5 special instructions, 6 raw creation date (CCYYMMDD), 7 creation date (MM-DD-YY),
/// 8 by-line, 9 by-line title, 10 city, 11 province/state, 12 country, 13 original
/// transmission reference, 14 headline, 15 credit, 16 source, 17 copyright notice,
/// 18 caption/abstract, 19 writer/editor.
struct IptcRecord {
    static constexpr int kFieldCount = 20;
    std::string fields[kFieldCount];
};

/// The template placeholder of field `field` ("%object_name%", ...); empty for field 6
/// (the raw creation date has none) and for numbers outside 0..19.
const char* iptcPlaceholder(int field);

/// Reads the first APP13 section of the JPEG file at `path` (through libjpeg) into
/// `record`. True when the file was opened and its header read, whether or not it holds
/// IPTC data; false when it cannot be opened or libjpeg rejects it (record untouched).
bool readIptc(const std::string& path, IptcRecord& record);

/// Fills `record` from the bytes of one APP13 section: every record-2 dataset
/// (0x1C 0x02 number length-high length-low value) found by a byte-wise scan. A dataset
/// that runs past the end stops the scan; fields read before it are kept.
void parseIptc(const std::uint8_t* bytes, std::size_t length, IptcRecord& record);

/// Replaces every placeholder in `tmpl` by its field, field 0 first, field 19 last.
std::string applyIptcTemplate(const IptcRecord& record, const std::string& tmpl);

/// The caption of one image: CR LF removed from the template; when the template holds
/// "%mac_roman%" (removed), the IPTC text is taken as Mac Roman and converted, and
/// carriage returns become single spaces.
std::string iptcCaption(const IptcRecord& record, const std::string& tmpl);

}  // namespace kavlo::metadata
