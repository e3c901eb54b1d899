// Checks that need process-wide state as a new process has it (no render device yet, an empty
// error detail), whatever earlier tests of the same binary did to it.
//
// The checks run in a child process that GoogleTest starts afresh from this binary with only the
// current test selected (its re-executing death-test style; a forked child would inherit the
// state). The child prints each failed expectation to stderr and exits with 1 after any, else 0;
// the test fails unless it exits with 0, and shows what it printed.
#pragma once

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace freshprocess {

// Runs `checks` here, printing what fails; the number of failures.
template <class Checks>
int CountFailures(Checks checks) {
    testing::TestPartResultArray results;
    {
        testing::ScopedFakeTestPartResultReporter reporter(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &results);
        checks();
    }
    int failures = 0;
    for (int i = 0; i < results.size(); ++i) {
        const testing::TestPartResult& r = results.GetTestPartResult(i);
        if (!r.failed()) continue;
        ++failures;
        std::fprintf(stderr, "%s:%d: %s\n", r.file_name() ? r.file_name() : "?", r.line_number(), r.message());
    }
    return failures;
}

template <class Checks>
void ExpectInFreshProcess(Checks checks) {
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(CountFailures(checks) == 0 ? 0 : 1), testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
}

}  // namespace freshprocess
