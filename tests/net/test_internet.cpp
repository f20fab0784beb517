#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>

#include <sys/stat.h>

#include "../SyncSpy.h"
#include "../catalogue/OmmWriter.h"
#include "Fixtures.h"
#include "LoopbackServer.h"
#include "uFileIO.h"
#include "uInitialize.h"
#include "uInternet.h"
#include "uLoadSave.h"
#include "uMagFile.h"
#include "uMagNames.h"

namespace {

// dwnlist.dat line: flag, kind, name (columns 5-38), URL from column 40.
std::string ListLine(bool on, int kind, const std::string& name, const std::string& url) {
    std::string l = std::string(on ? "1" : "0") + " " + std::to_string(kind) + " " + name;
    l.resize(39, ' ');
    return l + url;
}

const std::string kSet = fx::ThreeLines("ISS (ZARYA)", fx::MakeTle("25544", 18, 1.5));
const std::string kOld = "old contents\r\n";
const std::string kUser = "star gazer&co";
const std::string kPassword = "p@ss=w0rd&x y+%";

TNetConfig LoopbackConfig() {
    TNetConfig c;
    c.connectionState = [] { return std::string("LAN"); };
    c.connectTimeoutMs = 2000;
    c.receiveTimeoutMs = 2000;
    return c;
}

HttpResponse Text(const std::string& body) {
    HttpResponse r;
    r.body = body;
    return r;
}

HttpResponse Binary(const std::string& body) {
    HttpResponse r;
    r.contentType = "application/octet-stream";
    r.body = body;
    return r;
}

std::string Decode(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::map<std::string, std::string> QueryOf(const std::string& q) {
    std::map<std::string, std::string> m;
    std::stringstream ss(q);
    std::string kv;
    while (std::getline(ss, kv, '&')) {
        auto eq = kv.find('=');
        m[kv.substr(0, eq)] = eq == std::string::npos ? "" : Decode(kv.substr(eq + 1));
    }
    return m;
}

class DownloadTest : public ::testing::Test {
protected:
    LoopbackServer server;
    LoopbackServer tls{LoopbackServer::kTls};  // the provider: its login takes HTTPS only
    fx::TempDir dir;
    TNetReport report;
    TDownloadSettings settings;
    std::atomic<int> loginStatus{200};

    void SetUp() override {
        settings.user = kUser;
        settings.password = kPassword;
        for (LoopbackServer* s : {&server, &tls}) Routes(*s);
    }

    void Routes(LoopbackServer& server) {
        server.Route("/plain.tle", [](const HttpRequest&) { return Text(kSet); });
        server.Route("/pack.gz", [](const HttpRequest&) { return Binary(fx::Gzip(kSet)); });
        server.Route("/pack.zip", [](const HttpRequest&) {
            return Binary(fx::Zip({{"first.txt", "first entry\r\n"}, {"second.txt", kSet}}));
        });
        // The provider's login: identity and password in a POST body, a session
        // cookie for a good login, {"Login":"Failed"} (status 200) for a bad one.
        server.Route("/ajaxauth/login", [this](const HttpRequest& r) {
            auto form = QueryOf(r.body);
            HttpResponse res;
            res.contentType = "application/json";
            if (loginStatus != 200) {
                res.status = loginStatus;
                res.body = "{\"error\":\"status\"}";
            } else if (r.method == "POST" && r.query.empty() &&
                       r.headers.count("content-type") && r.headers.at("content-type") == "application/x-www-form-urlencoded" &&
                       form["identity"] == kUser && form["password"] == kPassword) {
                res.body = "\"\"";
                res.extraHeaders.push_back("Set-Cookie: chocolatechip=good; Path=/");
            } else {
                res.body = "{\"Login\":\"Failed\"}";
            }
            return res;
        });
        server.Route("/protected.tle", [](const HttpRequest& r) {
            auto it = r.headers.find("cookie");
            if (it == r.headers.end() || it->second.find("chocolatechip=good") == std::string::npos) {
                HttpResponse res;
                res.contentType = "text/html";
                res.body = "<html>Please log in</html>";
                return res;
            }
            return Text(kSet);
        });
    }

    std::string Url(const std::string& path) const { return server.Base() + path; }
    std::string TlsUrl(const std::string& path) const { return tls.Base() + path; }

    TBatchResult Run(const std::vector<std::string>& lines, TNetConfig cfg = LoopbackConfig()) {
        cfg.caPem = tls.CertificatePem();
        return DownloadList(lines, dir.path, settings, cfg, report);
    }

    // Twelve disabled protected lines, so the following entries are public.
    std::vector<std::string> PublicList(const std::vector<std::string>& entries) {
        std::vector<std::string> lines(12, ListLine(false, 0, "Protected", Url("/protected.tle")));
        lines.insert(lines.end(), entries.begin(), entries.end());
        return lines;
    }

    bool NoLeftovers() const {
        for (auto& e : std::filesystem::directory_iterator(dir.path)) {
            const std::string n = e.path().filename().string();
            if (n.size() < 4 || n.substr(n.size() - 4) != ".tle") return false;
        }
        return true;
    }
};

TEST_F(DownloadTest, PlainGzipAndZipArriveAsElementFiles) {
    // OMM XML starts with markup like an error page, and is element sets all the same.
    const fx::Tle iss = fx::MakeTle("25544", 18, 1.5);
    const std::string omm = ommw::Xml({{"ISS (ZARYA)", iss.line1, iss.line2}});
    server.Route("/omm.xml", [&omm](const HttpRequest&) { return Text(omm); });
    auto res = Run(PublicList({ListLine(true, 0, "Plain", Url("/plain.tle")),
                               ListLine(true, 1, "Prefix  Gzipped", Url("/pack.gz")),
                               ListLine(true, 2, "Zipped", Url("/pack.zip")),
                               ListLine(true, 0, "Omm", Url("/omm.xml"))}));
    EXPECT_TRUE(res.ok);
    EXPECT_EQ(res.fetched, 4);
    EXPECT_EQ(fx::ReadText(dir / "Omm.tle"), omm);
    EXPECT_EQ(fx::ReadText(dir / "Plain.tle"), kSet);
    // The gzip stem starts at column 13: the prefix is only shown.
    EXPECT_EQ(fx::ReadText(dir / "Gzipped.tle"), kSet);
    EXPECT_EQ(fx::ReadText(dir / "Zipped.tle"), kSet) << "the last zip entry wins";
    EXPECT_FALSE(std::filesystem::exists(dir / "temp.tz"));
    EXPECT_FALSE(std::filesystem::exists(dir / "temp.zip"));
    EXPECT_TRUE(NoLeftovers());
    EXPECT_EQ(server.Hits("/ajaxauth/login"), 0) << "no enabled protected entry, no login";
    EXPECT_TRUE(report.messages.empty());
}

TEST_F(DownloadTest, FailedEntriesKeepTheirPreviousFileAndTheBatchGoesOn) {
    server.Route("/slow.tle", [](const HttpRequest&) {
        HttpResponse r = Text(kSet);
        r.delayMs = 3000;
        return r;
    });
    server.Route("/cut.gz", [](const HttpRequest&) {
        std::string gz = fx::Gzip(kSet + kSet + kSet);
        return Binary(gz.substr(0, gz.size() / 2));
    });
    server.Route("/short.tle", [](const HttpRequest&) {
        HttpResponse r = Text(kSet);
        r.declaredLength = kSet.size() * 2;  // the connection ends early
        return r;
    });
    server.Route("/page.tle", [](const HttpRequest&) {
        HttpResponse r;
        r.contentType = "text/html";
        r.body = "\r\n  <!DOCTYPE html><html>maintenance</html>";
        return r;
    });
    for (const char* n : {"Missing.tle", "Slow.tle", "Cut.tle", "Short.tle", "Page.tle"})
        fx::WriteText(dir / n, kOld);
    TNetConfig cfg = LoopbackConfig();
    cfg.receiveTimeoutMs = 1000;
    auto res = Run(PublicList({ListLine(true, 0, "Missing", Url("/nothing-here.tle")),
                               ListLine(true, 0, "Slow", Url("/slow.tle")),
                               ListLine(true, 1, "        Cut", Url("/cut.gz")),
                               ListLine(true, 0, "Short", Url("/short.tle")),
                               ListLine(true, 0, "Page", Url("/page.tle")),
                               ListLine(true, 0, "Plain", Url("/plain.tle"))}),
                   cfg);
    EXPECT_TRUE(res.ok) << "one entry arrived";
    EXPECT_EQ(res.fetched, 1);
    EXPECT_EQ(res.failed, 5);
    for (const char* n : {"Missing.tle", "Slow.tle", "Cut.tle", "Short.tle", "Page.tle"})
        EXPECT_EQ(fx::ReadText(dir / n), kOld) << n;
    EXPECT_EQ(fx::ReadText(dir / "Plain.tle"), kSet);
    EXPECT_EQ(report.notes.size(), 6u);
    EXPECT_NE(report.notes[0].find("404"), std::string::npos) << report.notes[0];
    EXPECT_TRUE(NoLeftovers());
}

TEST_F(DownloadTest, ContentWithoutElementSetsNeverReplacesAFile) {
    server.Route("/limit.tle", [](const HttpRequest&) { return Text("Rate limit exceeded\r\n"); });
    server.Route("/error.json", [](const HttpRequest&) {
        HttpResponse r = Text(R"({"error":"You've violated your query rate limit."})");
        r.contentType = "application/json";
        return r;
    });
    server.Route("/nul.zip", [](const HttpRequest&) { return Binary(fx::Zip({{"all.tle", std::string(4 << 20, '\0')}})); });
    server.Route("/text.gz", [](const HttpRequest&) { return Binary(fx::Gzip("no element sets here\n")); });
    const std::vector<std::string> names = {"Limit", "Json", "Nul", "Text"};
    for (const auto& n : names) fx::WriteText(dir / (n + ".tle"), kOld);
    auto res = Run(PublicList({ListLine(true, 0, "Limit", Url("/limit.tle")), ListLine(true, 0, "Json", Url("/error.json")),
                               ListLine(true, 2, "Nul", Url("/nul.zip")), ListLine(true, 1, "        Text", Url("/text.gz"))}));
    EXPECT_FALSE(res.ok) << "nothing usable arrived";
    EXPECT_EQ(res.failed, 4);
    for (const auto& n : names) EXPECT_EQ(fx::ReadText(dir / (n + ".tle")), kOld) << n;
    ASSERT_EQ(report.notes.size(), 4u);
    EXPECT_EQ(report.notes[0], "Limit: the download holds no element sets (HTTP 200), previous file kept");
    EXPECT_TRUE(NoLeftovers());
}

TEST_F(DownloadTest, AHalfErrorPageOrABigLossNeverReplacesAGoodFileUnconfirmed) {
    std::string many, half;
    for (int i = 0; i < 145; ++i) {
        many += fx::ThreeLines("SAT " + std::to_string(i), fx::MakeTle(std::to_string(10000 + i), 18, 1.5));
        if (i == 72) half = many;
    }
    std::string page = kSet;
    for (int i = 0; i < 50; ++i) page += "<p>Service temporarily unavailable, line " + std::to_string(i) + "</p>\r\n";
    const fx::Tle six = fx::MakeTle("A0001", 18, 1.5);
    const fx::Tle iss = fx::MakeTle("25544", 18, 1.5);
    std::string omm = ommw::Csv({{"ISS", iss.line1, iss.line2}, {"SIX", six.line1, six.line2}});
    omm.replace(omm.find(",100001,"), 8, ",400001,");
    server.Route("/half.tle", [&page](const HttpRequest&) { return Text(page); });
    server.Route("/half.gz", [&page](const HttpRequest&) { return Binary(fx::Gzip(page)); });
    server.Route("/omm.csv", [&omm](const HttpRequest&) { return Text(omm); });
    server.Route("/many.tle", [&half](const HttpRequest&) { return Text(half); });
    for (const char* n : {"Half.tle", "Packed.tle", "Omm.tle", "Few.tle", "Many.tle"}) fx::WriteText(dir / n, many);
    const auto list = PublicList({ListLine(true, 0, "Half", Url("/half.tle")),
                                  ListLine(true, 1, "        Packed", Url("/half.gz")),
                                  ListLine(true, 0, "Omm", Url("/omm.csv")), ListLine(true, 0, "Few", Url("/plain.tle")),
                                  ListLine(true, 0, "Many", Url("/many.tle"))});
    std::vector<TLossQuestion> asked;
    TNetConfig cfg = LoopbackConfig();
    cfg.confirmLoss = [&](const TLossQuestion& q) {
        asked.push_back(q);
        return false;
    };
    auto res = Run(list, cfg);
    EXPECT_EQ(res.fetched, 1) << "half the objects is not most of them";
    EXPECT_EQ(fx::ReadText(dir / "Many.tle"), half);
    for (const char* n : {"Half.tle", "Packed.tle", "Omm.tle", "Few.tle"}) EXPECT_EQ(fx::ReadText(dir / n), many) << n;
    ASSERT_EQ(report.failures.size(), 4u);
    EXPECT_EQ(report.failures[0], "Half: the download holds 50 lines that belong to no element set (HTTP 200), previous file kept");
    EXPECT_EQ(report.failures[1], "Packed: the archive holds 50 lines that belong to no element set (HTTP 200), previous file kept");
    EXPECT_NE(report.failures[2].find("was not read whole (1 of 2 records skipped"), std::string::npos) << report.failures[2];
    EXPECT_EQ(report.failures[3], "Few: the download lacks 145 of the 145 objects of the present file (not confirmed) (HTTP 200), "
                                  "previous file kept");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].file, "Few.tle");
    EXPECT_EQ(asked[0].Text(), "Few.tle: the new download holds 1 objects and lacks 145 of the 145 objects of the "
                               "present file.\nReplace the present file?");

    // Confirmed, the loss is taken; without anyone to ask it is not.
    cfg.confirmLoss = [](const TLossQuestion&) { return true; };
    report = {};
    Run(PublicList({ListLine(true, 0, "Few", Url("/plain.tle"))}), cfg);
    EXPECT_EQ(fx::ReadText(dir / "Few.tle"), kSet);
    fx::WriteText(dir / "Few.tle", many);
    report = {};
    Run(PublicList({ListLine(true, 0, "Few", Url("/plain.tle"))}));
    EXPECT_EQ(fx::ReadText(dir / "Few.tle"), many);
    EXPECT_TRUE(NoLeftovers());
}

TEST_F(DownloadTest, ADripFeedOrAnEndlessBodyIsGivenUp) {
    server.Route("/drip.tle", [](const HttpRequest&) {
        HttpResponse r = Text(kSet);  // a byte every 50 ms: never idle, never done
        r.dripBytes = 1;
        r.dripIntervalMs = 50;
        return r;
    });
    server.Route("/endless.tle", [](const HttpRequest&) {
        HttpResponse r = Text(kSet + std::string(1 << 20, ' '));  // fast enough, but for half a minute
        r.dripBytes = 4000;
        r.dripIntervalMs = 100;
        return r;
    });
    fx::WriteText(dir / "Drip.tle", kOld);
    fx::WriteText(dir / "Endless.tle", kOld);
    TNetConfig cfg = LoopbackConfig();
    cfg.receiveTimeoutMs = 1000;
    cfg.lowSpeedBytesPerSecond = 1000;
    cfg.lowSpeedSeconds = 1;
    cfg.deadlineMs = 3000;
    auto res = Run(PublicList({ListLine(true, 0, "Drip", Url("/drip.tle")), ListLine(true, 0, "Endless", Url("/endless.tle"))}),
                   cfg);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(fx::ReadText(dir / "Drip.tle"), kOld);
    EXPECT_EQ(fx::ReadText(dir / "Endless.tle"), kOld);
    ASSERT_EQ(report.notes.size(), 2u);
    EXPECT_NE(report.notes[0].find("slower than 1000 bytes/s for 1 s"), std::string::npos) << report.notes[0];
    EXPECT_NE(report.notes[1].find("not complete within 3 s"), std::string::npos) << report.notes[1];
}

TEST_F(DownloadTest, ADownloadIsSyncedBeforeItReplacesTheFileAndTheFolderAfter) {
    syncspy::Start();
    EXPECT_TRUE(Run(PublicList({ListLine(true, 0, "Plain", Url("/plain.tle"))})).ok);
    const auto synced = syncspy::Stop();
    const std::string folder = dir.path.substr(0, dir.path.size() - 1);
    ASSERT_EQ(synced.size(), 2u);
    EXPECT_EQ(synced[0].rfind(dir.path + ".Plain.tle.", 0), 0u) << synced[0];
    EXPECT_EQ(synced[1], folder);
}

// What a hostile server tried and failed, kept so it keeps failing.
TEST_F(DownloadTest, BombsEscapesAndStrangeRedirectsReachNothingBeyondTheirEntry) {
    // Packed here and held by the routes: a slow server thread may still be
    // answering a request the download gave up on after this test ends.
    const std::string zeros(8 << 20, '\0');
    const std::string gz = fx::Gzip(zeros), zip = fx::Zip({{"a.tle", zeros}});
    server.Route("/bomb.gz", [gz](const HttpRequest&) { return Binary(gz); });
    server.Route("/bomb.zip", [zip](const HttpRequest&) { return Binary(zip); });
    server.Route("/escape.zip", [](const HttpRequest&) { return Binary(fx::Zip({{"../../escape.tle", kSet}})); });
    auto redirect = [](const std::string& to) {
        return [to](const HttpRequest&) {
            HttpResponse r;
            r.status = 302;
            r.extraHeaders.push_back("Location: " + to);
            return r;
        };
    };
    fx::WriteText(dir / "secret", kSet);
    server.Route("/to-file", redirect("file://" + (dir / "secret")));
    server.Route("/to-ftp", redirect("ftp://127.0.0.1:1/x.tle"));
    server.Route("/loop", redirect(Url("/loop")));
    const std::vector<std::string> kept = {"Gz", "Zip", "File", "Ftp", "Loop"};
    for (const auto& n : kept) fx::WriteText(dir / (n + ".tle"), kOld);
    TNetConfig cfg = LoopbackConfig();
    cfg.maxExpandedBytes = 1 << 20;
    auto res = Run(PublicList({ListLine(true, 1, "        Gz", Url("/bomb.gz")), ListLine(true, 2, "Zip", Url("/bomb.zip")),
                               ListLine(true, 0, "File", Url("/to-file")), ListLine(true, 0, "Ftp", Url("/to-ftp")),
                               ListLine(true, 0, "Loop", Url("/loop")), ListLine(true, 2, "Escape", Url("/escape.zip"))}),
                   cfg);
    EXPECT_EQ(res.fetched, 1);
    for (const auto& n : kept) EXPECT_EQ(fx::ReadText(dir / (n + ".tle")), kOld) << n;
    EXPECT_EQ(fx::ReadText(dir / "Escape.tle"), kSet) << "an entry's name never chooses where it lands";
    EXPECT_FALSE(std::filesystem::exists(dir.path + "../escape.tle"));
    EXPECT_FALSE(std::filesystem::exists(dir.path + "../../escape.tle"));
    EXPECT_LE(server.Hits("/loop"), 11) << "redirects are limited";

    // The password file stays private whatever the umask.
    const mode_t old = ::umask(0);
    const TStatus saved = SaveDownloadSettings(dir.path, settings);
    ::umask(old);
    ASSERT_TRUE(saved) << saved.message;
    struct stat st {};
    ASSERT_EQ(::stat((dir / "InternetInfo.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(DownloadTest, AllEntriesFailingIsAFailedBatch) {
    auto res = Run(PublicList({ListLine(true, 0, "Missing", Url("/nothing-here.tle"))}));
    EXPECT_FALSE(res.ok);
    EXPECT_FALSE(std::filesystem::exists(dir / "Missing.tle"));
}

TEST_F(DownloadTest, LoginKeepsItsCookieForProtectedEntries) {
    std::vector<std::string> lines = {ListLine(false, 0, "Off", TlsUrl("/protected.tle")),
                                      ListLine(true, 0, "Guarded", TlsUrl("/protected.tle")),
                                      ListLine(true, 1, "Provider    GuardedGz", TlsUrl("/pack.gz"))};
    auto res = Run(lines);
    EXPECT_TRUE(res.ok);
    EXPECT_EQ(res.fetched, 2);
    EXPECT_EQ(tls.Hits("/ajaxauth/login"), 1);
    EXPECT_EQ(fx::ReadText(dir / "Guarded.tle"), kSet);
    EXPECT_EQ(fx::ReadText(dir / "GuardedGz.tle"), kSet);
    // The credentials travel URL-encoded in the POST body: not in the request
    // line, a note or a message.
    for (const auto& line : tls.Log()) EXPECT_EQ(line.find("ss"), std::string::npos) << line;
    for (const auto& n : report.notes) EXPECT_EQ(n.find("p@ss"), std::string::npos);
}

TEST_F(DownloadTest, RejectedOrPlainHttpLoginStopsTheBatchWithItsMessage) {
    fx::WriteText(dir / "Guarded.tle", kOld);
    // Over plain HTTP the credentials are not even sent.
    std::vector<std::string> lines = {ListLine(true, 0, "Guarded", Url("/protected.tle")),
                                      ListLine(true, 0, "Plain", Url("/plain.tle"))};
    EXPECT_FALSE(Run(lines).ok);
    ASSERT_EQ(report.messages.size(), 1u);
    EXPECT_EQ(report.messages[0].title, "SpaceTrack Login Error");
    EXPECT_EQ(report.messages[0].text, kLoginNotHttpsText);
    EXPECT_TRUE(server.Log().empty());

    settings.password = "wrong";
    report = {};
    lines = {ListLine(true, 0, "Guarded", TlsUrl("/protected.tle")), ListLine(true, 0, "Plain", TlsUrl("/plain.tle"))};
    EXPECT_FALSE(Run(lines).ok);
    ASSERT_EQ(report.messages.size(), 1u);
    EXPECT_EQ(report.messages[0].text, "Login at Space-Track site failed, Check Username and Password.");
    EXPECT_EQ(tls.Hits("/protected.tle") + tls.Hits("/plain.tle"), 0);
    EXPECT_EQ(fx::ReadText(dir / "Guarded.tle"), kOld);
}

// The provider refusing the login (401, 403), over its limits (429) or down
// (503), at the login or at a download: the batch stops with the login or the
// busy message and no element file changes.
TEST_F(DownloadTest, RefusedOrBusyProviderStopsTheBatchAndKeepsEveryFile) {
    const std::string login = "Login at Space-Track site failed, Check Username and Password.";
    const std::string busy = "Space-Track: provider busy, try later.";
    struct Case {
        const char* what;
        std::string password;
        int loginStatus, downloadStatus;
        const std::string& text;
    } cases[] = {{"401 at login", kPassword, 401, 200, login},
                 {"429 at login", kPassword, 429, 200, busy},  {"503 at login", kPassword, 503, 200, busy},
                 {"403 at a download", kPassword, 200, 403, login}, {"429 at a download", kPassword, 200, 429, busy}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        report = {};
        settings.password = k.password;
        loginStatus = k.loginStatus;
        tls.Route("/refusing.tle", [&k](const HttpRequest&) {
            HttpResponse r = Text(kSet);
            r.status = k.downloadStatus;
            return r;
        });
        for (const char* n : {"Refusing.tle", "Guarded.tle", "Plain.tle"}) fx::WriteText(dir / n, kOld);
        const int before = tls.Hits("/protected.tle") + tls.Hits("/plain.tle");
        auto res = Run({ListLine(true, 0, "Refusing", TlsUrl("/refusing.tle")),
                        ListLine(true, 0, "Guarded", TlsUrl("/protected.tle")), ListLine(true, 0, "Plain", TlsUrl("/plain.tle"))});
        EXPECT_FALSE(res.ok);
        EXPECT_TRUE(res.stopped || k.downloadStatus == 200);
        ASSERT_EQ(report.messages.size(), 1u);
        EXPECT_EQ(report.messages[0].text, k.text);
        EXPECT_EQ(tls.Hits("/protected.tle") + tls.Hits("/plain.tle"), before) << "nothing after the stop";
        for (const char* n : {"Refusing.tle", "Guarded.tle", "Plain.tle"}) EXPECT_EQ(fx::ReadText(dir / n), kOld) << n;
    }
    EXPECT_EQ(report.messages[0].title, "SpaceTrack Download Error");
}

// Requests to the provider take turns under its limits: with 29 requests of
// this minute already made, the login is the 30th and the first download
// waits for the minute to end (on the test's clock, not a real wait).
TEST_F(DownloadTest, ProviderRequestsWaitTheirTurnAndTheGpClassComesOnceAnHour) {
    double now = 0.0, slept = 0.0;
    auto limiter = std::make_shared<TProviderLimiter>(TLimiterClock{[&] { return now; }, [&](double s) {
                                                                        now += s;
                                                                        slept += s;
                                                                    },
                                                                    {}});
    for (int k = 0; k < 29; ++k) limiter->Admit(false);
    TNetConfig cfg = LoopbackConfig();
    cfg.limiter = limiter;
    tls.Route("/query/class/gp/format/3le", [](const HttpRequest&) { return Text(kSet); });
    auto res = Run({ListLine(true, 0, "Guarded", TlsUrl("/protected.tle")),
                    ListLine(true, 0, "Catalogue", TlsUrl("/query/class/gp/format/3le")),
                    ListLine(true, 0, "Again", TlsUrl("/query/class/gp/format/3le"))},
                   cfg);
    EXPECT_TRUE(res.ok);
    EXPECT_EQ(res.fetched, 2);
    EXPECT_DOUBLE_EQ(slept, 60.0) << "the 31st request of the minute waited for it to end";
    EXPECT_EQ(tls.Hits("/query/class/gp/format/3le"), 1);
    ASSERT_EQ(report.notes.size(), 3u);
    EXPECT_EQ(report.notes[2], "Again: the provider serves this class once an hour; try again in 60 minutes, previous file kept");
}

TEST_F(DownloadTest, ProtectedDownloadWithoutCookieGetsAPageThatIsNotKept) {
    fx::WriteText(dir / "Guarded.tle", kOld);
    // Thirteen lines with the protected entry after the first twelve: no login.
    auto lines = PublicList({ListLine(true, 0, "Guarded", Url("/protected.tle"))});
    auto res = Run(lines);
    EXPECT_EQ(server.Hits("/ajaxauth/login"), 0);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(fx::ReadText(dir / "Guarded.tle"), kOld);
}

TEST_F(DownloadTest, RedirectsAreFollowed) {
    server.Route("/moved.tle", [this](const HttpRequest&) {
        HttpResponse r;
        r.status = 302;
        r.extraHeaders.push_back("Location: " + Url("/plain.tle"));
        return r;
    });
    auto res = Run(PublicList({ListLine(true, 0, "Moved", Url("/moved.tle"))}));
    EXPECT_TRUE(res.ok);
    EXPECT_EQ(fx::ReadText(dir / "Moved.tle"), kSet);
}

TEST_F(DownloadTest, NoConnectionOrBusyLineFetchesNothing) {
    for (const char* state : {"NONE", "BUSY"}) {
        TNetConfig cfg = LoopbackConfig();
        cfg.connectionState = [state] { return std::string(state); };
        report = {};
        auto res = Run(PublicList({ListLine(true, 0, "Plain", Url("/plain.tle"))}), cfg);
        EXPECT_FALSE(res.ok);
        ASSERT_EQ(report.messages.size(), 1u);
        EXPECT_EQ(report.messages[0].title, "Connection State");
        EXPECT_EQ(report.messages[0].text, std::string("Internet connection is \"") + state + "\"");
    }
    EXPECT_EQ(server.Hits("/plain.tle"), 0);
}

TEST_F(DownloadTest, UnsafeStemsAreRefused) {
    auto res = Run(PublicList({ListLine(true, 0, "../escape", Url("/plain.tle"))}));
    EXPECT_FALSE(res.ok);
    EXPECT_FALSE(std::filesystem::exists(dir.path + "../escape.tle"));
    EXPECT_EQ(server.Hits("/plain.tle"), 0);
}

TEST_F(DownloadTest, SingleFileDownloadReportsItsFailure) {
    TNetReport r;
    EXPECT_TRUE(DownloadFile(Url("/pack.zip"), dir / "names.zip", LoopbackConfig(), r));
    EXPECT_TRUE(DecompressDownload(dir / "names.zip", dir / "names.txt", kZipKind));
    EXPECT_EQ(fx::ReadText(dir / "names.txt"), kSet);
    EXPECT_FALSE(DownloadFile(Url("/gone.zip"), dir / "gone.zip", LoopbackConfig(), r));
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].title, "Download Error");
    EXPECT_EQ(r.messages[0].text, "Failed to download file : \"" + (dir / "gone.zip") + "\"");
    EXPECT_FALSE(std::filesystem::exists(dir / "gone.zip"));
}

TEST_F(DownloadTest, NamesArchiveIsMergedIntoTheMagnitudeLines) {
    std::string namesLine = "25544ISS (ZARYA)";
    namesLine.resize(36, ' ');
    namesLine += " -1.8";
    server.Route("/qmnames.zip", [namesLine](const HttpRequest&) { return Binary(fx::Zip({{"qmnames.txt", namesLine + "\r\n"}})); });
    std::vector<std::string> lines = {FormatMagLine("25544", "ISS", "-1.0"), FormatMagLine("99999", "MINE", "8.0")};
    TNetReport r;
    ASSERT_TRUE(UpdateFromNamesArchive(Url("/qmnames.zip"), dir.path, lines, LoopbackConfig(), r));
    EXPECT_EQ(lines, (std::vector<std::string>{FormatMagLine("25544", "ISS", "-1.8") + " observed",
                                               FormatMagLine("99999", "MINE", "8.0")}));
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, "Update to magnitude file data completed successfully.");
    EXPECT_FALSE(std::filesystem::exists(dir / "qmnames.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "qmnamesupdate.zip"));

    const auto before = lines;
    r = {};
    EXPECT_FALSE(UpdateFromNamesArchive(Url("/gone.zip"), dir.path, lines, LoopbackConfig(), r));
    EXPECT_EQ(lines, before);
    ASSERT_EQ(r.messages.size(), 3u);
    EXPECT_EQ(r.messages[0].title, "Download Error");
    EXPECT_EQ(r.messages[1].text, "Failed to download file - " + Url("/gone.zip"));
    EXPECT_EQ(r.messages[2].text, "Failed to update magnitude file data");
}

TEST(Decompress, RefusesOversizedAndBrokenInputAndKeepsTheTarget) {
    fx::TempDir dir;
    fx::WriteText(dir / "target.tle", kOld);
    const std::string big(100000, 'x');
    fx::WriteText(dir / "big.gz", fx::Gzip(big));
    EXPECT_FALSE(DecompressDownload(dir / "big.gz", dir / "target.tle", kGzipKind, 50000));
    fx::WriteText(dir / "big.zip", fx::Zip({{"big.txt", big}}));
    EXPECT_FALSE(DecompressDownload(dir / "big.zip", dir / "target.tle", kZipKind, 50000));
    // The cap holds for the entries together: each replaces the one before,
    // but every one is inflated.
    const std::string part(30000, 'x');
    fx::WriteText(dir / "many.zip", fx::Zip({{"a.txt", part}, {"b.txt", part}, {"c.txt", part}}));
    EXPECT_FALSE(DecompressDownload(dir / "many.zip", dir / "target.tle", kZipKind, 50000));
    fx::WriteText(dir / "junk", "this is not an archive");
    EXPECT_FALSE(DecompressDownload(dir / "junk", dir / "target.tle", kGzipKind));
    EXPECT_FALSE(DecompressDownload(dir / "junk", dir / "target.tle", kZipKind));
    EXPECT_FALSE(DecompressDownload(dir / "absent", dir / "target.tle", kGzipKind));
    fx::WriteText(dir / "empty.zip", fx::Zip({}));
    EXPECT_FALSE(DecompressDownload(dir / "empty.zip", dir / "target.tle", kZipKind));
    EXPECT_EQ(fx::ReadText(dir / "target.tle"), kOld);
    // Two gzip members in a row unpack as one text, as gzip itself does.
    fx::WriteText(dir / "two.gz", fx::Gzip("ab") + fx::Gzip("cd"));
    EXPECT_TRUE(DecompressDownload(dir / "two.gz", dir / "target.tle", kGzipKind));
    EXPECT_EQ(fx::ReadText(dir / "target.tle"), "abcd");
    EXPECT_TRUE(DecompressDownload(dir / "big.gz", dir / "target.tle", kGzipKind));
    EXPECT_EQ(fx::ReadText(dir / "target.tle"), big);
}

TEST(DownloadListFile, ProtectedLinesRebuildAndOrigins) {
    const std::string line = ListLine(true, 1, "Provider    stations", "http://example.test/a.gz   ");
    std::vector<std::string> lines(13, line);
    lines[3] = "1 7 bad kind";
    lines[4] = ListLine(true, 0, "../up", "http://example.test/x");
    auto list = ParseDownloadList(lines);
    ASSERT_EQ(list.size(), 13u);
    EXPECT_TRUE(list[0].usable && list[0].enabled && list[0].loginProtected);
    EXPECT_EQ(TargetPath(list[0].entry, "/f/"), "/f/stations.tle");
    EXPECT_FALSE(list[12].loginProtected);
    EXPECT_TRUE(list[3].enabled && !list[3].usable);
    EXPECT_FALSE(list[4].usable) << "a stem must stay inside the element folder";
    lines.resize(5);
    EXPECT_TRUE(ParseDownloadList(lines)[4].loginProtected) << "short lists: all lines count";

    const std::string rebuilt = RebuildDownloadLine("  1 Provider    stations" + std::string(15, ' ') + "u   ", false);
    EXPECT_EQ(rebuilt, "0 1 Provider    stations" + std::string(15, ' ') + "u");
    EXPECT_EQ(UrlOrigin("https://user@host.test:8443/perl/x?y"), "https://host.test:8443");
    EXPECT_EQ(UrlOrigin("no url"), "");
}

TEST(StartUp, DueOnlyWhenAskedForAndThePeriodHasPassed) {
    const double now = 45000.5;
    EXPECT_FALSE(StartUpDownloadDue(true, 24, now - 23.5 / 24, now));
    EXPECT_TRUE(StartUpDownloadDue(true, 24, now - 1.0, now));
    EXPECT_TRUE(StartUpDownloadDue(true, 24, now + 1.5, now)) << "a future time counts by its distance";
    EXPECT_FALSE(StartUpDownloadDue(true, 24, now, now)) << "first start: Time defaults to now";
    EXPECT_TRUE(StartUpDownloadDue(true, 0, now, now));
    EXPECT_FALSE(StartUpDownloadDue(false, 0, now - 100, now)) << "never without Auto-Download";
}

TEST(StartUp, BatchUpdatesTimeAndShowsItsCaptions) {
    LoopbackServer server;
    server.Route("/plain.tle", [](const HttpRequest&) { return Text(kSet); });
    fx::TempDir data, tle;
    std::vector<std::string> lines(12, ListLine(false, 0, "Protected", server.Base() + "/x"));
    lines.push_back(ListLine(true, 0, "Plain", server.Base() + "/plain.tle"));
    ASSERT_TRUE(netfiles::WriteLinesAtomic(data / "dwnlist.dat", lines, "\r\n"));
    fx::WriteText(data / "Mag.dat", "http://example.test/qmnames.zip\r\n25544   ISS                       -1.3\r\n");

    TDownloadSettings stored;
    stored.period = 24;
    stored.lastDownload = 44990.0;
    stored.convert = true;
    ASSERT_TRUE(SaveDownloadSettings(data.path, stored));

    TStartUpJob job;
    job.dataFolder = data.path;
    job.elementFolder = tle.path;
    job.autoDownload = true;
    job.nowDay = 45000.0;
    job.locationName = "Home";
    job.config = LoopbackConfig();
    std::vector<std::string> captions;
    job.onCaption = [&](const std::string& c) { captions.push_back(c); };
    auto r = StartUpDownload(job);
    EXPECT_TRUE(r.due);
    EXPECT_TRUE(r.ok);
    EXPECT_NEAR(r.settings.lastDownload, 45000.0, 1e-9);
    TDownloadSettings reread;
    ASSERT_TRUE(LoadDownloadSettings(data.path, reread, 0.0));
    EXPECT_NEAR(reread.lastDownload, 45000.0, 1.0 / 86400) << "the new time is stored";
    EXPECT_EQ(captions, (std::vector<std::string>{"Home - Connecting to Space-Track.", "Home - File Download Completed.",
                                                  "Home - File Conversion...", "Home"}));
    EXPECT_EQ(fx::ReadText(tle / "Plain.tle"), kSet) << "the download is kept beside its conversion";
    EXPECT_EQ(fx::ReadText(tle / "Common_Name_Plain.tle").substr(0, 5), "ISS\r\n");

    // Without Auto-Download nothing connects, whatever the period says.
    const auto hits = server.Hits("/plain.tle");
    job.autoDownload = false;
    job.nowDay = 46000.0;
    captions.clear();
    auto off = StartUpDownload(job);
    EXPECT_FALSE(off.due);
    EXPECT_EQ(server.Hits("/plain.tle"), hits);
}

// The job runs on a worker: it hands the updated Iridium list back and leaves
// IridSat.bin to the window, which may hold another list by then.
TEST(StartUp, UpdatedIridiumListComesBackUnwritten) {
    LoopbackServer server;
    server.Route("/plain.tle", [](const HttpRequest&) { return Text(kSet); });
    fx::TempDir data, tle;
    std::vector<std::string> lines(12, ListLine(false, 0, "Protected", server.Base() + "/x"));
    lines.push_back(ListLine(true, 0, "Plain", server.Base() + "/plain.tle"));
    ASSERT_TRUE(netfiles::WriteLinesAtomic(data / "dwnlist.dat", lines, "\r\n"));
    TDownloadSettings stored;
    stored.period = 24;
    stored.lastDownload = 44990.0;
    stored.updateIrid = true;
    ASSERT_TRUE(SaveDownloadSettings(data.path, stored));

    TSatRec old{};
    const fx::Tle t = fx::MakeTle("25544", 18, 1.0);
    ASSERT_TRUE(MakeSatelliteRecord(old, "ISS (ZARYA)", "25544", 4.0, t.line1, t.line2));
    TStartUpJob job;
    job.dataFolder = data.path;
    job.elementFolder = tle.path;
    job.autoDownload = true;
    job.nowDay = 45000.0;
    job.config = LoopbackConfig();
    job.iridiumSats = {old};
    const TStartUpResult r = StartUpDownload(job);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.iridChanged);
    ASSERT_EQ(r.iridiumSats.size(), 1u);
    EXPECT_GT(r.iridiumSats[0].epoch, old.epoch) << "the newer elements of the download";
    EXPECT_FALSE(std::filesystem::exists(data / "IridSat.bin"));
}

// A batch whose time or count cannot be kept says so: unsaved, the next start
// would fetch all again while this one looked done.
TEST(StartUp, SettingsThatCannotBeKeptAreTold) {
    LoopbackServer server;
    server.Route("/plain.tle", [](const HttpRequest&) { return Text(kSet); });
    fx::TempDir data, tle;
    std::vector<std::string> lines(12, ListLine(false, 0, "Protected", server.Base() + "/x"));
    lines.push_back(ListLine(true, 0, "Plain", server.Base() + "/plain.tle"));
    ASSERT_TRUE(netfiles::WriteLinesAtomic(data / "dwnlist.dat", lines, "\r\n"));
    TDownloadSettings stored;
    stored.period = 24;
    stored.lastDownload = 44990.0;
    ASSERT_TRUE(SaveDownloadSettings(data.path, stored));
    ASSERT_EQ(::chmod((data / kDownloadSettingsFile).c_str(), 0400), 0);
    std::filesystem::create_directory(data / kAutoRecordFile);

    TStartUpJob job;
    job.dataFolder = data.path;
    job.elementFolder = tle.path;
    job.autoDownload = true;
    job.nowDay = 45000.0;
    job.config = LoopbackConfig();
    const TStartUpResult r = StartUpDownload(job);
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(r.report.messages.size(), 2u);
    EXPECT_EQ(r.report.messages[0].title, "File");
    EXPECT_EQ(r.report.messages[0].text, "File: " + data / kAutoRecordFile + " could not be written: is a folder");
    EXPECT_EQ(r.report.messages[1].title, "File");
    EXPECT_EQ(r.report.messages[1].text,
              "File: " + data / kDownloadSettingsFile + " could not be written: the file is read-only");
}

TEST(StartUp, FailedEntriesAreShownAndTriedAgainWhileTheOthersWaitTheirPeriod) {
    LoopbackServer server;
    server.Route("/plain.tle", [](const HttpRequest&) { return Text(kSet); });
    server.Route("/page.tle", [](const HttpRequest&) { return Text("<html><body>Service unavailable</body></html>\n"); });
    fx::TempDir data, tle;
    std::vector<std::string> lines(12, ListLine(false, 0, "Protected", server.Base() + "/x"));
    lines.push_back(ListLine(true, 0, "Plain", server.Base() + "/plain.tle"));
    lines.push_back(ListLine(true, 0, "Page", server.Base() + "/page.tle"));
    lines.push_back(ListLine(true, 0, "Gone", server.Base() + "/gone.tle"));
    ASSERT_TRUE(netfiles::WriteLinesAtomic(data / "dwnlist.dat", lines, "\r\n"));
    TDownloadSettings stored;
    stored.period = 24;
    stored.lastDownload = NowDayNumber() - 2.0;
    ASSERT_TRUE(SaveDownloadSettings(data.path, stored));

    TStartUpJob job;
    job.dataFolder = data.path;
    job.elementFolder = tle.path;
    job.autoDownload = true;
    job.nowDay = NowDayNumber();
    job.config = LoopbackConfig();
    auto r = StartUpDownload(job);
    EXPECT_TRUE(r.ok);
    EXPECT_NEAR(r.settings.lastDownload, stored.lastDownload, 1e-6) << "two entries are not current";
    ASSERT_EQ(r.report.messages.size(), 1u);
    const std::string& text = r.report.messages[0].text;
    EXPECT_EQ(text.rfind("Automatic download: 2 of 3 files could not be updated; they are tried again at the next start.\n"
                         "Page: the download holds no element sets (HTTP 200), previous file kept\nGone: gone, the provider no longer has it (HTTP 404: Not Found); remove the entry from the list",
                         0),
              0u)
        << text;

    // The next start fetches only the two that failed; once all arrive the time moves.
    server.Route("/page.tle", [](const HttpRequest&) { return Text(kSet); });
    server.Route("/gone.tle", [](const HttpRequest&) { return Text(kSet); });
    job.nowDay = NowDayNumber();
    r = StartUpDownload(job);
    EXPECT_TRUE(r.report.messages.empty());
    EXPECT_EQ(server.Hits("/plain.tle"), 1);
    EXPECT_EQ(server.Hits("/page.tle"), 2);
    EXPECT_EQ(server.Hits("/gone.tle"), 2);
    EXPECT_NEAR(r.settings.lastDownload, job.nowDay, 1e-9);
}

}  // namespace
