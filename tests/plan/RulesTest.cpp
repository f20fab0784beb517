// Alert rules file: what is written is read back the same, and a damaged
// file costs only the rules it damages, each problem named by its line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempDirTest.h"
#include "uAlertRules.h"

namespace {
TAlertRule Full() {
    TAlertRule r;
    r.name = "ISS; evenings, \"high\"";
    r.enabled = false;
    r.satellites = TAlertSatellites::kList;
    r.numbers = {"25544", "A0001"};
    r.minElevation = 5.5;
    r.minMaxElevation = 42;
    r.haveMagnitude = true;
    r.brighterThan = -1.5;
    r.visibleOnly = false;
    r.sunAltitude = -12;
    r.leadMinutes = {30, 10, 0};
    r.aosProgram = {"/usr/local/bin/record pass", "--gain", "", "a \"quoted\" \\ word"};
    r.losProgram = {"stop-recording"};
    r.actionLeadMinutes = 3;
    r.actionTimeoutSeconds = 90;
    return r;
}

void ExpectSame(const TAlertRule& a, const TAlertRule& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.enabled, b.enabled);
    EXPECT_EQ(a.satellites, b.satellites);
    EXPECT_EQ(a.numbers, b.numbers);
    EXPECT_EQ(a.file, b.file);
    EXPECT_EQ(a.minElevation, b.minElevation);
    EXPECT_EQ(a.minMaxElevation, b.minMaxElevation);
    EXPECT_EQ(a.haveMagnitude, b.haveMagnitude);
    EXPECT_EQ(a.brighterThan, b.brighterThan);
    EXPECT_EQ(a.visibleOnly, b.visibleOnly);
    EXPECT_EQ(a.sunAltitude, b.sunAltitude);
    EXPECT_EQ(a.leadMinutes, b.leadMinutes);
    EXPECT_EQ(a.aosProgram, b.aosProgram);
    EXPECT_EQ(a.losProgram, b.losProgram);
    EXPECT_EQ(a.actionLeadMinutes, b.actionLeadMinutes);
    EXPECT_EQ(a.actionTimeoutSeconds, b.actionTimeoutSeconds);
}
}  // namespace

class AlertRulesFile : public TempDirTest {};

TEST_F(AlertRulesFile, RoundTripsEveryField) {
    TAlertRule file;
    file.satellites = TAlertSatellites::kFile;
    file.file = "my elements/visual.txt";
    const std::vector<TAlertRule> rules = {Full(), TAlertRule{}, file};
    ASSERT_TRUE(WriteAlertRules(Path(kAlertRulesFile), rules));
    const TAlertRulesRead read = ReadAlertRules(Path(kAlertRulesFile));
    EXPECT_TRUE(read.readable);
    EXPECT_TRUE(read.problems.empty()) << read.problems.front();
    ASSERT_EQ(read.rules.size(), rules.size());
    for (std::size_t i = 0; i < rules.size(); ++i) ExpectSame(read.rules[i], rules[i]);
    // A name cannot break the file into more keys.
    TAlertRule sneaky;
    sneaky.name = "x\nleads = 999999";
    const TAlertRulesRead again = ParseAlertRules(AlertRulesText({sneaky}));
    ASSERT_EQ(again.rules.size(), 1u);
    EXPECT_EQ(again.rules[0].leadMinutes, (std::vector<int>{10, 1}));
}

TEST_F(AlertRulesFile, BadLinesAreCountedAndOnlyTheirRuleIsLost) {
    const std::string text =
        "# rules\n"
        "stray = 1\n"                    // 2: outside a rule
        "[rule]\n"
        "name = good\n"
        "colour = red\n"                 // 5: unknown key, rule kept
        "leads = 5, 15\n"
        "[rule]\n"
        "name = bad\n"
        "min-max-elevation = 95\n"       // 9: out of range, rule left out
        "garbage without equals\n"       // 10
        "[rule]\n"
        "name = also bad\n"
        "satellites = list 25544 ISS\n"  // 13: not a number
        "aos-program = \"unclosed\n"     // 14
        "[rule]\n"
        "name = last\n"
        "satellites = tracked\n";
    const TAlertRulesRead read = ParseAlertRules(text);
    ASSERT_EQ(read.rules.size(), 2u);
    EXPECT_EQ(read.rules[0].name, "good");
    EXPECT_EQ(read.rules[0].leadMinutes, (std::vector<int>{15, 5}));
    EXPECT_EQ(read.rules[1].name, "last");
    std::string all;
    for (const std::string& p : read.problems) all += p + "\n";
    for (const char* line : {"line 2:", "line 5:", "line 9:", "line 10:", "line 13:", "line 14:"})
        EXPECT_NE(all.find(line), std::string::npos) << line << "\n" << all;
}

TEST_F(AlertRulesFile, MissingGarbageAndUnreadableFiles) {
    const TAlertRulesRead missing = ReadAlertRules(Path("none.txt"));
    EXPECT_TRUE(missing.readable);
    EXPECT_TRUE(missing.rules.empty());
    EXPECT_TRUE(missing.problems.empty());

    Write("garbage.txt", std::string("\x00\xff\x01[rule\n=\n\n", 11));
    const TAlertRulesRead garbage = ReadAlertRules(Path("garbage.txt"));
    EXPECT_TRUE(garbage.rules.empty());
    EXPECT_FALSE(garbage.problems.empty());

    std::filesystem::create_directory(Path("folder.txt"));
    const TAlertRulesRead folder = ReadAlertRules(Path("folder.txt"));
    EXPECT_FALSE(folder.readable);
    ASSERT_EQ(folder.problems.size(), 1u);
    EXPECT_NE(folder.problems[0].find("is a folder"), std::string::npos) << folder.problems[0];
}

TEST(AlertRuleValues, CommandLinesAndLeads) {
    std::vector<std::string> words;
    ASSERT_TRUE(SplitCommandLine("  prog  \"two words\" a\\ b \"\" end ", words));
    EXPECT_EQ(words, (std::vector<std::string>{"prog", "two words", "a b", "", "end"}));
    EXPECT_FALSE(SplitCommandLine("prog \"open", words));
    for (const std::vector<std::string>& w : {std::vector<std::string>{"a\"b", "c\\", " ", ""}, words}) {
        std::vector<std::string> back;
        ASSERT_TRUE(SplitCommandLine(JoinCommandLine(w), back));
        EXPECT_EQ(back, w);
    }
    std::vector<int> leads;
    EXPECT_TRUE(ParseLeads("1 10 10 0", leads));
    EXPECT_EQ(leads, (std::vector<int>{10, 1, 0}));
    EXPECT_TRUE(ParseLeads("", leads));
    EXPECT_TRUE(leads.empty());
    for (const char* bad : {"-1", "1.5", "1441", "x", "1 2 3 4 5 6 7 8 9"}) EXPECT_FALSE(ParseLeads(bad, leads)) << bad;
}
