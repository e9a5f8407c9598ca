// SPDX-License-Identifier: MIT
#include "metadata/jpeg_sections.h"

#include "util/diagnostics.h"

#include <cstring>
#include <vector>

namespace kavlo::metadata::detail {

int FileSource::get() {
    const int c = std::getc(m_file);
    return c == EOF ? -1 : c;
}

bool FileSource::read(std::uint8_t* out, std::size_t n) {
    return n == 0 || std::fread(out, 1, n, m_file) == n;
}

int MemorySource::get() { return m_pos < m_size ? m_data[m_pos++] : -1; }

bool MemorySource::read(std::uint8_t* out, std::size_t n) {
    if (n > m_size - m_pos) {
        m_pos = m_size;
        return false;
    }
    if (n) std::memcpy(out, m_data + m_pos, n);
    m_pos += n;
    return true;
}

namespace {

bool fail(util::ErrorCode* error, util::ErrorCode code) {
    if (error != nullptr) *error = code;
    return false;
}

}  // namespace

bool walkJpegSections(ByteSource& src, const std::function<SectionUse(const JpegSection&)>& visit,
                      std::uint64_t* scanData, util::ErrorCode* error) {
    using util::ErrorCode;
    if (error != nullptr) *error = ErrorCode::none;
    if (src.get() != 0xFF || src.get() != 0xD8) return fail(error, ErrorCode::corrupt);
    std::uint64_t pos = 2;
    int kept = 0;
    std::vector<std::uint8_t> section;
    for (;;) {
        if (kept >= kMaxKeptSections) return fail(error, ErrorCode::tooLarge);
        int marker = 0;
        for (int a = 0;; ++a) {
            marker = src.get();
            if (marker < 0)
                return fail(error, ErrorCode::truncated);  // cut off before the next marker
            ++pos;
            if (marker != 0xFF) break;
            if (a >= 6) {
                util::report(util::textDiagnostic(util::Severity::error, ErrorCode::corrupt,
                                                  "readExif", "too many padding bytes",
                                                  "too many padding bytes\n"));
                return fail(error, ErrorCode::corrupt);
            }
        }
        const int hi = src.get();
        const int lo = src.get();
        if (hi < 0 || lo < 0) return fail(error, ErrorCode::truncated);
        const std::size_t length = static_cast<std::size_t>((hi << 8) | lo);
        if (length < 2) return fail(error, ErrorCode::corrupt);
        section.resize(length);
        section[0] = static_cast<std::uint8_t>(hi);
        section[1] = static_cast<std::uint8_t>(lo);
        if (!src.read(section.data() + 2, length - 2)) return fail(error, ErrorCode::truncated);
        const std::uint64_t offset = pos;
        pos += length;

        if (marker == 0xDA) {  // start of scan: the image data follows
            if (scanData) *scanData = pos;
            return true;
        }
        if (marker == 0xD9) {  // end of image
            util::report(util::textDiagnostic(util::Severity::error, ErrorCode::corrupt, "readExif",
                                              "end of image before the image data",
                                              "No image in jpeg!\n"));
            return fail(error, ErrorCode::corrupt);
        }
        if (visit({marker, section, offset}) == SectionUse::kept) ++kept;
    }
}

}  // namespace kavlo::metadata::detail
