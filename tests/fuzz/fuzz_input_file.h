// SPDX-License-Identifier: MIT
// The file readers take a path, so each fuzz input is written to a scratch file first.
// The file lives in /dev/shm (memory) when it exists, one name per process, and is
// rewritten in place for every input.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kavlo::fuzz {

inline const std::string& scratchPath(const char* suffix) {
    static const std::string path = [suffix] {
        const char* dir = std::getenv("KAVLO_FUZZ_TMP");
        std::string base =
            dir && *dir ? dir : (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        return base + "/kavlo-fuzz-" + std::to_string(getpid()) + suffix;
    }();
    return path;
}

/// Writes the input to the scratch file; aborts when that fails (a broken harness
/// must not pass as a clean run).
inline const std::string& writeInput(const std::uint8_t* data, std::size_t size,
                                     const char* suffix) {
    const std::string& path = scratchPath(suffix);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    if (std::fclose(f) != 0) std::abort();
    return path;
}

/// Sends the readers' own stderr lines (one per malformed file) to /dev/null while it
/// lives, so that a fuzzing run does not flood the log. Sanitizer reports write to the
/// file descriptor directly and libFuzzer keeps its own handle, so neither is lost.
class QuietStderr {
public:
    QuietStderr() : m_saved(stderr) {
        static std::FILE* const devNull = std::fopen("/dev/null", "w");
        if (devNull) stderr = devNull;
    }
    ~QuietStderr() { stderr = m_saved; }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    std::FILE* m_saved;
};

/// Removes the scratch file when the fuzzer process ends.
struct ScratchCleanup {
    const char* suffix;
    ~ScratchCleanup() { std::remove(scratchPath(suffix).c_str()); }
};

}  // namespace kavlo::fuzz
