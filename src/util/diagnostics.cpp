// SPDX-License-Identifier: MIT
#include "util/diagnostics.h"

#include <cstdio>
#include <memory>
#include <utility>

namespace kavlo::util {

namespace {

thread_local DiagnosticCapture* t_capture = nullptr;

// The sink in force, shared so that a report in flight keeps the sink it started
// with alive while another thread replaces it.
struct SinkSlot {
    std::mutex mutex;
    std::shared_ptr<const DiagnosticSink> sink;
};

SinkSlot& sinkSlot() {
    static SinkSlot slot;
    return slot;
}

}  // namespace

const char* errorCodeName(ErrorCode code) {
    switch (code) {
    case ErrorCode::none: return "none";
    case ErrorCode::fileMissing: return "fileMissing";
    case ErrorCode::unreadable: return "unreadable";
    case ErrorCode::corrupt: return "corrupt";
    case ErrorCode::truncated: return "truncated";
    case ErrorCode::tooLarge: return "tooLarge";
    case ErrorCode::unsupported: return "unsupported";
    case ErrorCode::outOfMemory: return "outOfMemory";
    case ErrorCode::writeFailed: return "writeFailed";
    case ErrorCode::invalidArgument: return "invalidArgument";
    }
    return "unknown";
}

std::string Diagnostic::line() const {
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

Diagnostic fileDiagnostic(Severity severity, ErrorCode code, std::string operation,
                          std::string file, std::string message) {
    Diagnostic d;
    d.severity = severity;
    d.code = code;
    d.text = operation + ": " + file + ": " + message + "\n";
    d.operation = std::move(operation);
    d.file = std::move(file);
    d.message = std::move(message);
    return d;
}

Diagnostic textDiagnostic(Severity severity, ErrorCode code, std::string operation,
                          std::string message, std::string text) {
    Diagnostic d;
    d.severity = severity;
    d.code = code;
    d.operation = std::move(operation);
    d.message = std::move(message);
    d.text = std::move(text);
    return d;
}

void report(const Diagnostic& diagnostic) {
    if (t_capture != nullptr) {
        t_capture->m_diagnostics.push_back(diagnostic);
        return;
    }
    std::shared_ptr<const DiagnosticSink> sink;
    {
        std::lock_guard lock(sinkSlot().mutex);
        sink = sinkSlot().sink;
    }
    if (sink) (*sink)(diagnostic);
    else printDiagnostic(diagnostic);
}

void reportFile(Severity severity, ErrorCode code, const std::string& operation,
                const std::string& file, const std::string& message) {
    report(fileDiagnostic(severity, code, operation, file, message));
}

void printDiagnostic(const Diagnostic& diagnostic) {
    std::FILE* out = diagnostic.stream == Stream::standardError ? stderr : stdout;
    std::fputs(diagnostic.text.c_str(), out);
    std::fflush(out);
}

DiagnosticSink setDiagnosticSink(DiagnosticSink sink) {
    auto next = sink ? std::make_shared<const DiagnosticSink>(std::move(sink)) : nullptr;
    std::shared_ptr<const DiagnosticSink> previous;
    {
        std::lock_guard lock(sinkSlot().mutex);
        previous = std::exchange(sinkSlot().sink, std::move(next));
    }
    return previous ? *previous : DiagnosticSink();
}

DiagnosticCapture::DiagnosticCapture() : m_outer(t_capture) { t_capture = this; }

DiagnosticCapture::~DiagnosticCapture() { t_capture = m_outer; }

std::vector<ErrorCode> DiagnosticCapture::codes() const {
    std::vector<ErrorCode> out;
    for (const Diagnostic& d : m_diagnostics) out.push_back(d.code);
    return out;
}

std::vector<Diagnostic> DiagnosticCapture::take() { return std::exchange(m_diagnostics, {}); }

DiagnosticSink DiagnosticLog::sink() {
    return [this](const Diagnostic& d) {
        std::lock_guard lock(m_mutex);
        m_diagnostics.push_back(d);
    };
}

std::vector<Diagnostic> DiagnosticLog::diagnostics() const {
    std::lock_guard lock(m_mutex);
    return m_diagnostics;
}

std::vector<ErrorCode> DiagnosticLog::codes() const {
    std::lock_guard lock(m_mutex);
    std::vector<ErrorCode> out;
    for (const Diagnostic& d : m_diagnostics) out.push_back(d.code);
    return out;
}

}  // namespace kavlo::util
