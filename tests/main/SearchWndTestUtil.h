// Fixtures of the search window tests: a session made for the test (no main
// window), the bundled element sets, and clicks on toolbar buttons.
#pragma once
#include <QToolButton>

#include <QAction>

#include <fstream>
#include <initializer_list>
#include <iterator>

#include "ElementSets.h"
#include "RunProgram.h"
#include "Zenora.h"
#include "WindowTestUtil.h"
#include "uInitialize.h"
#include "uLoadSave.h"

using elsets::BundledSets;

inline TObserver TestSite(double latDeg, double lonDeg, double utcOffsetHours = 0.0) {
    TObserver o = DefaultObserver();
    o.name = "Test Site";
    o.pos = TLatLon{latDeg * kDegToRad, lonDeg * kDegToRad, 0.1};
    o.utcOffset = utcOffsetHours / 24.0;
    UpdateParallax(o);
    return o;
}

// The main window's session as the search windows read it.
struct TSearchWndTest : ::testing::Test {
    TTestFolder folder;
    TSession session;

    void SetUp() override {
        session.ProgramFolder = std::string(ORBISK_PROGRAM_DIR) + "/";
        session.DataFolder = folder.path;
        session.Options = DefaultOptions(session.ProgramFolder);
        session.Options.utcDisplay = 1;
        session.Options.metric = 1;
        session.DistanceFactor = 1.0;
        session.Observer = TestSite(45.0, -75.0);
        session.CurrentTime = Day2018(22, 3);
    }

    template <class TWindow>
    static void Click(TWindow& window, const char* button) {
        auto* b = window.template findChild<QToolButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }
};

// A fixture of one search window, opened on the test's session.
template <class TWindow>
struct TOneWindowTest : TSearchWndTest {
    std::unique_ptr<TSessionStore> store;  // made of session when the window opens
    std::unique_ptr<TWindow> window;

    TWindow& Open() {
        store = std::make_unique<TSessionStore>(session);
        window = std::make_unique<TWindow>(*store);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->show();
        return *window;
    }
    void TearDown() override {
        window.reset();
        store.reset();
    }
};

// Two reports alike but for their "Produced" line (the computer's clock).
inline void ExpectSameReport(std::vector<std::string> a, std::vector<std::string> b) {
    for (auto* report : {&a, &b})
        for (std::string& line : *report)
            if (line.rfind("  Produced:", 0) == 0) line = "(produced)";
    EXPECT_EQ(a, b);
}

// What orbisk-predict writes to stdout for args (its messages apart).
inline std::string PredictOutput(const std::string& args) {
    const TProgramRun r = RunProgramApart(std::string(ORBISK_PROGRAM_DIR) + "/orbisk-predict", args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

// "Save CSV..." of a search window answered with path; the bytes written.
template <class TWindow>
std::string SaveCsv(TWindow& window, const std::string& path) {
    EXPECT_TRUE(window.menu_savecsv->isEnabled());
    window.menu_savecsv->trigger();
    if (!AnswerFileDialog(&window, path, "SaveCsvDialog")) return "(no dialog)";
    if (!WaitFor([&] { return std::filesystem::exists(path); })) return "(not written)";
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
