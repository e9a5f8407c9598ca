// SPDX-License-Identifier: MIT
// Images of a generation run made on worker threads and handed out in album order.
//
// The caller takes results one at a time, always the next image of the album; the
// workers run ahead of it by at most `window` images, so memory stays bounded however
// long the album is. The caller's thread counts as one of the threads: while the image
// it waits for is not done it makes the next image not yet begun itself, so with one
// thread no worker is started and everything happens in album order on the caller's
// thread, and quick images (reused ones) need no hand-over between threads.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/image_pipeline.h"

namespace kavlo::core {

/// The number of worker threads a run uses when nobody chose one: one per core.
int defaultJobCount();

class OrderedImageWork {
public:
    using Work = std::function<ImageResult(int index)>;

    /// Prepares the work on images 0 .. count-1 on `threads` threads (at least 1: the
    /// caller's and threads-1 workers), at most `window` images (at least `threads`)
    /// begun and not yet taken. `work` must be safe
    /// to call from several threads at once for different indexes.
    OrderedImageWork(int threads, int window, int count, Work work);
    /// Stops and joins the workers (images already begun are finished first).
    ~OrderedImageWork();
    OrderedImageWork(const OrderedImageWork&) = delete;
    OrderedImageWork& operator=(const OrderedImageWork&) = delete;

    /// The result of the next image in album order; waits until it is done. An
    /// exception thrown by the work is rethrown here, on the caller's thread.
    ImageResult takeNext();
    /// Index of the image takeNext() returns next.
    int nextIndex() const { return m_taken; }
    int threads() const { return m_threads; }
    /// Ends the run early: no worker begins a further image; joins the workers.
    /// takeNext() still works, on the caller's thread.
    void stop();

private:
    struct Slot {
        bool ready = false;
        int index = -1;
        ImageResult result;
        std::exception_ptr error;
    };
    void workerLoop();
    bool mayStart() const;
    void runOne(std::unique_lock<std::mutex>& lock);  // begins, makes and stores one image

    const int m_threads;
    const int m_window;
    const int m_count;
    Work m_work;
    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wakeWorkers;  // room in the window, or stop
    std::condition_variable m_resultReady;  // a slot was filled
    std::vector<Slot> m_slots;              // ring of `window` results, index % window
    int m_nextToStart = 0;
    int m_taken = 0;
    bool m_stopping = false;
};

}  // namespace kavlo::core
