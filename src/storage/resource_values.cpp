// SPDX-License-Identifier: MIT
// The resource/values store over Expat.
#include "storage/resource_values.h"

#include "util/diagnostics.h"
#include "util/files.h"

#include <expat.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace kavlo::storage {

using util::Diagnostic;
using util::ErrorCode;
using util::FilePtr;
using util::openFailureOf;
using util::openRegularFile;
using util::report;
using util::Severity;
using util::Stream;
using util::textDiagnostic;

namespace {

struct ParserFree {
    void operator()(XML_ParserStruct* p) const noexcept { XML_ParserFree(p); }
};
using ParserPtr = std::unique_ptr<XML_ParserStruct, ParserFree>;

constexpr std::size_t kBlockSize = 10000;
// Expat re-scans an unfinished start tag from its beginning on every call, and the
// whole file is one start tag (the "values" element). Blocks that double in size up
// to this cap keep the total work proportional to the file size; with fixed blocks a
// file of a million images did not finish in ten minutes.
constexpr std::size_t kMaxBlockSize = std::size_t{16} << 20;

constexpr const char* kLimitRefusal = "resource file exceeds its size limits";

}  // namespace

// Routes Expat's callbacks to the store and remembers why parsing was stopped.
struct ResourceParser {
    ResourceValues* store = nullptr;
    XML_Parser parser = nullptr;
    const char* refusal = nullptr;  ///< set when a handler stopped the parser

    void refuse(const char* why) {
        if (!refusal) refusal = why;
        XML_StopParser(parser, XML_FALSE);
    }

    static void XMLCALL startElement(void* user, const XML_Char* name,
                                     const XML_Char** attributes) noexcept {
        auto* self = static_cast<ResourceParser*>(user);
        if (self->refusal || std::strcmp(name, "values") != 0) return;
        for (const XML_Char** a = attributes; a[0] && a[1]; a += 2) {
            if (!self->store->add(a[0], a[1])) {
                self->refuse(kLimitRefusal);
                return;
            }
        }
    }

    static void XMLCALL endElement(void*, const XML_Char*) noexcept {}

    // Document type declarations are never written by Kavlo; refusing them means
    // no entity can be declared, so no entity expansion can blow up memory.
    static void XMLCALL startDoctype(void* user, const XML_Char*, const XML_Char*, const XML_Char*,
                                     int) noexcept {
        static_cast<ResourceParser*>(user)->refuse("document type declarations are not accepted");
    }

    static void XMLCALL entityDecl(void* user, const XML_Char*, int, const XML_Char*, int,
                                   const XML_Char*, const XML_Char*, const XML_Char*,
                                   const XML_Char*) noexcept {
        static_cast<ResourceParser*>(user)->refuse("entity declarations are not accepted");
    }
};

bool ResourceValues::add(const char* key, const char* value) {
    const std::size_t keyLength = std::strlen(key);
    const std::size_t valueLength = std::strlen(value);
    if (m_keys.size() >= m_limits.maxPairs) return false;
    // Each length is below the parser's buffer size, so the sum cannot wrap.
    if (m_bytes + keyLength + valueLength > m_limits.maxValueBytes) return false;
    m_bytes += keyLength + valueLength;
    m_keys.emplace_back(key, keyLength);
    m_values.emplace_back(value, valueLength);
    m_index.try_emplace(m_keys.back(), m_keys.size() - 1);
    return true;
}

namespace {

// The line a missing or unreadable resource file has always printed.
ErrorCode notFound(const std::string& path, ErrorCode code) {
    Diagnostic d = textDiagnostic(Severity::error, code, "ResourceValues::load",
                                  "resource file not found", "Error: resource file not found.\n");
    d.file = path;
    report(d);
    return code;
}

// The line of a file that does not parse: "<reason> at line <n>" on standard error.
ErrorCode parseFailure(const std::string& path, const char* reason, int line, bool limits) {
    const std::string why = reason ? reason : "parse error";
    Diagnostic d = textDiagnostic(
        Severity::error, limits ? ErrorCode::tooLarge : ErrorCode::corrupt, "ResourceValues::load",
        why, why + " at line " + std::to_string(line) + "\n");
    d.file = path;
    d.stream = Stream::standardError;
    report(d);
    return d.code;
}

void setError(ErrorCode* error, ErrorCode code) {
    if (error != nullptr) *error = code;
}

}  // namespace

bool ResourceValues::load(const std::string& path, ErrorCode* error) {
    ParserPtr parser(XML_ParserCreate(nullptr));
    if (!parser) {
        setError(error, ErrorCode::outOfMemory);
        return false;
    }
    ResourceParser handler;
    handler.store = this;
    handler.parser = parser.get();
    XML_SetUserData(parser.get(), &handler);
    XML_SetElementHandler(parser.get(), &ResourceParser::startElement, &ResourceParser::endElement);
    XML_SetStartDoctypeDeclHandler(parser.get(), &ResourceParser::startDoctype);
    XML_SetEntityDeclHandler(parser.get(), &ResourceParser::entityDecl);

    FilePtr file = openRegularFile(path);
    if (!file) {
        setError(error, notFound(path, openFailureOf(path)));
        return false;
    }
    std::size_t block = kBlockSize;
    std::unique_ptr<char[]> buffer(new char[block]);
    for (;;) {
        const std::size_t n = std::fread(buffer.get(), 1, block, file.get());
        if (std::ferror(file.get())) {
            // Opened but unreadable (a folder, an I/O error): as good as missing.
            setError(error, notFound(path, ErrorCode::unreadable));
            return false;
        }
        const bool last = n < block;
        if (XML_Parse(parser.get(), buffer.get(), static_cast<int>(n),
                      last ? XML_TRUE : XML_FALSE) == XML_STATUS_ERROR) {
            const char* reason =
                handler.refusal ? handler.refusal : XML_ErrorString(XML_GetErrorCode(parser.get()));
            setError(error, parseFailure(path, reason,
                                         static_cast<int>(XML_GetCurrentLineNumber(parser.get())),
                                         handler.refusal == kLimitRefusal));
            return false;
        }
        if (last) {
            setError(error, ErrorCode::none);
            return true;
        }
        if (block < kMaxBlockSize) {
            block *= 2;
            buffer.reset(new char[block]);
        }
    }
}

bool ResourceValues::find(const std::string& key, std::string& value) const {
    const auto it = m_index.find(key);
    if (it == m_index.end()) return false;
    value = m_values[it->second];
    return true;
}

std::string ResourceValues::getString(const std::string& key) const {
    std::string value;
    if (!find(key, value)) throw MissingKey(key);
    return value;
}

int ResourceValues::getInt(const std::string& key) const {
    const auto it = m_index.find(key);
    if (it == m_index.end()) throw MissingKey(key);
    const std::string& s = m_values[it->second];
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' ||
                            s[i] == '\v' || s[i] == '\f')) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size() || s[i] < '0' || s[i] > '9') throw MissingKey(key);
    std::int64_t magnitude = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (s[i] - '0');
        if (magnitude > std::int64_t{INT32_MAX} + 1) throw MissingKey(key);
    }
    const std::int64_t v = negative ? -magnitude : magnitude;
    if (v > INT32_MAX || v < INT32_MIN) throw MissingKey(key);
    return static_cast<int>(v);
}

}  // namespace kavlo::storage
