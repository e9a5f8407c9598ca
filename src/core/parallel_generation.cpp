// SPDX-License-Identifier: MIT
// Worker threads for the images of a generation run.
#include "core/parallel_generation.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace kavlo::core {

int defaultJobCount() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(std::min(n, 64u));
}

OrderedImageWork::OrderedImageWork(int threads, int window, int count, Work work)
    : m_threads(std::max(1, threads)), m_window(std::max({1, window, threads})),
      m_count(std::max(0, count)), m_work(std::move(work)) {
    m_slots.resize(static_cast<size_t>(m_window));
    // The caller's thread is one of the threads: it makes images too while it waits.
    const int workers = std::min(m_threads - 1, m_count);
    m_workers.reserve(static_cast<size_t>(std::max(0, workers)));
    for (int i = 0; i < workers; ++i) {
        try {
            m_workers.emplace_back([this] { workerLoop(); });
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the ones running (and the caller) do it all
        }
    }
}

OrderedImageWork::~OrderedImageWork() { stop(); }

void OrderedImageWork::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wakeWorkers.notify_all();
    for (std::thread& t : m_workers) {
        if (t.joinable()) t.join();
    }
    m_workers.clear();
}

bool OrderedImageWork::mayStart() const {
    // At most m_window images between the one the caller waits for and the last one
    // begun, so the slot of a new image is always free.
    return m_nextToStart < m_count && m_nextToStart < m_taken + m_window;
}

void OrderedImageWork::runOne(std::unique_lock<std::mutex>& lock) {
    const int index = m_nextToStart++;
    lock.unlock();
    ImageResult result;
    std::exception_ptr error;
    try {
        result = m_work(index);
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    Slot& slot = m_slots[static_cast<size_t>(index % m_window)];
    slot.index = index;
    slot.result = std::move(result);
    slot.error = error;
    slot.ready = true;
}

void OrderedImageWork::workerLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wakeWorkers.wait(lock,
                           [this] { return m_stopping || m_nextToStart >= m_count || mayStart(); });
        if (m_stopping || m_nextToStart >= m_count) return;
        runOne(lock);
        m_resultReady.notify_all();
    }
}

ImageResult OrderedImageWork::takeNext() {
    std::unique_lock lock(m_mutex);
    if (m_taken >= m_count) return ImageResult{};
    Slot& slot = m_slots[static_cast<size_t>(m_taken % m_window)];
    bool helped = false;
    for (;;) {
        if (slot.ready && slot.index == m_taken) break;
        // Rather than sleep, the caller makes the next image not yet begun: the one it
        // waits for, or once per call one after it (no hand-over when images are
        // quick, and a call still lasts about one image, which keeps a window that
        // calls this between its events responsive).
        if (mayStart() && (!helped || m_nextToStart == m_taken)) {
            helped = true;
            runOne(lock);
            continue;
        }
        m_resultReady.wait(lock);
    }
    ImageResult result = std::move(slot.result);
    const std::exception_ptr error = slot.error;
    slot.ready = false;
    slot.error = nullptr;
    ++m_taken;
    lock.unlock();
    m_wakeWorkers.notify_all();
    if (error) std::rethrow_exception(error);
    return result;
}

}  // namespace kavlo::core
