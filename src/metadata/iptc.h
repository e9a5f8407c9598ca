// SPDX-License-Identifier: MIT
// IPTC record-2 text fields of a photo (a JPEG file's APP13 section, a TIFF file's
// IPTC-NAA tag, a PNG file's raw IPTC profile), and captions made from them through a
// template with placeholders such as "%caption_abstract%".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

/// Reads the IPTC data of the photo at `path` into `record`, by the file's first bytes:
/// a TIFF file through readTiffIptc, a PNG file through readPngIptc, anything else as a
/// JPEG file: its first APP13 section, through libjpeg. True when the file was opened and
/// its header read, whether or not it holds IPTC data; false when it cannot be opened or
/// its header is rejected (record untouched).
bool readIptc(const std::string& path, IptcRecord& record);

/// The IPTC-NAA tag (33723) of a TIFF file's first directory, whatever its declared
/// type (bytes, undefined or 32-bit numbers: the data is one byte stream). False when
/// the file cannot be opened or has no readable TIFF header and first directory.
bool readTiffIptc(const std::string& path, IptcRecord& record);

/// The first tEXt, zTXt or iTXt chunk of a PNG file whose keyword is "Raw profile type
/// iptc" (or "8bim", "APP13", any letter case), decoded with decodeRawProfile. Chunks
/// with a wrong CRC are skipped; the image data is never read. False when the file
/// cannot be opened or is not a PNG file.
bool readPngIptc(const std::string& path, IptcRecord& record);

/// The bytes of a "Raw profile type" text: a line with the profile's name, its length in
/// bytes as a decimal number, then that many bytes as hexadecimal digits, white space
/// anywhere between them. Nothing when the text is malformed or holds fewer digits.
std::optional<std::vector<std::uint8_t>> decodeRawProfile(std::string_view text);

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
