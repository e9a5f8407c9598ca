// SPDX-License-Identifier: MIT
// IPTC record-2 datasets from a JPEG file's first APP13 section, and template captions.
#include "metadata/iptc.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>

#include "util/files.h"
#include "util/text.h"

namespace kavlo::metadata {

using util::FilePtr;
using util::macRomanToUtf8;
using util::openRegularFile;
using util::replaceAll;
using util::utf8ToMacRoman;

namespace {

enum class Fill { value, appendSpace, appendDash, date };

struct IptcDataset {
    std::uint8_t dataset;  ///< record-2 dataset number
    IptcField field;       ///< the field it fills
    Fill fill;
};

// IPTC IIM 4.2, record 2 (application record). 2:55 fills both the raw and the
// reformatted creation date; 2:100 (country code) and 2:101 (country name) share a field.
constexpr IptcDataset kDatasets[] = {
    {5, IptcField::objectName, Fill::value},
    {10, IptcField::urgency, Fill::value},
    {15, IptcField::category, Fill::value},
    {20, IptcField::supplementalCategories, Fill::appendSpace},
    {25, IptcField::keywords, Fill::appendDash},
    {40, IptcField::specialInstructions, Fill::value},
    {55, IptcField::rawCreationDate, Fill::date},
    {80, IptcField::byline, Fill::value},
    {85, IptcField::bylineTitle, Fill::value},
    {90, IptcField::city, Fill::value},
    {95, IptcField::provinceState, Fill::value},
    {100, IptcField::country, Fill::value},
    {101, IptcField::country, Fill::value},
    {103, IptcField::originalTransmissionReference, Fill::value},
    {105, IptcField::headline, Fill::value},
    {110, IptcField::credit, Fill::value},
    {115, IptcField::source, Fill::value},
    {116, IptcField::copyrightNotice, Fill::value},
    {120, IptcField::captionAbstract, Fill::value},
    {122, IptcField::writerEditor, Fill::value},
};

constexpr const char* kPlaceholders[IptcRecord::kFieldCount] = {
    "%object_name%",
    "%urgency%",
    "%category%",
    "%supplemental_categories%",
    "%keywords%",
    "%special_instructions%",
    "",
    "%date_created%",
    "%byline_author%",
    "%byline_title%",
    "%city%",
    "%province_state%",
    "%country%",
    "%original_transmission_reference%",
    "%headline%",
    "%credit%",
    "%source%",
    "%copyright_notice%",
    "%caption_abstract%",
    "%writer_editor%",
};

constexpr const char* kMacRoman = "%mac_roman%";

void fillField(IptcRecord& record, const IptcDataset& d, std::string value) {
    std::string& field = record[d.field];
    switch (d.fill) {
    case Fill::value: field = std::move(value); break;
    case Fill::appendSpace: field += value + " "; break;
    case Fill::appendDash:
        if (!field.empty()) field += " - ";
        field += value;
        break;
    case Fill::date:
        field = value;
        // CCYYMMDD -> MM-DD-YY; a shorter value has no date to reformat.
        record[IptcField::creationDate] =
            value.size() >= 8
                ? value.substr(4, 2) + "-" + value.substr(6, 2) + "-" + value.substr(2, 2)
                : std::string();
        break;
    }
}

// libjpeg error handling: the error exit jumps back into readIptc instead of ending
// the program; messages are not printed (this layer reports through its result).
struct ErrorMgr {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorMgr*>(cinfo->err)->jump, 1);
}

void silentMessage(j_common_ptr) {}

/// Reads the header of `file` and copies the data of its first APP13 marker into
/// `app13`. False when libjpeg rejects the stream. No object with a destructor lives
/// between setjmp and the last libjpeg call.
bool readFirstApp13(std::FILE* file, std::vector<std::uint8_t>& app13, bool& found) {
    jpeg_decompress_struct cinfo{};
    ErrorMgr err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = silentMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 13, 0xFFFF);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    found = false;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 13) {
            app13.assign(m->data, m->data + m->data_length);
            found = true;
            break;
        }
    }
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

const char* iptcPlaceholder(IptcField field) {
    const int number = static_cast<int>(field);
    return (number >= 0 && number < IptcRecord::kFieldCount) ? kPlaceholders[number] : "";
}

bool readIptc(const std::string& path, IptcRecord& record) {
    FilePtr file = openRegularFile(path);
    if (!file) return false;
    static constexpr std::uint8_t kIntel[4] = {'I', 'I', 42, 0};
    static constexpr std::uint8_t kMotorola[4] = {'M', 'M', 0, 42};
    static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::uint8_t head[8] = {};
    if (std::fread(head, 1, sizeof head, file.get()) == sizeof head) {
        if (std::memcmp(head, kIntel, 4) == 0 || std::memcmp(head, kMotorola, 4) == 0)
            return readTiffIptc(path, record);
        if (std::memcmp(head, kPng, 8) == 0) return readPngIptc(path, record);
    }
    std::rewind(file.get());
    std::vector<std::uint8_t> app13;
    bool found = false;
    if (!readFirstApp13(file.get(), app13, found)) return false;
    if (found) parseIptc(app13.data(), app13.size(), record);
    return true;
}

void parseIptc(const std::uint8_t* bytes, std::size_t length, IptcRecord& record) {
    if (!bytes) return;
    std::size_t i = 0;
    while (i < length) {
        if (bytes[i] != 0x1C || i + 1 >= length || bytes[i + 1] != 2) {
            ++i;
            continue;
        }
        if (length - i < 5) return;  // the dataset header itself is cut off
        const std::uint8_t number = bytes[i + 2];
        const std::size_t n = (std::size_t{bytes[i + 3]} << 8) | bytes[i + 4];
        if (n > length - i - 5) return;  // the value runs past the end
        if (n != 0) {
            // Text fields end at a zero byte, as every writer of these records expects.
            const char* value = reinterpret_cast<const char*>(bytes + i + 5);
            std::size_t len = 0;
            while (len < n && value[len] != 0) ++len;
            for (const IptcDataset& d : kDatasets) {
                if (d.dataset == number) {
                    fillField(record, d, std::string(value, len));
                    break;
                }
            }
        }
        i += 5 + n;
    }
}

std::string applyIptcTemplate(const IptcRecord& record, const std::string& tmpl) {
    std::string text = tmpl;
    for (int f = 0; f < IptcRecord::kFieldCount; ++f) {
        const std::string_view placeholder = kPlaceholders[f];
        if (!placeholder.empty()) text = replaceAll(std::move(text), placeholder, record.fields[f]);
    }
    return text;
}

std::string iptcCaption(const IptcRecord& record, const std::string& tmpl) {
    const std::string t = replaceAll(tmpl, "\r\n", "");
    const std::string u = replaceAll(t, kMacRoman, "");
    if (u.size() < t.size()) {
        // The IPTC text is Mac Roman: bring the template into the same character set,
        // fill it, and convert the whole caption back.
        std::string v = macRomanToUtf8(applyIptcTemplate(record, utf8ToMacRoman(u)));
        v = replaceAll(std::move(v), " \r", " ");
        v = replaceAll(std::move(v), "\r ", " ");
        v = replaceAll(std::move(v), "\r", " ");
        return v;
    }
    return applyIptcTemplate(record, t);
}

}  // namespace kavlo::metadata
