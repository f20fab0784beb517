// Calendar files: folding and escaping as RFC 5545 has them, and
// orbisk-predict's calendars against its own records, read by
// python3-icalendar.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempDirTest.h"
#include "common/RunProgram.h"
#include "predict/PredictTestUtil.h"
#include "uIcs.h"
#include "uMagFile.h"

namespace {
const std::string kPredict = std::string(ORBISK_PROGRAM_DIR) + "/orbisk-predict";
const std::string kCheck = std::string(ORBISK_SOURCE_DIR) + "/tests/plan/check_ics.py";

// The content lines of folded text, unfolded; every physical line checked.
std::vector<std::string> Unfold(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "a line without CRLF";
        if (end == std::string::npos) break;
        const std::string line = text.substr(at, end - at);
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
        // A line never starts inside a UTF-8 character.
        if (line.size() > 1) {
            EXPECT_NE(static_cast<unsigned char>(line[line[0] == ' ' ? 1 : 0]) & 0xC0, 0x80u) << line;
        }
        if (!line.empty() && line[0] == ' ')
            lines.back() += line.substr(1);
        else
            lines.push_back(line);
        at = end + 2;
    }
    return lines;
}
}  // namespace

TEST(Ics, FoldingAndEscaping) {
    EXPECT_EQ(IcsFold("SUMMARY:short"), "SUMMARY:short\r\n");
    // 75 octets stay one line; 76 fold.
    EXPECT_EQ(IcsFold(std::string(75, 'a')), std::string(75, 'a') + "\r\n");
    EXPECT_EQ(IcsFold(std::string(76, 'a')), std::string(75, 'a') + "\r\n a\r\n");
    // Two-octet degree signs and three-octet minus signs across the fold points.
    std::string line = "DESCRIPTION:";
    for (int i = 0; i < 40; ++i) line += "\xC2\xB0\xE2\x88\x92x";
    const std::vector<std::string> back = Unfold(IcsFold(line));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0], line);

    EXPECT_EQ(IcsEscape("a,b;c\\d\ne\r\nf\x01g"), "a\\,b\\;c\\\\d\\ne\\nfg");
}

TEST(Ics, PassEventsFromRecords) {
    const std::vector<TSatRec> sats = LoadTestSats();
    const TObserver o = TestObserver();
    const TPredictionInputs in =
        TestInputs(EncodeDayNumber(2018, 1, 21, 0, 0, 0), EncodeDayNumber(2018, 1, 23, 0, 0, 0), true, false);
    const TPredictionResult result = RunLineSearch(in, sats, o, 1);
    ASSERT_FALSE(result.linePasses.empty());
    TIcsCalendar cal;
    cal.stamp = EncodeDayNumber(2018, 1, 20, 12, 0, 0);
    cal.haveGeo = true;
    cal.latitude = 45, cal.longitude = -75;
    cal.location = "Test Site, \"roof\"";
    cal.alarmMinutes = 10;
    cal.events = LinePassEvents(result, sats);
    const std::vector<std::string> lines = Unfold(IcsText(cal));
    const auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
    EXPECT_EQ(lines.front(), "BEGIN:VCALENDAR");
    EXPECT_EQ(lines.back(), "END:VCALENDAR");
    EXPECT_TRUE(has("GEO:45.000000;-75.000000"));
    EXPECT_TRUE(has("LOCATION:Test Site\\, \"roof\""));
    EXPECT_TRUE(has("TRIGGER:-PT10M"));
    EXPECT_TRUE(has("DTSTAMP:20180120T120000Z"));
    // The first pass as the line report has it.
    const TLinePass& p = result.linePasses.front();
    EXPECT_TRUE(has("DTSTART:" + FormatDateTime("yyyymmdd'T'HHnnss'Z'", p.aos)));
    EXPECT_TRUE(has("DTEND:" + FormatDateTime("yyyymmdd'T'HHnnss'Z'", p.los)));
    const std::size_t events = std::count(lines.begin(), lines.end(), "BEGIN:VEVENT");
    EXPECT_EQ(events, result.linePasses.size());
}

// A magnitude with no standard magnitude behind it is marked as the text
// reports mark it, in the summary and the description; a known one is not.
TEST(Ics, EstimatedMagnitudesMarked) {
    std::vector<TSatRec> sats = LoadTestSats();
    const TPredictionInputs in =
        TestInputs(EncodeDayNumber(2018, 1, 21, 0, 0, 0), EncodeDayNumber(2018, 1, 23, 0, 0, 0), true, false);
    const TPredictionResult result = RunLineSearch(in, sats, TestObserver(), 1);
    for (std::size_t i = 0; i < sats.size(); ++i) {
        sats[i].stdMag = 4.0;
        SetSatMagSource(sats[i], i % 2 ? TMagSource::kUnknown : TMagSource::kObserved);
    }
    int estimated = 0, known = 0;
    const std::vector<TIcsEvent> events = LinePassEvents(result, sats);
    ASSERT_EQ(events.size(), result.linePasses.size());
    for (std::size_t k = 0; k < events.size(); ++k) {
        const TLinePass& p = result.linePasses[k];
        if (p.shadowed) continue;
        const bool guess = p.satellite % 2 != 0;
        const bool summaryMarked = events[k].summary.size() > 4 &&
                                   events[k].summary.compare(events[k].summary.size() - 4, 4, " est") == 0;
        EXPECT_EQ(summaryMarked, guess) << events[k].summary;
        EXPECT_EQ(events[k].description.find(" est (estimated") != std::string::npos, guess) << events[k].description;
        (guess ? estimated : known)++;
    }
    EXPECT_GT(estimated, 0);
    EXPECT_GT(known, 0);
}

// A known week exported twice, as a calendar and as records.
TEST(Ics, CommandLineCalendarsAgreeWithTheRecords) {
    if (!std::filesystem::exists(kPredict)) GTEST_SKIP() << "orbisk-predict is not built";
    const std::string dir = std::filesystem::temp_directory_path() / ("orbisk_ics_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string tle = " --tle '" + kPassesTle + "'";
    const std::string iridium = " --tle '" + std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/Iridium.tle'";
    const struct {
        const char* mode;
        std::string args;
    } cases[] = {
        {"line", "--utc-offset -5 --start '2018-01-18 17:00' --days 7 --lat 45 --lon -75 --name 'Roof, north'" + tle},
        {"flares", "--mode flares --utc --start 2018-01-22 --days 3 --lat 51.48 --lon 0" + iridium},
        {"transit", "--mode transit --target Moon --sep 300 --day-night --utc --start 2018-01-21 --days 2 --lat 45 --lon -75" + tle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        const TProgramRun ics = RunProgramApart(kPredict, c.args + " --format ics --alarm 10");
        ASSERT_EQ(ics.status, 0) << ics.err;
        std::ofstream(dir + "/a.ics", std::ios::binary) << ics.out;
        const TProgramRun again = RunProgramApart(kPredict, c.args + " --format ics");
        ASSERT_EQ(again.status, 0) << again.err;
        std::ofstream(dir + "/b.ics", std::ios::binary) << again.out;
        const TProgramRun csv = RunProgramApart(kPredict, c.args + " --format csv");
        ASSERT_EQ(csv.status, 0) << csv.err;
        std::ofstream(dir + "/r.csv", std::ios::binary) << csv.out;
        const TProgramRun check = RunProgram("/usr/bin/python3", "'" + kCheck + "' " + c.mode + " '" + dir +
                                                                     "/a.ics' '" + dir + "/r.csv' '" + dir + "/b.ics'");
        EXPECT_EQ(check.status, 0) << check.out;
    }
    const TProgramRun table = RunProgramApart(kPredict, "--mode table --format ics" + tle);
    EXPECT_EQ(table.status, 2);
    EXPECT_NE(table.err.find("--format ics needs the line, flares or transit mode"), std::string::npos) << table.err;
    const TProgramRun alarm = RunProgramApart(kPredict, "--alarm 5" + tle);
    EXPECT_EQ(alarm.status, 2);
    std::filesystem::remove_all(dir);
}
