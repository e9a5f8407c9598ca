// SPDX-License-Identifier: MIT
// Diagnostics: the one way the imaging, metadata and storage layers tell about a
// problem (a file that cannot be decoded, a size the scaler refuses, a settings file
// that does not parse). Lower layers never print: they report a Diagnostic here and
// return an ErrorCode, and whoever shows things to a person decides how.
//
// Common rules:
// - A Diagnostic names the operation that reported it, the file concerned (when there
//   is one), what happened, how bad it is and why (an ErrorCode).
// - report() hands it to the sink in force. The default sink prints `text`, the
//   line Kavlo has always printed, to standard output (or standard error for the few
//   that always went there). setDiagnosticSink() replaces it for the whole process.
// - A DiagnosticCapture collects what is reported on its own thread while it lives,
//   instead of passing it on: tests assert on the codes, the generation run gathers
//   the diagnostics of one image on a worker thread and reports them in album order.
// - Everything here is thread-safe; a sink may be called from several threads at once.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace kavlo::util {

/// Why an operation failed or only partly succeeded, so that callers and tests can tell
/// causes apart without reading the wording.
enum class ErrorCode {
    none,             ///< no failure
    fileMissing,      ///< no such file, or not a regular file (a folder, a FIFO)
    unreadable,       ///< the file exists but cannot be opened or read
    corrupt,          ///< the bytes are not what the format requires
    truncated,        ///< the file ends early; what it held was used
    tooLarge,         ///< beyond a limit (pixels, bytes, entries)
    unsupported,      ///< a valid file or value in a form that is not handled
    outOfMemory,      ///< memory ran out
    writeFailed,      ///< a file could not be created or written
    invalidArgument,  ///< the caller passed something the operation refuses
};

/// The code's name as written here ("fileMissing"), for messages and test output.
const char* errorCodeName(ErrorCode code);

/// How bad it is: info is only told (a record printed on request), a warning leaves a
/// usable result (a truncated photo decoded in part), an error leaves none.
enum class Severity { info, warning, error };

/// Where the default sink writes a diagnostic.
enum class Stream { standardOutput, standardError };

struct Diagnostic {
    Severity severity = Severity::error;
    ErrorCode code = ErrorCode::none;
    std::string operation;  ///< what reported it ("RPreadJpeg", "ResourceValues::load")
    std::string file;       ///< the file concerned; empty when none
    std::string message;    ///< what happened, without operation and file
    /// Exactly what the default sink writes, line end included.
    std::string text;
    Stream stream = Stream::standardOutput;

    /// `text` without its line end: one line for a terminal or a message box.
    std::string line() const;
};

/// A diagnostic about a file in the usual form: text "operation: file: message\n".
Diagnostic fileDiagnostic(Severity severity, ErrorCode code, std::string operation,
                          std::string file, std::string message);
/// A diagnostic whose printed text is given as it is (it must end in "\n" to end a line).
Diagnostic textDiagnostic(Severity severity, ErrorCode code, std::string operation,
                          std::string message, std::string text);

/// Receives every diagnostic reported outside a DiagnosticCapture.
using DiagnosticSink = std::function<void(const Diagnostic&)>;

/// Hands `diagnostic` to the innermost DiagnosticCapture of this thread, or else to the
/// sink in force.
void report(const Diagnostic& diagnostic);
/// fileDiagnostic(...) reported.
void reportFile(Severity severity, ErrorCode code, const std::string& operation,
                const std::string& file, const std::string& message);

/// The default sink: writes `text` to its stream and flushes it.
void printDiagnostic(const Diagnostic& diagnostic);
/// Makes `sink` the sink of the whole process; an empty one restores printDiagnostic.
/// Returns the sink it replaces (empty when that was the default).
DiagnosticSink setDiagnosticSink(DiagnosticSink sink);

/// Collects the diagnostics reported on the thread that made it, for as long as it
/// lives; they are not passed on. Captures nest: the innermost one collects.
class DiagnosticCapture {
public:
    DiagnosticCapture();
    ~DiagnosticCapture();
    DiagnosticCapture(const DiagnosticCapture&) = delete;
    DiagnosticCapture& operator=(const DiagnosticCapture&) = delete;

    const std::vector<Diagnostic>& diagnostics() const { return m_diagnostics; }
    /// The codes of the collected diagnostics, in order.
    std::vector<ErrorCode> codes() const;
    /// Takes the collected diagnostics out (the capture goes on collecting).
    std::vector<Diagnostic> take();

private:
    friend void report(const Diagnostic& diagnostic);
    std::vector<Diagnostic> m_diagnostics;
    DiagnosticCapture* m_outer;
};

/// A sink that keeps every diagnostic it is given, from any thread (for front ends that
/// show them after a run, and for tests of code that reports from worker threads).
class DiagnosticLog {
public:
    /// A sink that appends to this log; the log must outlive every use of it.
    DiagnosticSink sink();
    std::vector<Diagnostic> diagnostics() const;
    std::vector<ErrorCode> codes() const;

private:
    mutable std::mutex m_mutex;
    std::vector<Diagnostic> m_diagnostics;
};

/// Installs a sink for the length of a scope and puts the earlier one back after it.
class ScopedDiagnosticSink {
public:
    explicit ScopedDiagnosticSink(DiagnosticSink sink)
        : m_previous(setDiagnosticSink(std::move(sink))) {}
    ~ScopedDiagnosticSink() { setDiagnosticSink(std::move(m_previous)); }
    ScopedDiagnosticSink(const ScopedDiagnosticSink&) = delete;
    ScopedDiagnosticSink& operator=(const ScopedDiagnosticSink&) = delete;

private:
    DiagnosticSink m_previous;
};

}  // namespace kavlo::util
