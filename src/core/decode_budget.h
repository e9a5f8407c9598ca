// SPDX-License-Identifier: MIT
// One budget of memory for the decoded pictures of all the images a run makes at once.
//
// A photo file says nothing true about its size until it is decoded: a 150 KB TIFF may
// claim 14000 x 14000 pixels and take 1.1 GB to decode and scale, and four jobs doing
// four such files at once would take 4.4 GB. So before a job decodes a source it
// reserves what the picture will take (decodeFootprint), and holds that until the
// image is done. A job whose reservation does not fit beside what the other jobs hold
// waits for them; a picture larger than the whole budget is still made, alone, once no
// other job holds anything. The budget is kDecodeBudgetBytes (1.5 GiB) for the whole
// process: enough for the largest picture the readers decode at all to be made alone
// in it, a few photos of any camera at once, and still a part of a small machine.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "core/image_pipeline.h"

namespace kavlo::core {

/// The memory all jobs of a run may hold for decoded pictures together (1.5 GiB).
inline constexpr std::uint64_t kDecodeBudgetBytes = 3ull << 29;

class DecodeBudget {
public:
    explicit DecodeBudget(std::uint64_t capacity) : m_capacity(capacity) {}
    DecodeBudget(const DecodeBudget&) = delete;
    DecodeBudget& operator=(const DecodeBudget&) = delete;

    /// Waits until `bytes` fit beside what is held, or, when they are more than the
    /// whole budget, until nothing is held; then holds them.
    void acquire(std::uint64_t bytes);
    /// Gives back bytes acquired earlier.
    void release(std::uint64_t bytes);

    std::uint64_t capacity() const { return m_capacity; }
    std::uint64_t held() const;
    /// The most held at any time (for tests).
    std::uint64_t peakHeld() const;

private:
    const std::uint64_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    std::uint64_t m_held = 0;
    std::uint64_t m_peak = 0;
};

/// The budget every run of the process shares (kDecodeBudgetBytes).
DecodeBudget& sharedDecodeBudget();

/// What one image holds of a budget, from its first decode until it is done.
class DecodeHold {
public:
    explicit DecodeHold(DecodeBudget& budget) : m_budget(budget) {}
    ~DecodeHold() { m_budget.release(m_bytes); }
    DecodeHold(const DecodeHold&) = delete;
    DecodeHold& operator=(const DecodeHold&) = delete;

    /// Holds at least `bytes`, waiting as DecodeBudget::acquire does. A later, larger
    /// need gives back what is held and waits for the whole of it (a job never waits
    /// for more while it holds some, so two jobs cannot wait for each other).
    void need(std::uint64_t bytes);
    std::uint64_t bytes() const { return m_bytes; }

private:
    DecodeBudget& m_budget;
    std::uint64_t m_bytes = 0;
};

/// Bytes an image holds at most while a source picture of `pixels` is decoded and made
/// into the album sizes: twice the 24-bit picture. That covers the TIFF reader's 4 bytes
/// a pixel, a quarter turn (the picture and its turned copy) and the cascade (the
/// picture beside its halved width and then its halved width and height: 1.75 times).
std::uint64_t decodeFootprint(std::uint64_t pixels);

/// `readers` whose decodes (JPEG, TIFF and the other formats) first take their
/// footprint from `hold`; a HEIF or AVIF photo takes twice its picture's footprint for
/// its decoder's own planes.
ImageReaders budgetedReaders(const ImageReaders& readers, DecodeHold& hold);

}  // namespace kavlo::core
