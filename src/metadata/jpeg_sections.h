// SPDX-License-Identifier: MIT
// The marker sections of a JPEG stream, from its start up to the start of scan, read
// from a file or from bytes in memory. Internal to the metadata layer: the Exif reader
// and the location check and removal walk headers through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>

#include "util/diagnostics.h"

namespace kavlo::metadata::detail {

/// Sequential bytes of a stream.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    /// Next byte, or -1 at the end.
    virtual int get() = 0;
    /// Reads exactly n bytes; false when the source ends first.
    virtual bool read(std::uint8_t* out, std::size_t n) = 0;
};

/// A stdio file from its current position.
class FileSource final : public ByteSource {
public:
    explicit FileSource(std::FILE* f) : m_file(f) {}
    int get() override;
    bool read(std::uint8_t* out, std::size_t n) override;

private:
    std::FILE* m_file;
};

/// Bytes in memory.
class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    int get() override;
    bool read(std::uint8_t* out, std::size_t n) override;

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

/// One marker section as the walk shows it.
struct JpegSection {
    int marker = 0;                       ///< marker code (0xE1 for APP1, ...)
    std::span<const std::uint8_t> bytes;  ///< from the two length bytes on; valid during the visit
    std::uint64_t offset = 0;             ///< position of the length bytes in the stream
};

/// Whether a visited section counts toward the limit of kept sections.
enum class SectionUse { kept, dropped };

/// Most kept sections before the start of scan; a stream with more is refused.
constexpr int kMaxKeptSections = 200;

/// Reads the sections of a JPEG stream and shows each one, up to the start of scan,
/// to `visit` (the start of scan and the end of image are not shown). True when the
/// start of scan was reached; false when the stream is not a JPEG stream (bad start
/// bytes, more than six fill bytes before a marker: "too many padding bytes", the end
/// of image before any scan: "No image in jpeg!", a section cut off or shorter than its
/// length bytes, more than kMaxKeptSections kept sections). `scanData`, when given,
/// receives the position of the first byte after the start-of-scan section; `error`, when
/// given, why the walk failed (corrupt, truncated, tooLarge) or none. The two messages
/// quoted above go to the diagnostics sink.
bool walkJpegSections(ByteSource& src, const std::function<SectionUse(const JpegSection&)>& visit,
                      std::uint64_t* scanData = nullptr, util::ErrorCode* error = nullptr);

}  // namespace kavlo::metadata::detail
