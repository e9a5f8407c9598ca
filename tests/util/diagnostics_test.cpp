// SPDX-License-Identifier: MIT
// The diagnostics sink: the default prints the historic line, a replaced sink gets every
// field, captures collect per thread and nest, and reports from several threads at once
// all arrive.
#include "util/diagnostics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace kavlo::util {
namespace {

std::string printedBy(const Diagnostic& d) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    report(d);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(Diagnostics, defaultSinkPrintsTheTextAsItIs) {
    const Diagnostic d = fileDiagnostic(Severity::error, ErrorCode::corrupt, "RPreadJpeg",
                                        "/photos/a.jpg", "Not a JPEG file");
    EXPECT_EQ(d.text, "RPreadJpeg: /photos/a.jpg: Not a JPEG file\n");
    EXPECT_EQ(d.line(), "RPreadJpeg: /photos/a.jpg: Not a JPEG file");
    EXPECT_EQ(printedBy(d), d.text);
    // A text without a line end is printed without one.
    const Diagnostic bare =
        textDiagnostic(Severity::error, ErrorCode::invalidArgument, "op", "refused", "no line end");
    EXPECT_EQ(printedBy(bare), "no line end");
    // Diagnostics meant for standard error do not reach standard output.
    Diagnostic toError = bare;
    toError.stream = Stream::standardError;
    testing::internal::CaptureStderr();
    EXPECT_EQ(printedBy(toError), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no line end");
}

TEST(Diagnostics, replacedSinkGetsEveryFieldAndIsPutBack) {
    DiagnosticLog log;
    {
        ScopedDiagnosticSink scoped(log.sink());
        reportFile(Severity::warning, ErrorCode::truncated, "readTiffImage", "b.tif", "cut");
        EXPECT_EQ(printedBy(textDiagnostic(Severity::info, ErrorCode::none, "x", "m", "t\n")), "");
    }
    const std::vector<Diagnostic> got = log.diagnostics();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].severity, Severity::warning);
    EXPECT_EQ(got[0].code, ErrorCode::truncated);
    EXPECT_EQ(got[0].operation, "readTiffImage");
    EXPECT_EQ(got[0].file, "b.tif");
    EXPECT_EQ(got[0].message, "cut");
    EXPECT_EQ(errorCodeName(got[0].code), std::string("truncated"));
    // Out of the scope the default prints again.
    EXPECT_EQ(printedBy(textDiagnostic(Severity::info, ErrorCode::none, "x", "m", "t\n")), "t\n");
}

TEST(Diagnostics, capturesCollectOnTheirOwnThreadAndNest) {
    DiagnosticLog log;
    ScopedDiagnosticSink scoped(log.sink());
    DiagnosticCapture outer;
    reportFile(Severity::error, ErrorCode::corrupt, "a", "1", "m");
    {
        DiagnosticCapture inner;
        reportFile(Severity::error, ErrorCode::tooLarge, "b", "2", "m");
        EXPECT_EQ(inner.codes(), std::vector{ErrorCode::tooLarge});
    }
    // Another thread has no capture: its report goes to the sink.
    std::thread([] { reportFile(Severity::error, ErrorCode::unreadable, "c", "3", "m"); }).join();
    EXPECT_EQ(outer.codes(), std::vector{ErrorCode::corrupt});
    EXPECT_EQ(log.codes(), std::vector{ErrorCode::unreadable});
    EXPECT_EQ(outer.take().size(), 1u);
    EXPECT_TRUE(outer.diagnostics().empty());
}

TEST(Diagnostics, reportsFromManyThreadsAllArrive) {
    DiagnosticLog log;
    ScopedDiagnosticSink scoped(log.sink());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 250; ++i)
                reportFile(Severity::warning, ErrorCode::truncated, "op", "f", "m");
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(log.diagnostics().size(), 1000u);
}

}  // namespace
}  // namespace kavlo::util
