// SPDX-License-Identifier: MIT
// The bytes of a file, for tests that look into what was written.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kavlo::test {

/// The whole file at `path`; empty when it cannot be read.
inline std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace kavlo::test
