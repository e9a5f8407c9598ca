// SPDX-License-Identifier: MIT
// Fuzz target: the resource/values reader (Expat with Kavlo's refusals and limits) over
// an arbitrary file, then every look-up a reader makes on what it delivered.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "storage/resource_values.h"

namespace {
kavlo::fuzz::ScratchCleanup cleanup{".xml"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kavlo::fuzz::writeInput(data, size, ".xml");
    // Small limits so that the limit checks themselves are reached.
    kavlo::storage::ResourceLimits limits;
    limits.maxPairs = 64;
    limits.maxValueBytes = 4096;
    kavlo::storage::ResourceValues v(limits);
    {
        kavlo::fuzz::QuietStderr quiet;
        v.load(path);
    }
    if (v.size() > limits.maxPairs) __builtin_trap();
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const std::string& key = v.keyAt(i);
        bytes += key.size() + v.valueAt(i).size();
        // The first pair with a key is the one every look-up sees.
        std::string found;
        if (!v.find(key, found)) __builtin_trap();
        std::size_t first = 0;
        while (v.keyAt(first) != key) ++first;
        if (found != v.valueAt(first)) __builtin_trap();
        try {
            volatile int n = v.getInt(key);
            (void)n;
        } catch (const kavlo::storage::MissingKey&) {}
    }
    if (bytes > limits.maxValueBytes) __builtin_trap();
    std::string none;
    if (v.find("no such key in any file", none)) __builtin_trap();
    return 0;
}
