// SPDX-License-Identifier: MIT
// Image: the one owner of a picture above the RP operations.
//
// The RP operations take and return the plain RasterImage record, which the receiver
// must free exactly once with RPfree. Everything above them holds its pictures in an
// Image instead: it takes the record an RP operation returned, frees it exactly once in
// its destructor, moves (never copies) and hands the record to RP operations through
// record(). A moved-from Image is empty.
#pragma once

#include <cstdint>
#include <utility>

#include "imaging/raster_image.h"

namespace kavlo::imaging {

class Image {
public:
    /// The empty image.
    Image() noexcept = default;
    /// Takes ownership of `record`, typically the result of an RP operation.
    explicit Image(RasterImage record) noexcept : m_record(record) {}
    ~Image() { RPfree(m_record); }
    Image(Image&& other) noexcept : m_record(other.release()) {}
    Image& operator=(Image&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    /// RPcreate(width, height, bitsPerPixel): an uninitialised raster, or an empty image
    /// (status 42) when it cannot be allocated.
    static Image create(std::uint32_t width, std::uint32_t height, int bitsPerPixel) {
        return Image(RPcreate(width, height, bitsPerPixel));
    }
    /// A deep copy (RPclone).
    Image clone() const { return Image(RPclone(m_record)); }

    /// The record, for RP operations; operations in place keep the Image its owner.
    RasterImage& record() noexcept { return m_record; }
    const RasterImage& record() const noexcept { return m_record; }
    /// Gives up ownership: the caller must free the returned record; the Image is empty.
    RasterImage release() noexcept { return std::exchange(m_record, RasterImage{}); }
    /// Frees the picture held and takes ownership of `record` instead.
    void reset(RasterImage record = RasterImage{}) noexcept {
        RPfree(m_record);
        m_record = record;
    }

    /// True when there is no picture to show: no raster, or a width or height of 0.
    bool empty() const noexcept {
        return m_record.width <= 0 || m_record.height <= 0 || m_record.pixels == nullptr;
    }
    int width() const noexcept { return m_record.width; }
    int height() const noexcept { return m_record.height; }
    int bitsPerPixel() const noexcept { return m_record.bitsPerPixel; }
    std::uint8_t* pixels() noexcept { return m_record.pixels; }
    const std::uint8_t* pixels() const noexcept { return m_record.pixels; }
    /// Bytes per row (RPstride).
    std::size_t stride() const noexcept {
        return RPstride(static_cast<std::uint32_t>(m_record.width > 0 ? m_record.width : 0),
                        m_record.bitsPerPixel);
    }

private:
    RasterImage m_record{};
};

}  // namespace kavlo::imaging
