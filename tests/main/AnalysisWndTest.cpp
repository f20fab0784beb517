// The analysis window: its limits and their defaults, an element file
// chosen in the file dialog, and a search that gives the engine's report.
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "SearchWndTestUtil.h"
#include "frAnalysis.h"
#include "frResultTable.h"
#include "frSearchTools.h"

namespace {

struct TAnalysisWndTest : TOneWindowTest<TfrAnalysisWnd> {
    // F2, then the file typed into the dialog; true once it is loaded.
    bool ChooseFile(const std::string& path) {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get())) return false;
        QTest::keyClick(window.get(), Qt::Key_F2);
        if (!AnswerFileDialog(window.get(), path)) return false;
        // The dialog goes, the reading worker starts and ends.
        return WaitFor([&] { return !window->findChild<QFileDialog*>("PickFileOpen"); }) &&
               WaitFor([&] { return !window->busy(); });
    }
    QSpinBox* Spin(const char* name) { return window->findChild<QSpinBox*>(name); }
};

TEST_F(TAnalysisWndTest, LimitsStartAtTheirDefaultsAndTheRevolutionsStayApart) {
    TfrAnalysisWnd& w = Open();
    const std::pair<const char*, int> defaults[] = {{"nm_minrevs", 14}, {"nm_maxrevs", 18}, {"nm_minaz", 0},
                                                    {"nm_maxaz", 360},  {"nm_minalt", 10},  {"nm_maxAlt", 90},
                                                    {"nm_Obj", 10},     {"nm_st_hr", 1},    {"nm_st_min", 30},
                                                    {"nm_sep", 15}};
    for (const auto& [name, value] : defaults) EXPECT_EQ(Spin(name)->value(), value) << name;
    EXPECT_EQ(w.nm_maxAlt->minimum(), 10);
    EXPECT_EQ(w.nm_maxaz->minimum(), 0);

    // Down to 16, then the lower limit up to it: the upper one moves on.
    for (int i = 0; i < 2; ++i) QTest::keyClick(w.nm_maxrevs, Qt::Key_Down);
    EXPECT_EQ(w.nm_maxrevs->value(), 16);
    for (int i = 0; i < 2; ++i) QTest::keyClick(w.nm_minrevs, Qt::Key_Up);
    EXPECT_EQ(w.nm_minrevs->value(), 16);
    EXPECT_EQ(w.nm_maxrevs->value(), 17);
    QTest::keyClick(w.nm_maxrevs, Qt::Key_Down);
    EXPECT_EQ(w.nm_maxrevs->value(), 17) << "never down to the lower limit";
}

TEST_F(TAnalysisWndTest, DecayedSearchOfAChosenFileGivesTheEnginesReport) {
    TfrAnalysisWnd& w = Open();
    // A name the dialog's own folder does not hold, so it takes the path as typed.
    const std::string file = folder / "catalogue.tle";
    std::filesystem::copy_file(std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/visual.tle", file);
    ASSERT_TRUE(ChooseFile(file));
    std::vector<TElementEntry> entries;
    ReadElementFile(entries, file);
    EXPECT_EQ(w.elementCount(), entries.size());

    w.dt_an_hour->setDateTime(PickerDateTime(EncodeDayNumber(2019, 1, 1)));
    Click(w, "tb_decay");
    ASSERT_TRUE(WaitFor([&] { return !w.busy(); }));
    TAnalysisInputs in;
    in.time = EncodeDayNumber(2019, 1, 1);
    TReportSettings settings;
    settings.observerName = session.Observer.name.str();
    settings.latitude = session.Observer.pos.lat;
    settings.longitude = session.Observer.pos.lon;
    const TDecayedResult r = RunDecayedSearch(in, entries, 1);
    ASSERT_FALSE(r.sats.empty());
    ExpectSameReport(w.report(), DecayedReport(r, in, settings));
    EXPECT_EQ(static_cast<std::size_t>(w.Results->model()->rowCount()), r.sats.size());
    EXPECT_EQ(SaveCsv(w, folder / "decayed.csv"),
              PredictOutput("--mode decayed --utc --start 2019-01-01 --lat 45 --lon -75 --tle '" + file +
                            "' --format csv"));
}

// A file with two sets of one object: the search takes one, and every
// record names the satellite its report line names.
TEST_F(TAnalysisWndTest, RecordsOfAFileWithRepeatedSetsNameTheirSatellites) {
    TfrAnalysisWnd& w = Open();
    const std::string file = folder / "repeated.tle";
    std::ifstream in(std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/visual.tle");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_GT(lines.size(), 30u);
    {
        std::ofstream out(file);
        for (std::size_t i = 0; i < 3; ++i) out << lines[i] << "\n";
        for (const std::string& line : lines) out << line << "\n";
    }
    ASSERT_TRUE(ChooseFile(file));
    w.dt_an_hour->setDateTime(PickerDateTime(EncodeDayNumber(2018, 1, 22, 18, 0, 0)));
    w.nm_minalt->setValue(0);
    w.nm_minrevs->setValue(1);
    Click(w, "tb_visible");
    ASSERT_TRUE(WaitFor([&] { return !w.busy(); }));
    std::istringstream csv(SaveCsv(w, folder / "visible.csv"));
    std::string row;
    std::getline(csv, row);  // the header
    std::vector<std::string> names;
    while (std::getline(csv, row)) {
        std::string name = row.substr(0, row.find(','));
        if (name.size() > 1 && name.front() == '"') name = name.substr(1, name.size() - 2);
        names.push_back(name);
    }
    const TReportLines& report = w.report();
    const auto header = std::find(report.begin(), report.end(), VisibleColumnLine());
    ASSERT_NE(header, report.end());
    ASSERT_GT(names.size(), 3u);
    ASSERT_GE(static_cast<std::size_t>(report.end() - header), names.size() + 1);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_NE(header[static_cast<std::ptrdiff_t>(i + 1)].find(" - " + names[i].substr(0, 16)), std::string::npos)
            << names[i] << " in " << header[static_cast<std::ptrdiff_t>(i + 1)];
}

TEST_F(TAnalysisWndTest, FileWithoutElementsIsSaidSo) {
    TfrAnalysisWnd& w = Open();
    std::ofstream(folder / "empty.tle") << "no elements here\n";
    ASSERT_TRUE(ChooseFile(folder / "empty.tle"));
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = w.findChild<QMessageBox*>("MessageBox")) != nullptr; }));
    EXPECT_EQ(box->windowTitle(), "File");
    EXPECT_EQ(TakeBox(&w), kNoElementsFound);
    EXPECT_EQ(w.elementCount(), 0u);
    Click(w, "tb_visible");  // headers, and that nothing was searched
    ASSERT_TRUE(WaitFor([&] { return !w.busy(); }));
    ASSERT_GE(w.report().size(), 2u);
    EXPECT_EQ(w.report()[w.report().size() - 2], VisibleColumnLine());
    EXPECT_NE(w.report().back().find("no satellite searched"), std::string::npos) << w.report().back();
}

}  // namespace
