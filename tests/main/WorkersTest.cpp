// Background jobs that throw: the job ends like any other (busy flag
// cleared, progress hidden), the failure is reported on the UI thread with
// its reason, and the next job runs.
#include <gtest/gtest.h>

#include <QWidget>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "WindowTestUtil.h"
#include "frSearchTools.h"
#include "uAnalysis.h"
#include "uWorkers.h"

TEST(Workers, ThrowingJobsAreReportedNotFatal) {
    TWorkers workers;
    bool busy = false;
    int failedCode = 0;
    std::string why;
    workers.SetFailureHandler([&](int code, const std::string& reason) {
        failedCode = code;
        why = reason;
        EXPECT_FALSE(busy);
    });
    workers.Start(kWorkerPredictionSearch, []() -> TWorkers::TApply { throw std::runtime_error("no memory left"); }, &busy);
    EXPECT_TRUE(busy);
    ASSERT_TRUE(WaitFor([&] { return workers.Idle(); }, 5000));
    EXPECT_EQ(failedCode, kWorkerPredictionSearch);
    EXPECT_EQ(why, "no memory left");

    bool ran = false;
    workers.Start(kWorkerAnalysisSearch, [&]() -> TWorkers::TApply { return [&] { ran = true; }; }, &busy);
    ASSERT_TRUE(WaitFor([&] { return ran; }, 5000));
    EXPECT_FALSE(busy);

    QWidget window;
    auto* progress = new TSearchProgress(&window);
    TSearchRunner runner(progress);
    TSearchStatus shown;
    runner.SetFailureHandler([&](const TSearchStatus& status) { shown = status; });
    runner.Start(kWorkerPredictionSearch, "Searching", [](TSearchControl&) -> TWorkers::TApply { throw 7; });
    EXPECT_TRUE(runner.Busy());
    ASSERT_TRUE(WaitFor([&] { return !runner.Busy(); }, 5000));
    EXPECT_TRUE(progress->isHidden());
    EXPECT_TRUE(shown.cutShort);
    EXPECT_EQ(shown.failure, "unknown error");
    EXPECT_EQ(CutShortLine(shown), "  Search failed: unknown error");

    ran = false;
    runner.Start(kWorkerPredictionSearch, "Searching", [&](TSearchControl&) -> TWorkers::TApply { return [&] { ran = true; }; });
    ASSERT_TRUE(WaitFor([&] { return ran; }, 5000));
}

// Counts that come faster than the window redraws are passed over, yet the
// line always catches up with the last one, also while the search then
// holds there.
TEST(Workers, FastProgressIsThinnedButCatchesUp) {
    QWidget window;
    auto* progress = new TSearchProgress(&window);
    window.show();
    TSearchRunner runner(progress);
    std::atomic<bool> release{false};
    runner.Start(kWorkerPredictionSearch, "Searching", [&](TSearchControl& control) -> TWorkers::TApply {
        for (std::size_t done = 1; done <= 5000; ++done) control.progress(done, 10000);
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return [] {};
    });
    const bool caughtUp = WaitFor([&] { return progress->text() == "Searching: 5000 of 10000 satellites"; }, 5000);
    release = true;
    EXPECT_TRUE(caughtUp) << progress->text().toStdString();
    ASSERT_TRUE(WaitFor([&] { return !runner.Busy(); }, 5000));
}
