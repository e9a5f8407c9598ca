// SPDX-License-Identifier: MIT
#include "core/decode_budget.h"

#include <algorithm>

#include "imaging/decode_footprint.h"

namespace kavlo::core {

using imaging::decodedPixels;

void DecodeBudget::acquire(std::uint64_t bytes) {
    if (bytes == 0) return;
    std::unique_lock lock(m_mutex);
    m_released.wait(
        lock, [&] { return bytes <= m_capacity ? m_held + bytes <= m_capacity : m_held == 0; });
    m_held += bytes;
    m_peak = std::max(m_peak, m_held);
}

void DecodeBudget::release(std::uint64_t bytes) {
    if (bytes == 0) return;
    {
        std::lock_guard lock(m_mutex);
        m_held -= std::min(bytes, m_held);
    }
    m_released.notify_all();
}

std::uint64_t DecodeBudget::held() const {
    std::lock_guard lock(m_mutex);
    return m_held;
}

std::uint64_t DecodeBudget::peakHeld() const {
    std::lock_guard lock(m_mutex);
    return m_peak;
}

DecodeBudget& sharedDecodeBudget() {
    static DecodeBudget budget(kDecodeBudgetBytes);
    return budget;
}

void DecodeHold::need(std::uint64_t bytes) {
    if (bytes <= m_bytes) return;
    m_budget.release(m_bytes);
    m_bytes = 0;
    m_budget.acquire(bytes);
    m_bytes = bytes;
}

std::uint64_t decodeFootprint(std::uint64_t pixels) { return pixels * 3 * 2; }

ImageReaders budgetedReaders(const ImageReaders& readers, DecodeHold& hold) {
    ImageReaders r = readers;
    r.readJpeg = [inner = readers.readJpeg, &hold](const std::string& path, int target, int* w,
                                                   int* h) {
        hold.need(decodeFootprint(decodedPixels(path, target)));
        return inner(path, target, w, h);
    };
    r.readTiff = [inner = readers.readTiff, &hold](const std::string& path) {
        hold.need(decodeFootprint(decodedPixels(path, 0)));
        return inner(path);
    };
    r.readOther = [inner = readers.readOther, &hold](const std::string& path,
                                                     const imaging::ReadOptions& options) {
        std::uint64_t bytes = decodeFootprint(decodedPixels(path, 0));
        // The HEVC and AV1 decoders hold their own planes (two bytes a sample beyond 8
        // bits) beside the interleaved picture they hand over, which is then copied.
        if (imaging::sourceFormatOf(path) == imaging::SourceFormat::Heif) bytes *= 2;
        hold.need(bytes);
        return inner(path, options);
    };
    return r;
}

}  // namespace kavlo::core
