// orbisk-predict as a user runs it: exit codes, messages, and a report on an
// element file for an observer given on the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "../catalogue/OmmWriter.h"
#include "../common/RunProgram.h"
#include "PredictTestUtil.h"
#include "uCommandLine.h"
#include "uPredictOptions.h"
#include "uToolOptions.h"

namespace {
const std::string kProgram = std::string(ORBISK_PROGRAM_DIR) + "/orbisk-predict";

TProgramRun RunPredict(const std::string& args) { return RunProgram(kProgram, args); }

// A data folder of its own for one test.
struct TDataDir {
    std::filesystem::path path;
    explicit TDataDir(const std::string& name)
        : path(std::filesystem::temp_directory_path() / ("orbisk_cli_" + std::to_string(::getpid()) + "_" + name)) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TDataDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
    }
};
}  // namespace

TEST(CommandLine, ExitCodesAndMessages) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "orbisk-predict is not built";
    const TProgramRun help = RunPredict("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--min-revs"), std::string::npos);

    const TProgramRun bad = RunPredict("--mode sideways");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.out.find("--mode must be"), std::string::npos);
    // Every mode the help names is offered.
    std::istringstream helpLines(help.out);
    for (std::string line; std::getline(helpLines, line);) {
        if (line.rfind("  --mode ", 0) != 0) continue;
        std::istringstream names(line.substr(9, line.find(' ', 9) - 9));
        for (std::string mode; std::getline(names, mode, '|');)
            EXPECT_TRUE(bad.out.find(" " + mode + ",") != std::string::npos ||
                        bad.out.find(" " + mode + " ") != std::string::npos)
                << mode;
    }

    const TProgramRun longPeriod =
        RunPredict("--start '2018-01-21 00:00:00' --stop '2018-02-05 00:00:01' --lat 45 --lon -75 --tle '" +
            kPassesTle + "'");
    EXPECT_EQ(longPeriod.status, 2);
    EXPECT_NE(longPeriod.out.find(kPeriodTooLong), std::string::npos);
    const TProgramRun backwards =
        RunPredict("--start '2018-01-21 00:00:00' --stop '2018-01-20 00:00:00' --lat 45 --lon -75 --tle '" +
            kPassesTle + "'");
    EXPECT_EQ(backwards.status, 2);
    EXPECT_NE(backwards.out.find(kEndBeforeStart), std::string::npos);

    const TProgramRun missing = RunPredict("--tle /nonexistent/file.tle --lat 45 --lon -75");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("not found"), std::string::npos);
}

TEST(CommandLine, ReportForAnElementFileAndAGivenSite) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "orbisk-predict is not built";
    const TProgramRun r = RunPredict("--utc --start '2018-01-21 22:00:00' --days 2 --lat 45 --lon -75 --height 100 "
                       "--name 'Test Site' --threads 2 --tle '" + kPassesTle + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    // Same search as the golden sunlit report, which also holds these lines
    // (up to the magnitude: element files give every set magnitude 8.0).
    const std::string golden = ReadText(kPredictDir + "/golden/line_sunlit_utc.txt");
    for (const char* line : {"  Location: Test Site Lat: 45.0000  Lon: -75.0000\n",
                             "  Start: Jan 21 2018 22:00:00(Z)  Stop: Jan 23 2018 22:00:00(Z)\n",
                             "  01/22 08:37:44  10  27  08:38:39  15  31 "}) {
        EXPECT_NE(golden.find(line), std::string::npos) << line;
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    }
    const TProgramRun table = RunPredict("--mode table --utc --start '2018-01-21 22:00:00' --days 1 --lat 45 --lon -75 "
                           "--tle '" + kPassesTle + "'");
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("  Rev# : "), std::string::npos);
}

TEST(CommandLine, UnusableDataFilesAreNamedAndAllRejectedIsAFailure) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "orbisk-predict is not built";
    const TDataDir data("unusable");
    std::string noise(3 * 1112, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 7919 % 251);
    data.Write("MainSat.bin", noise);
    data.Write("Observer.bin", "garbage");
    const std::string period = " --utc --start '2018-01-21 22:00:00' --days 1";
    const TProgramRun all = RunPredict("--data '" + data.path.string() + "'" + period);
    EXPECT_EQ(all.status, 1) << all.out;
    EXPECT_NE(all.out.find("every one of the 3 records of " + (data / "MainSat.bin") + " is unusable"), std::string::npos)
        << all.out;
    EXPECT_NE(all.out.find("warning: " + (data / "Observer.bin") + ": 7 of 224 bytes, unusable "), std::string::npos)
        << all.out;
}

TEST(CommandLine, MessagesGiveTheRealReasonAndNothingIsWrittenOnTheSide) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "orbisk-predict is not built";
    const TDataDir data("reasons");
    const std::string site = " --utc --start '2018-01-21 22:00:00' --days 1 --lat 45 --lon -75";
    ASSERT_EQ(::mkfifo((data / "fifo.tle").c_str(), 0644), 0);
    for (const auto& [tle, reason] : {std::pair{data.path.string(), "is a folder"},
                                      std::pair{data / "fifo.tle", "is not a regular file (a FIFO)"}}) {
        const TProgramRun r = RunPredict("--tle '" + tle + "'" + site);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.out.find("File: " + tle + " " + reason), std::string::npos) << r.out;
    }

    // An option where a value belongs is refused, not taken as the value.
    const TProgramRun swallowed = RunPredict("--mode flares --name --day-flares" + site);
    EXPECT_EQ(swallowed.status, 2);
    EXPECT_NE(swallowed.out.find("--name needs a value"), std::string::npos) << swallowed.out;

    // Tracks printed but the KML file cannot be written: the reason, not "no tracks".
    const TProgramRun kml = RunPredict("--utc --start '2018-01-21 00:00:00' --days 2 --lat 45 --lon -75 --mode path "
                                "--target Sun --track 160 --tle '" + kPassesTle + "' --kml '" + (data / "missing/x.kml") + "'");
    EXPECT_EQ(kml.status, 1);
    EXPECT_NE(kml.out.find("MM/DD Time"), std::string::npos) << kml.out;
    EXPECT_NE(kml.out.find("cannot write the KML file " + (data / "missing/x.kml") + ": No such file or directory"),
              std::string::npos)
        << kml.out;
    // No track is no error: said so, status 0, nothing written.
    for (const char* mode : {"--mode path --target Sun --track 10 --sat 25544", "--mode flares --days 0.01"}) {
        const TProgramRun none = RunPredict(std::string(mode) + " --utc --start '2018-01-21 00:00:00' --lat 45 --lon -75 --tle '" +
                                            kPassesTle + "' --kml '" + (data / "none.kml") + "'");
        EXPECT_EQ(none.status, 0) << none.out;
        EXPECT_NE(none.out.find("no track found, so " + (data / "none.kml") + " was not written"), std::string::npos)
            << none.out;
        EXPECT_FALSE(std::filesystem::exists(data / "none.kml"));
    }

    // Names print without their control characters; the observer file of an
    // empty data folder is not created by a prediction.
    std::string tle = ReadText(kPassesTle);
    tle.replace(0, std::string("ISS (ZARYA)").size(), "ISS\x1b[2J\x9b" "1m");
    data.Write("named.tle", tle);
    const TProgramRun named = RunPredict("--all --data '" + data.path.string() + "' --tle '" + (data / "named.tle") + "'" + site);
    EXPECT_EQ(named.status, 0) << named.out;
    EXPECT_NE(named.out.find("ISS?[2J?1m"), std::string::npos) << named.out;
    EXPECT_EQ(named.out.find('\x1b'), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(data / "Observer.bin"));
}

// Objects catalogued since the five-digit numbers ran out reach the user
// only as OMM: every encoding gives their passes, numbered in full.
TEST(CommandLine, OmmFilesWithSixDigitNumbers) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "orbisk-predict is not built";
    std::vector<ommw::Set> sets;
    std::ifstream in(kPassesTle);
    for (std::string name, l1, l2; std::getline(in, name) && std::getline(in, l1) && std::getline(in, l2);) {
        for (std::string* s : {&name, &l1, &l2})
            while (!s->empty() && (s->back() == '\r' || s->back() == ' ')) s->pop_back();
        sets.push_back({name, l1, l2});
    }
    auto noaa = std::find_if(sets.begin(), sets.end(), [](const ommw::Set& s) { return s.name == "NOAA 19"; });
    ASSERT_NE(noaa, sets.end());
    for (std::string* l : {&noaa->line1, &noaa->line2}) l->replace(2, 5, "T3591");  // 33591 as 273591
    const std::string base = (std::filesystem::temp_directory_path() / ("orbisk_omm_cli_" + std::to_string(::getpid()))).string();
    for (const auto& [suffix, text] : {std::pair{".csv", ommw::Csv(sets)}, {".json", ommw::Json(sets)}, {".xml", ommw::Xml(sets)}}) {
        const std::string path = base + suffix;
        std::ofstream(path, std::ios::binary) << text;
        const TProgramRun r = RunPredict("--utc --start '2018-01-21 22:00:00' --days 2 --lat 45 --lon -75 --height 100 "
                                  "--name 'Test Site' --tle '" + path + "'");
        std::remove(path.c_str());
        EXPECT_EQ(r.status, 0) << suffix << r.out;
        EXPECT_NE(r.out.find("  Satellite: NOAA 19  -  273591\n"), std::string::npos) << suffix << r.out;
        EXPECT_NE(r.out.find("  01/22 08:37:44  10  27  08:38:39  15  31 "), std::string::npos) << suffix;
    }
}

// The header names the offset the times are in (the zone's, daylight saving
// included) and the element ages; sets used far from their epoch are warned
// of once; flares are dated by the newest epoch searched, not a file's time.
TEST(CommandLine, HonestHeaderZonesAndElementDates) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "orbisk-predict is not built";
    const std::string site = " --lat 52.52 --lon 13.40 --days 1 --tz Europe/Berlin --tle '" + kPassesTle + "'";
    const TProgramRun winter = RunProgramApart(kProgram, "--start 2018-01-22T00:00:00Z" + site);
    ASSERT_EQ(winter.status, 0) << winter.err;
    EXPECT_NE(winter.out.find("  Start: Jan 22 2018 01:00:00(L)  Stop: Jan 23 2018 01:00:00(L)\n"
                              "  Element age: 0.8 to 1.6 days at the start\n  \n"
                              "  All Times are \"Local, UTC+01:00\"\n"),
              std::string::npos)
        << winter.out;
    EXPECT_EQ(winter.err, "");

    const TProgramRun summer = RunProgramApart(kProgram, "--start '2018-07-01 00:00'" + site);
    ASSERT_EQ(summer.status, 0) << summer.err;
    EXPECT_NE(summer.out.find("  Start: Jul 01 2018 00:00:00(L)"), std::string::npos) << summer.out;
    EXPECT_NE(summer.out.find("  All Times are \"Local, UTC+02:00\""), std::string::npos) << summer.out;
    const std::string warning = "warning: the elements of 8 of the 8 satellites searched are 162 days from their epoch";
    EXPECT_NE(summer.err.find(warning), std::string::npos) << summer.err;
    EXPECT_EQ(summer.err.find("warning", summer.err.find(warning) + 1), std::string::npos) << summer.err;

    const TProgramRun flares = RunPredict("--mode flares --utc --start 2018-01-22 --days 1 --lat 51.48 --lon 0 --tle '" +
                                          std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/Iridium.tle'");
    ASSERT_EQ(flares.status, 0) << flares.out;
    EXPECT_NE(flares.out.find("  Iridium Flare Passes - Element Date : 2018-01-21 03:14:24 (Z)\n"), std::string::npos)
        << flares.out;
}

// CSV and JSON carry what the report shows, field by field, read back with
// python3's own parsers.
TEST(CommandLine, RecordsAgreeWithTheReport) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "orbisk-predict is not built";
    const TDataDir dir("records");
    const std::string tle = " --tle '" + kPassesTle + "'";
    const std::string iridium = " --tle '" + std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/Iridium.tle'";
    const struct {
        const char* mode;
        std::string args;
        int offsetMinutes;
    } cases[] = {
        {"line", "--all --utc-offset -5 --start '2018-01-21 17:00' --days 2 --lat 45 --lon -75" + tle, -300},
        {"table", "--mode table --all --utc --start 2018-01-21T22:00Z --days 1 --lat 45 --lon -75 --sat 33591" + tle, 0},
        {"flares", "--mode flares --utc --start 2018-01-22 --days 3 --lat 51.48 --lon 0" + iridium, 0},
        {"transit", "--mode transit --target Moon --sep 300 --day-night --utc --start 2018-01-21 --days 2 --lat 45 --lon -75" + tle, 0},
        {"path", "--mode path --target Sun --track 160 --utc --start 2018-01-21 --days 2 --lat 45 --lon -75" + tle, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        for (const char* format : {"text", "csv", "json"}) {
            const TProgramRun r = RunProgramApart(kProgram, c.args + " --format " + format);
            ASSERT_EQ(r.status, 0) << r.err;
            dir.Write(format, r.out);
        }
        const TProgramRun check = RunProgram("/usr/bin/python3", "'" + kPredictDir + "/check_records.py' " + c.mode + " '" +
                                                                     (dir / "text") + "' '" + (dir / "csv") + "' '" +
                                                                     (dir / "json") + "' " + std::to_string(c.offsetMinutes));
        EXPECT_EQ(check.status, 0) << check.out;
    }
}

namespace {
// True when text holds word with no letter or '-' right before or after it.
bool HasWord(const std::string& text, const std::string& word) {
    auto part = [](char c) { return std::islower(static_cast<unsigned char>(c)) || c == '-'; };
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        if ((at == 0 || !part(text[at - 1])) && (at + word.size() == text.size() || !part(text[at + word.size()])))
            return true;
    return false;
}
}  // namespace

// Every option a program's help lists is completed by the bash completion,
// and its man page is made from that help.
TEST(CommandLine, CompletionAndManPagesFollowTheHelp) {
    const std::string completion = ReadText(std::string(ORBISK_SOURCE_DIR) + "/app/cli/orbisk.bash-completion");
    ASSERT_FALSE(completion.empty());
    for (const std::string program : {"orbisk", "orbisk-predict", "orbisk-sky", "orbisk-render"}) {
        SCOPED_TRACE(program);
        const std::string path = std::string(ORBISK_PROGRAM_DIR) + "/" + program;
        if (!std::filesystem::exists(path)) GTEST_SKIP() << program << " is not built";
        const TProgramRun help = RunProgram(path, "--help");
        ASSERT_EQ(help.status, 0);
        std::istringstream lines(help.out);
        int options = 0;
        for (std::string line; std::getline(lines, line);) {
            // Option lines: "  --opt ...", "  --lat DEG --lon DEG", "  --show LIST, --hide LIST".
            if (line.rfind("  --", 0) != 0) continue;
            for (std::size_t at = line.find("--"); at != std::string::npos && at < 30; at = line.find("--", at + 2)) {
                const std::string option = line.substr(at, line.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2) - at);
                ++options;
                EXPECT_TRUE(HasWord(completion, option)) << option;
            }
        }
        EXPECT_GT(options, 4);
        const std::string page = ReadText(std::string(ORBISK_PROGRAM_DIR) + "/../app/cli/man/" + program + ".1");
        EXPECT_NE(page.find("\\-\\-version\\fR\nshow the version"), std::string::npos) << "man page of " << program;
    }
}

namespace {
// The items of the completion's case "$prev": each pattern (option names
// split at '|') with its body.
std::vector<std::pair<std::vector<std::string>, std::string>> PrevCases(std::string text) {
    std::vector<std::pair<std::vector<std::string>, std::string>> items;
    const std::size_t from = text.find("case \"$prev\" in");
    const std::size_t to = text.find("esac", from);
    if (from == std::string::npos || to == std::string::npos) return items;
    text = text.substr(from + 15, to - from - 15);
    for (std::size_t at; (at = text.find("\\\n")) != std::string::npos;) {
        std::size_t end = at + 2;
        while (end < text.size() && text[end] == ' ') ++end;
        text.erase(at, end - at);
    }
    for (std::size_t start = 0, end; (end = text.find(";;", start)) != std::string::npos; start = end + 2) {
        std::string item = text.substr(start, end - start);
        item.erase(0, item.find_first_not_of(" \n"));
        const std::size_t paren = item.find(')');
        if (paren == std::string::npos) continue;
        std::vector<std::string> names;
        std::istringstream pattern(item.substr(0, paren));
        for (std::string name; std::getline(pattern, name, '|');) names.push_back(name);
        items.emplace_back(names, item.substr(paren + 1));
    }
    return items;
}
}  // namespace

// The option table is the one list of orbisk-predict's options: the parsers
// know every name in it, and the bash completion offers its names and
// completes each value as the table says.
TEST(CommandLine, OptionTableDrivesTheParsersAndTheCompletion) {
    const std::vector<TOptionInfo>& table = PredictOptionTable();
    const std::vector<std::string_view> names = OptionNames(table);
    const auto takesValue = [&](std::string_view name) {
        return std::any_of(table.begin(), table.end(),
                           [&](const TOptionInfo& row) { return row.name == name && !row.argument.empty(); });
    };
    for (std::string_view name : names) {
        SCOPED_TRACE(std::string(name));
        std::vector<std::string> args{std::string(name)};
        if (takesValue(name)) args.push_back("1");
        TPredictCommandLine parsed;
        EXPECT_EQ(ParsePredictCommandLine(args, parsed).find("unknown argument"), std::string::npos);
    }
    TPredictCommandLine parsed;
    EXPECT_EQ(ParsePredictCommandLine({"--freq-dwn", "145.8"}, parsed),
              "unknown argument '--freq-dwn'; did you mean --freq-down?");

    const std::string completion = ReadText(std::string(ORBISK_SOURCE_DIR) + "/app/cli/orbisk.bash-completion");
    const std::size_t own = completion.find("orbisk-predict)");
    ASSERT_NE(own, std::string::npos);
    const std::size_t open = completion.find("options=\"", own) + 9;
    std::istringstream listed(completion.substr(open, completion.find('"', open) - open));
    std::vector<std::string> offered;
    for (std::string word; listed >> word;) offered.push_back(word);
    std::vector<std::string> expected(names.begin(), names.end());
    std::sort(offered.begin(), offered.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(offered, expected) << "the options completed for orbisk-predict";

    const auto cases = PrevCases(completion);
    ASSERT_GT(cases.size(), 5u);
    for (std::string_view name : names) {
        SCOPED_TRACE(std::string(name));
        const std::string* body = nullptr;
        for (const auto& [pattern, text] : cases)
            if (std::find(pattern.begin(), pattern.end(), name) != pattern.end()) body = &text;
        const std::string words = CompletionWords(table, name);
        if (!takesValue(name)) {
            EXPECT_EQ(body, nullptr) << "a flag has no value to complete";
        } else if (!body) {
            ADD_FAILURE() << "its value is not handled, so options would be offered for it";
        } else if (words == "@file") {
            EXPECT_NE(body->find("_filedir"), std::string::npos);
            EXPECT_EQ(body->find("_filedir -d"), std::string::npos);
        } else if (words == "@dir") {
            EXPECT_NE(body->find("_filedir -d"), std::string::npos);
        } else if (words == "@zone") {
            EXPECT_NE(body->find("_orbisk_zones"), std::string::npos);
        } else if (words.empty()) {
            EXPECT_EQ(body->find_first_not_of(" \n"), body->find("return"));
        } else {
            EXPECT_NE(body->find("compgen -W \"" + words + "\""), std::string::npos) << *body;
        }
    }
}

// orbisk-sky and orbisk-render: the help is their table's, each name in it
// is known to the program, and the completion offers exactly those names
// and completes their values as the table says.
TEST(CommandLine, SkyAndRenderFollowTheirOptionTables) {
    const std::string completion = ReadText(std::string(ORBISK_SOURCE_DIR) + "/app/cli/orbisk.bash-completion");
    const auto cases = PrevCases(completion);
    ASSERT_GT(cases.size(), 5u);
    const std::pair<const char*, const std::vector<TOptionInfo>*> programs[] = {
        {"orbisk-sky", &SkyOptionTable()}, {"orbisk-render", &RenderOptionTable()}};
    for (const auto& [program, table] : programs) {
        SCOPED_TRACE(program);
        const std::string path = std::string(ORBISK_PROGRAM_DIR) + "/" + program;
        if (!std::filesystem::exists(path)) GTEST_SKIP() << program << " is not built";
        const TProgramRun help = RunProgramApart(path, "--help");
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out, OptionHelp(*table));

        const std::vector<std::string_view> names = OptionNames(*table);
        const auto takesValue = [&](std::string_view name) {
            return std::any_of(table->begin(), table->end(),
                               [&](const TOptionInfo& row) { return row.name == name && !row.argument.empty(); });
        };
        for (std::string_view name : names) {
            SCOPED_TRACE(std::string(name));
            const std::string option(name);
            const TProgramRun run = RunProgram(path, option + (takesValue(name) ? " 1" : "") + " --bogus-option");
            // Each known name is read past: the first complaint is about the bogus one or a bad value.
            EXPECT_EQ(run.out.find("'" + option + "'"), std::string::npos) << run.out;
        }

        const std::size_t own = completion.find(std::string(program) + ")");
        ASSERT_NE(own, std::string::npos);
        const std::size_t open = completion.find("options=\"", own) + 9;
        std::istringstream listed(completion.substr(open, completion.find('"', open) - open));
        std::vector<std::string> offered;
        for (std::string word; listed >> word;) offered.push_back(word);
        std::vector<std::string> expected(names.begin(), names.end());
        std::sort(offered.begin(), offered.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(offered, expected);
        for (std::string_view name : names) {
            SCOPED_TRACE(std::string(name));
            if (!takesValue(name)) continue;
            const std::string* body = nullptr;
            for (const auto& [pattern, text] : cases)
                if (std::find(pattern.begin(), pattern.end(), name) != pattern.end()) body = &text;
            ASSERT_NE(body, nullptr) << "its value is not handled, so options would be offered for it";
            const std::string words = CompletionWords(*table, name);
            if (words == "@file") EXPECT_NE(body->find("_filedir"), std::string::npos);
            else if (words == "@dir") EXPECT_NE(body->find("_filedir -d"), std::string::npos);
            else if (words == "@zone") EXPECT_NE(body->find("_orbisk_zones"), std::string::npos);
            else if (words.empty()) EXPECT_EQ(body->find_first_not_of(" \n"), body->find("return"));
            else EXPECT_NE(body->find("compgen -W \"" + words + "\""), std::string::npos) << *body;
        }
    }
}

// The help is the table's: option lines start in column 2, their text in
// column 23 (further only after a long option), and --lat and --lon share
// a line.
TEST(CommandLine, HelpIsWrittenFromTheOptionTable) {
    const std::vector<TOptionInfo> table = {
        {"", "", "Usage: x\n\n", "", TOptionGroup::kPredict},
        {"--lat", "DEG", "", "", TOptionGroup::kPredict},
        {"--lon", "DEG", "where\nyou are", "", TOptionGroup::kPredict},
        {"--format", "text|csv|json|ics", "the form", "text csv", TOptionGroup::kPredict},
        {"--mode", "line|table", "kind", "", TOptionGroup::kPredict},
        {"--mode", "doppler", "radio", "", TOptionGroup::kDopplerMode},
        {"--all", "", "everything", "", TOptionGroup::kPredict},
    };
    EXPECT_EQ(OptionHelp(table), "Usage: x\n\n"
                                 "  --lat DEG --lon DEG  where\n"
                                 "                       you are\n"
                                 "  --format text|csv|json|ics  the form\n"
                                 "  --mode line|table    kind\n"
                                 "  --mode doppler       radio\n"
                                 "  --all                everything\n");
    EXPECT_EQ(CompletionWords(table, "--mode"), "line table doppler");
    EXPECT_EQ(CompletionWords(table, "--format"), "text csv");
    EXPECT_TRUE(OptionTakesValue(table, TOptionGroup::kPredict, "--lat"));
    EXPECT_FALSE(OptionTakesValue(table, TOptionGroup::kPredict, "--all"));
    EXPECT_FALSE(OptionTakesValue(table, TOptionGroup::kPredict, "--bogus"));
    const TOptionGroup doppler = TOptionGroup::kDopplerMode;
    EXPECT_EQ(OptionNames(table, &doppler), std::vector<std::string_view>{"--mode"});
    EXPECT_EQ(OptionNames(table).size(), 5u);
}

namespace {
// The lines of one satellite's block of a line report, from its header to
// the next satellite's.
std::string SatelliteBlock(const std::string& report, const std::string& header) {
    const std::size_t from = report.find(header);
    if (from == std::string::npos) return {};
    const std::size_t to = report.find("  ----", from);
    return report.substr(from, to == std::string::npos ? std::string::npos : to - from);
}
}  // namespace

// An element set gets its standard magnitude from Mag.dat as the catalogue's
// record does: the ISS of stations.tle prints as the ISS of MainSat.bin.
TEST(CommandLine, ElementFileSetsTakeTheirMagnitudeFromTheMagnitudeFile) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "orbisk-predict is not built";
    const std::string period = "--utc --start '2018-01-21 12:00:00' --days 3 --lat 51.48 --lon 0 --all";
    const std::string stations = std::string(ORBISK_PROGRAM_DIR) + "/tle/stations.tle";
    const TProgramRun catalogue = RunPredict(period);
    const TProgramRun file = RunPredict(period + " --min-revs 2 --tle '" + stations + "'");
    ASSERT_EQ(catalogue.status, 0) << catalogue.out;
    ASSERT_EQ(file.status, 0) << file.out;
    const std::string iss = SatelliteBlock(catalogue.out, "  Satellite: ISS (ZARYA)  -  25544");
    ASSERT_GT(std::count(iss.begin(), iss.end(), '\n'), 8) << catalogue.out;
    EXPECT_EQ(SatelliteBlock(file.out, "  Satellite: ISS (ZARYA)  -  25544"), iss);

    const TDataDir data("nomag");
    const TProgramRun without = RunPredict(period + " --data '" + data.path.string() + "' --tle '" + stations + "'");
    EXPECT_EQ(without.status, 0) << without.out;
    EXPECT_NE(without.out.find("warning: File: " + (data / "Mag.dat") +
                               " not found; the element sets keep standard magnitude 8.0"),
              std::string::npos)
        << without.out;
}

// The report's degree signs reach a UTF-8 terminal as UTF-8, not as the
// program's 8-bit text.
TEST(CommandLine, ReportTextIsUtf8) {
    if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << "orbisk-predict is not built";
    const TProgramRun r = RunProgramApart(kProgram, "--mode transit --target radec:051641,+460000 --utc --start 2018-01-22 "
                                                    "--days 1 --lat 48 --lon 11 --tle '" + kPassesTle + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("DEC: +46\xC2\xB0 00' 00\""), std::string::npos) << r.out.substr(0, 200);
}
