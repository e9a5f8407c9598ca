// SPDX-License-Identifier: MIT
// IPTC record-2 text fields of a JPEG file's APP13 section, and captions made from them
// through a template with placeholders such as "%caption_abstract%".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavlo::metadata {

/// The twenty IPTC fields Kavlo knows, numbered as IptcRecord::fields holds them.
enum class IptcField : int {
    objectName = 0,
    urgency = 1,
    category = 2,
    supplementalCategories = 3,
    keywords = 4,
    specialInstructions = 5,
    rawCreationDate = 6,  ///< CCYYMMDD as stored
    creationDate = 7,     ///< MM-DD-YY, made from the raw date
    byline = 8,
    bylineTitle = 9,
    city = 10,
    provinceState = 11,
    country = 12,
    originalTransmissionReference = 13,
    headline = 14,
    credit = 15,
    source = 16,
    copyrightNotice = 17,
    captionAbstract = 18,
    writerEditor = 19
};

/// The IPTC fields of one photo; all empty when nothing was found.
struct IptcRecord {
    static constexpr int kFieldCount = 20;
    std::string fields[kFieldCount];

    std::string& operator[](IptcField field) { return fields[static_cast<int>(field)]; }
    const std::string& operator[](IptcField field) const { return fields[static_cast<int>(field)]; }
};

/// The template placeholder of `field` ("%object_name%", ...); empty for the raw
/// creation date (it has none) and for numbers outside the twenty fields.
const char* iptcPlaceholder(IptcField field);

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
