// How the batch answers a public provider's rules: a list is not asked for
// again while it cannot be newer, and each kind of refusal has its own
// outcome. All on a loopback server and a calendar clock the test drives.
#include <gtest/gtest.h>

#include <memory>

#include "Fixtures.h"
#include "LoopbackServer.h"
#include "uArgValues.h"
#include "uInternet.h"

namespace {

const std::string kSet = fx::ThreeLines("ISS (ZARYA)", fx::MakeTle("25544", 18, 1.5));
const std::string kOld = "old contents\r\n";

std::string Line(const std::string& name, const std::string& url) {
    std::string l = "1 0 " + name;
    l.resize(39, ' ');
    return l + url;
}

HttpResponse Answer(int status, const std::string& body, std::vector<std::string> headers = {}) {
    HttpResponse r;
    r.status = status;
    r.body = body;
    r.extraHeaders = std::move(headers);
    return r;
}

class AnswerTest : public ::testing::Test {
protected:
    LoopbackServer server;
    fx::TempDir dir;
    double wall = 1.8e9;
    std::shared_ptr<TFreshness> fresh = std::make_shared<TFreshness>([this] { return wall; });
    TNetReport report;

    void SetUp() override {
        server.Route("/a", [](const HttpRequest&) { return Answer(200, kSet); });
        server.Route("/b", [](const HttpRequest&) { return Answer(200, kSet); });
    }
    std::string Url(const std::string& path) const { return server.Base() + path; }

    TBatchResult Run(const std::vector<std::string>& entries) {
        TNetConfig c;
        c.connectionState = [] { return std::string("LAN"); };
        c.connectTimeoutMs = c.receiveTimeoutMs = 2000;
        c.freshness = fresh;
        c.guarded = [](const std::string&) { return true; };
        std::vector<std::string> lines(12, "0 0 Protected                          " + Url("/protected"));
        lines.insert(lines.end(), entries.begin(), entries.end());
        report = {};
        return DownloadList(lines, dir.path, {}, c, report);
    }
};

TEST_F(AnswerTest, AListIsNotAskedForAgainWithinTwoHoursEvenAfterARestart) {
    auto res = Run({Line("A", Url("/a"))});
    ASSERT_EQ(res.fetched, 1);
    EXPECT_EQ(report.notes[0], "A: A.tle updated (HTTP 200)");

    wall += 3600.0;
    res = Run({Line("A", Url("/a")), Line("B", Url("/b"))});
    EXPECT_TRUE(res.ok);
    EXPECT_EQ(res.kept, 1);
    EXPECT_EQ(server.Hits("/a"), 1) << "the second query within two hours is not sent";
    EXPECT_EQ(server.Hits("/b"), 1) << "other lists are not held back";
    EXPECT_EQ(report.notes[0].rfind("A: fresh, kept (downloaded 60 minutes ago", 0), 0u) << report.notes[0];

    // The record outlives the program, and only what holds anything back is kept.
    const std::string path = dir / kFreshnessFile;
    fresh->Keep(path);
    fresh->Downloaded(Url("/a"));
    wall += 1800.0;
    auto restarted = std::make_shared<TFreshness>([this] { return wall; });
    restarted->Keep(path);
    EXPECT_NEAR(restarted->FreshFor(Url("/a")), 5400.0, 1e-6);
    fresh = restarted;
    Run({Line("A", Url("/a"))});
    EXPECT_EQ(server.Hits("/a"), 1);
    wall += 5400.0;
    Run({Line("A", Url("/a"))});
    EXPECT_EQ(server.Hits("/a"), 2) << "two hours on it is asked again";

    // Garbled records, or ones ahead of the clock, count as none.
    for (const std::string& text : {std::string("garbage\n"), "fresh 1e400 " + Url("/a") + "\n",
                                    "fresh " + std::to_string(wall + 99999) + " " + Url("/a") + "\n",
                                    "fresh -5 " + Url("/a") + "\n", std::string("\0\0\0", 3)}) {
        fx::WriteText(path, text);
        TFreshness reread([this] { return wall; });
        reread.Keep(path);
        EXPECT_EQ(reread.FreshFor(Url("/a")), 0.0) << text;
    }
}

TEST_F(AnswerTest, EachAnswerHasItsOutcome) {
    for (const char* n : {"Same.tle", "Gone.tle", "After.tle", "Moved.tle"}) fx::WriteText(dir / n, kOld);
    server.Route("/same", [](const HttpRequest&) {
        return Answer(403, std::string(kNotUpdatedText) + "\n");
    });
    server.Route("/gone", [](const HttpRequest&) { return Answer(404, "<html><body><h1>Not Found</h1></body></html>"); });
    server.Route("/old", [this](const HttpRequest&) { return Answer(301, "", {"Location: " + Url("/a")}); });
    auto res = Run({Line("Same", Url("/same")), Line("Gone", Url("/gone")), Line("Moved", Url("/old")),
                    Line("After", Url("/b"))});
    EXPECT_TRUE(res.ok);
    EXPECT_FALSE(res.stopped);
    EXPECT_EQ(res.kept, 1);
    EXPECT_EQ(res.fetched, 2);
    EXPECT_EQ(res.failed, 1);
    EXPECT_EQ(fx::ReadText(dir / "Same.tle"), kOld) << "not updated: the file stays untouched";
    EXPECT_EQ(fx::ReadText(dir / "Gone.tle"), kOld);
    EXPECT_EQ(fx::ReadText(dir / "Moved.tle"), kSet);
    EXPECT_EQ(report.notes[0], "Same: kept, still fresh (HTTP 403: " + std::string(kNotUpdatedText) + ")");
    EXPECT_EQ(report.notes[1], "Gone: gone, the provider no longer has it (HTTP 404: Not Found); remove the entry "
                               "from the list, previous file kept");
    EXPECT_EQ(report.failures, std::vector<std::string>{report.notes[1]}) << "a current file is no failure";
    EXPECT_EQ(report.gone, std::vector<std::string>{"Gone"});
    ASSERT_EQ(report.messages.size(), 1u);
    EXPECT_EQ(report.messages[0].title, kMovedTitle);
    EXPECT_NE(report.messages[0].text.find("\n" + Url("/a") + "\n"), std::string::npos) << "the new address is told";
    EXPECT_GT(fresh->FreshFor(Url("/same")), 0.0) << "a not-updated answer is as good as a download";

    // A redirect is followed once: a second one is a failure, not a chase.
    server.Route("/hop1", [this](const HttpRequest&) { return Answer(301, "", {"Location: " + Url("/hop2")}); });
    server.Route("/hop2", [this](const HttpRequest&) { return Answer(301, "", {"Location: " + Url("/a")}); });
    res = Run({Line("Hops", Url("/hop1"))});
    EXPECT_EQ(res.failed, 1);
    EXPECT_EQ(server.Hits("/hop2"), 1);
    EXPECT_EQ(server.Hits("/a"), 1) << "only the first batch's redirect reached it";
}

TEST_F(AnswerTest, ARefusalOrABusyProviderStopsTheBatchWithItsMessage) {
    struct Case {
        int status;
        std::vector<std::string> headers;
        const char* title;
        const char* says;
    } cases[] = {{403, {}, kRefusedTitle, "refused this program's download (HTTP 403: Access denied)"},
                 {429, {"Retry-After: 7200"}, kBusyTitle, "is busy (HTTP 429: Access denied)"},
                 {503, {}, kBusyTitle, "is busy (HTTP 503: Access denied)"}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.status);
        fresh = std::make_shared<TFreshness>([this] { return wall; });
        server.Route("/no", [&k](const HttpRequest&) {
            return Answer(k.status, "<html><head><title>Access denied</title></head></html>", k.headers);
        });
        fx::WriteText(dir / "No.tle", kOld);
        const int before = server.Hits("/b");
        auto res = Run({Line("No", Url("/no")), Line("After", Url("/b"))});
        EXPECT_TRUE(res.stopped);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(server.Hits("/b"), before) << "nothing is asked after the stop";
        EXPECT_EQ(fx::ReadText(dir / "No.tle"), kOld);
        ASSERT_EQ(report.messages.size(), 1u);
        EXPECT_EQ(report.messages[0].title, k.title);
        EXPECT_NE(report.messages[0].text.find(k.says), std::string::npos) << report.messages[0].text;
        // A busy provider is left alone for a while, for Retry-After when it says.
        const double backOff = fresh->BackOffFor(UrlOrigin(Url("/no")));
        if (k.status == 403) EXPECT_EQ(backOff, 0.0);
        else EXPECT_NEAR(backOff, k.status == 429 ? 7200.0 : kBusyBackOffSeconds, 1e-6);
        if (k.status == 503) {
            const int hits = server.Hits("/no");
            res = Run({Line("No", Url("/no"))});
            EXPECT_EQ(server.Hits("/no"), hits) << "not asked while it backs off";
            EXPECT_EQ(res.failed, 1);
        }
    }
}

TEST(AnswerRules, UserAgentFirstLinesAndGuardedHosts) {
    LoopbackServer server;
    std::string agent;
    server.Route("/a", [&](const HttpRequest& r) {
        agent = r.headers.count("user-agent") ? r.headers.at("user-agent") : "";
        return Answer(200, kSet);
    });
    fx::TempDir dir;
    TNetConfig c;
    c.connectionState = [] { return std::string("LAN"); };
    TNetReport report;
    ASSERT_TRUE(DownloadFile(server.Base() + "/a", dir / "a.tle", c, report));
    EXPECT_EQ(agent.rfind("Skyvane/", 0), 0u) << agent;
    EXPECT_NE(agent.find(ProgramVersion()), std::string::npos);

    EXPECT_EQ(FirstTextLine("\r\n  <!DOCTYPE html><html>\n<body>\n <p>Too   many\trequests</p>"), "Too many requests");
    EXPECT_EQ(FirstTextLine(std::string(300, 'x')).size(), 100u);
    EXPECT_EQ(FirstTextLine("\x01\x02\n\n"), "");
    EXPECT_TRUE(IsFreshnessGuardedUrl("https://celestrak.org/NORAD/elements/gp.php?GROUP=visual&FORMAT=csv"));
    EXPECT_TRUE(IsFreshnessGuardedUrl("HTTPS://www.CelesTrak.org/x"));
    EXPECT_FALSE(IsFreshnessGuardedUrl("https://notcelestrak.org/x"));
    EXPECT_FALSE(IsFreshnessGuardedUrl("https://example.org/celestrak.org"));
}

TEST(AnswerRules, StartUpDownloadsAtMostFourADay) {
    fx::TempDir dir;
    const std::string path = dir / kAutoRecordFile;
    double day = 46000.0;
    for (int k = 0; k < 4; ++k, day += 0.1) {
        ASSERT_TRUE(AutoDownloadAllowed(path, day, kAutoDownloadsPerDay)) << k;
        ASSERT_TRUE(RecordAutoDownload(path, day));
    }
    EXPECT_FALSE(AutoDownloadAllowed(path, day, kAutoDownloadsPerDay));
    EXPECT_TRUE(AutoDownloadAllowed(path, 46001.0 + 0.01, kAutoDownloadsPerDay)) << "a day after the first";
    fx::WriteText(path, "garbage\nnan\n99999999\n");
    EXPECT_TRUE(AutoDownloadAllowed(path, day, 1)) << "garbled or future lines are no batch";
}

}  // namespace
