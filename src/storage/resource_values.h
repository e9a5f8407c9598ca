// SPDX-License-Identifier: MIT
// The resource/values store: the key/value pairs of the XML files Kavlo keeps
// between runs (the settings file and each album's information file).
//
// Such a file is a root element holding one empty element "values" whose attributes
// are the pairs. The store is filled once by load() and only read afterwards.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <unordered_map>
#include <vector>

#include "util/diagnostics.h"

namespace kavlo::storage {

/// Thrown by ResourceValues::getString and getInt when a key is absent (or, for
/// getInt, does not hold a 32-bit decimal integer). Readers catch it per key and
/// keep the field the key would have set.
struct MissingKey : std::exception {
    std::string key;
    explicit MissingKey(std::string k) : key(std::move(k)) {}
    const char* what() const noexcept override { return "missing resource key"; }
};

/// Bounds that keep a hostile file from exhausting memory; load() fails beyond them.
struct ResourceLimits {
    std::size_t maxPairs = 4'000'000;                ///< attributes over all "values" elements
    std::size_t maxValueBytes = 256u * 1024 * 1024;  ///< sum of all key and value lengths
};

class ResourceValues {
public:
    ResourceValues() = default;
    explicit ResourceValues(const ResourceLimits& limits) : m_limits(limits) {}

    /// Parses the file and appends the attributes of every element named exactly
    /// "values", in document order. True when the whole file parsed without error.
    /// A missing file is reported as a diagnostic whose line is "Error: resource file
    /// not found." (standard output), a parse error as "<reason> at line <n>" (standard
    /// error). Documents with a DOCTYPE or entity declarations (ErrorCode::corrupt), and
    /// documents beyond the limits (tooLarge), are refused. `error`, when given,
    /// receives why the file was not read (none when it was).
    bool load(const std::string& path, util::ErrorCode* error = nullptr);
    /// Copies the value of the first pair with exactly this key into `value`; false
    /// (value unchanged) when there is none. Never throws.
    bool find(const std::string& key, std::string& value) const;
    /// The value of the key; throws MissingKey when absent.
    std::string getString(const std::string& key) const;
    /// The value read as a decimal integer the way stream extraction does: white space
    /// skipped, optional sign, digits up to the first non-digit ("12px" gives 12).
    /// Throws MissingKey when the key is absent, when no digit follows, or when the
    /// number does not fit 32 bits.
    int getInt(const std::string& key) const;

    /// Number of stored pairs (duplicates included).
    std::size_t size() const { return m_keys.size(); }
    /// Key and value of pair i, in document order.
    const std::string& keyAt(std::size_t i) const { return m_keys[i]; }
    const std::string& valueAt(std::size_t i) const { return m_values[i]; }

private:
    friend struct ResourceParser;
    bool add(const char* key, const char* value);

    ResourceLimits m_limits;
    std::vector<std::string> m_keys;
    std::vector<std::string> m_values;
    std::unordered_map<std::string, std::size_t> m_index;  ///< key -> first position
    std::size_t m_bytes = 0;
};

}  // namespace kavlo::storage
