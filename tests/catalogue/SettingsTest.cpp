#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "uFileIO.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "../TempDirTest.h"

namespace fs = std::filesystem;

namespace {

class Settings : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        data_ = dir_.string() + "/";
    }
    static std::string Random(std::size_t n, unsigned seed) {
        std::mt19937 rng(seed);
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        return s;
    }
    std::string data_;
    const std::string program_ = "/opt/orbisk/";
};

bool SameBytes(const void* a, const void* b, std::size_t n) { return std::memcmp(a, b, n) == 0; }

void ExpectSane(const TOptions& o, const TMenuSettings& m) {
    EXPECT_GE(o.shadowAlpha, 0);
    EXPECT_LE(o.shadowAlpha, 255);
    EXPECT_GE(o.viewMode, 1);
    EXPECT_LE(o.viewMode, 3);
    EXPECT_GE(o.skySatAgeDays, 1);
    EXPECT_LE(o.skySatAgeDays, 30);
    for (double v : {o.magLimit, o.starMagBase, o.skyField, o.globeZoom, o.temperature, o.pressure, m.skyCentreAlt,
                     m.skyCentreAz})
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_LE(o.fontName.len, 64);
    EXPECT_GT(o.mapFile.len, 0);
    EXPECT_EQ(o.mapFile.view().find('/'), std::string_view::npos);
    ASSERT_GT(o.tleFolder.len, 0);
    EXPECT_EQ(o.tleFolder.view().back(), '/');
    for (uint8_t b : m.checked) EXPECT_LE(b, 1);
}

TEST_F(Settings, OptionsDefaultsWhenMissingAndNothingWritten) {
    TOptions o;
    TMenuSettings m;
    std::memset(&o, 0xCC, sizeof o);
    EXPECT_FALSE(LoadOptions(data_, program_, o, m));
    EXPECT_FALSE(fs::exists(Path(kOptionsFile)));
    EXPECT_EQ(o.gridColour, 0xFFFFFFFFu);
    EXPECT_EQ(o.homeColour, 0xFF000000u);
    EXPECT_EQ(o.trackColour, 0xFFFFFF00u);
    EXPECT_EQ(o.shadowAlpha, 114);
    EXPECT_EQ(o.trackHours, 5);
    EXPECT_EQ(o.fontSize, 8);
    EXPECT_EQ(o.viewMode, 1);
    EXPECT_EQ(o.skySatAgeDays, 15);
    EXPECT_EQ(o.magLimit, 7.0);
    EXPECT_EQ(o.starMagBase, 5.0);
    EXPECT_EQ(o.skyField, 75.0);
    EXPECT_EQ(o.globeZoom, std::numbers::pi);
    EXPECT_EQ(o.temperature, 15.0);
    EXPECT_EQ(o.pressure, 1010.0);
    EXPECT_EQ(o.metric, 1);
    EXPECT_EQ(o.utcDisplay, 0);
    EXPECT_EQ(o.autoDownload, 0);
    EXPECT_EQ(o.fontName.str(), "Courier New");
    EXPECT_EQ(o.mapFile.str(), "Real_Color_x.jpg");
    EXPECT_EQ(o.tleFolder.str(), "/opt/orbisk/tle/");
    EXPECT_EQ(o.magPhase | o.extinctionOn | o.extinctionCenti, 0);  // never uninitialised bytes
    for (int k = 0; k < kMenuItemCount; ++k) {
        bool on = k == kMenuSatVis || k == kMenuTracks || k == kMenuShowLabel || k == kMenuConstellations;
        EXPECT_EQ(m.checked[k], on ? 1 : 0) << k;
    }
    EXPECT_EQ(m.skyCentreAlt, 0.5);
    EXPECT_EQ(m.skyCentreAz, std::numbers::pi);
}

TEST_F(Settings, OptionsRoundTripByteForByte) {
    TOptions o = DefaultOptions(program_);
    TMenuSettings m = DefaultMenuSettings();
    o.viewMode = 2;
    o.metric = 0;
    o.utcDisplay = 1;
    o.pressure = 990.5;
    o.mapFile = "Other_map.jpg";
    o.tleFolder = "/home/me/elements/";
    m.checked[kMenuGrids] = 1;
    m.checked[kMenuTracks] = 0;
    m.skyCentreAlt = 0.25;
    m.skyCentreAz = 1.5;
    ASSERT_TRUE(SaveOptions(data_, o, m));
    ASSERT_EQ(fs::file_size(Path(kOptionsFile)), 517u);
    std::string file;
    ASSERT_TRUE(ReadFileBytes(Path(kOptionsFile), 1000, file));
    EXPECT_TRUE(SameBytes(file.data(), &o, sizeof o));
    EXPECT_EQ(file[480 + kMenuGrids], 1);
    double alt;
    std::memcpy(&alt, file.data() + 501, 8);
    EXPECT_EQ(alt, 0.25);

    TOptions o2;
    TMenuSettings m2;
    ASSERT_TRUE(LoadOptions(data_, "/elsewhere/", o2, m2));
    EXPECT_TRUE(SameBytes(&o, &o2, sizeof o));
    EXPECT_TRUE(SameBytes(m.checked, m2.checked, sizeof m.checked));
    EXPECT_EQ(m2.skyCentreAlt, 0.25);
    EXPECT_EQ(m2.skyCentreAz, 1.5);
}

TEST_F(Settings, ShortGarbageAndOversizedOptionsFiles) {
    TOptions saved = DefaultOptions(program_);
    saved.viewMode = 3;
    saved.trackHours = 9;
    TMenuSettings menu = DefaultMenuSettings();
    ASSERT_TRUE(SaveOptions(data_, saved, menu));
    std::string full;
    ReadFileBytes(Path(kOptionsFile), 1000, full);

    // Cut inside the font name: fields before it are read, the rest default.
    Write(kOptionsFile, full.substr(0, 100));
    TOptions o;
    TMenuSettings m;
    EXPECT_TRUE(LoadOptions(data_, program_, o, m));
    EXPECT_EQ(o.viewMode, 3);
    EXPECT_EQ(o.trackHours, 9);
    EXPECT_EQ(o.fontName.str(), "Courier New");
    EXPECT_EQ(o.tleFolder.str(), "/opt/orbisk/tle/");
    EXPECT_EQ(m.skyCentreAz, std::numbers::pi);

    Write(kOptionsFile, "");
    EXPECT_TRUE(LoadOptions(data_, program_, o, m));
    EXPECT_EQ(o.viewMode, 1);

    Write(kOptionsFile, full + Random(5000, 1));
    EXPECT_TRUE(LoadOptions(data_, program_, o, m));
    EXPECT_EQ(o.viewMode, 3);

    for (unsigned seed = 1; seed <= 50; ++seed) {
        Write(kOptionsFile, Random(517, seed));
        LoadOptions(data_, program_, o, m);
        ExpectSane(o, m);
    }
    // A map name that tries to leave the map folder is refused.
    TOptions sneaky = saved;
    sneaky.mapFile = "../../etc/passwd";
    ASSERT_TRUE(SaveOptions(data_, sneaky, menu));
    LoadOptions(data_, program_, o, m);
    EXPECT_EQ(o.mapFile.str(), "Real_Color_x.jpg");
}

TEST_F(Settings, ObserverCreatedAtFirstLoad) {
    TObserver ob;
    std::memset(&ob, 0xCC, sizeof ob);
    EXPECT_FALSE(LoadObserver(data_, ob));
    ASSERT_TRUE(fs::exists(Path(kObserverFile)));
    EXPECT_EQ(fs::file_size(Path(kObserverFile)), 224u);
    EXPECT_EQ(ob.name.str(), "Home");
    EXPECT_EQ(ob.zoneName.str(), "Greenwich (Coordinated Universal) Time");
    EXPECT_EQ(ob.pos.lat, 0.933);
    EXPECT_EQ(ob.pos.lon, -1.18);
    EXPECT_EQ(ob.pos.height, 1.0);
    EXPECT_EQ(ob.geoidHeight, 1.0);
    EXPECT_EQ(ob.utcOffset, 0.0);
    EXPECT_NEAR(ob.pos.lat * 180 / std::numbers::pi, 53.457, 1e-3);
    // Distances from the axis and the equator plane: about (R + h) cos/sin of
    // the geocentric latitude, a few km less than the geodetic one.
    const double r = std::hypot(ob.rhoCos, ob.rhoSin);
    EXPECT_NEAR(r, 6365.0, 10.0);
    EXPECT_NEAR(std::atan2(ob.rhoSin, ob.rhoCos), 0.933 - 0.0033, 0.001);
    EXPECT_EQ(ob.pad0[0] | ob.pad0[5], 0);

    TObserver again;
    EXPECT_TRUE(LoadObserver(data_, again));
    EXPECT_TRUE(SameBytes(&ob, &again, sizeof ob));
}

TEST_F(Settings, ObserverRoundTripAndBadFiles) {
    TObserver ob = DefaultObserver();
    ob.name = "Somewhere far";
    ob.pos = TLatLon{-0.6, 2.5, 0.2};
    ob.utcOffset = 10.0 / 24;
    ob.rhoCos = 1.0;  // stale; saving recomputes it
    ASSERT_TRUE(SaveObserver(data_, ob));
    EXPECT_GT(ob.rhoCos, 5000.0);
    TObserver back;
    ASSERT_TRUE(LoadObserver(data_, back));
    EXPECT_TRUE(SameBytes(&ob, &back, sizeof ob));

    std::string full;
    ReadFileBytes(Path(kObserverFile), 1000, full);
    Write(kObserverFile, full.substr(0, 150));  // name, zone, part of the position
    ASSERT_TRUE(LoadObserver(data_, back));
    EXPECT_EQ(back.name.str(), "Somewhere far");
    EXPECT_EQ(back.pos.lat, 0.933);
    EXPECT_EQ(back.utcOffset, 0.0);

    for (unsigned seed = 1; seed <= 50; ++seed) {
        Write(kObserverFile, Random(224 + seed % 3 * 100, seed));
        LoadObserver(data_, back);
        EXPECT_LE(std::fabs(back.pos.lat), std::numbers::pi / 2);
        EXPECT_TRUE(std::isfinite(back.rhoCos) && std::isfinite(back.rhoSin) && std::isfinite(back.vect.x));
        EXPECT_LE(std::fabs(back.utcOffset), 1.0);
    }
    // A garbage file is not replaced by the load; only a missing one is created.
    EXPECT_EQ(fs::file_size(Path(kObserverFile)), 224u + 50 % 3 * 100);
}

TEST_F(Settings, UnusableFilesAreNamedWithTheDefaultsThatReplaceThem) {
    std::vector<std::string> w;
    TObserver ob = DefaultObserver();
    ASSERT_TRUE(SaveObserver(data_, ob));
    EXPECT_TRUE(LoadObserver(data_, ob, &w));
    EXPECT_TRUE(w.empty()) << "a good file is read in silence";

    Write(kObserverFile, "");
    LoadObserver(data_, ob, &w);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], Path(kObserverFile) + ": empty file, unusable name, time zone, position, geoid height, UTC offset; "
                    "using the defaults \"Home\", \"Greenwich (Coordinated Universal) Time\", 53.4570 N 67.6090 W "
                    "1.000 km, 1, 0 h");
    ob.pos.lat = std::nan("");
    std::string bytes(sizeof ob, '\0');
    std::memcpy(bytes.data(), &ob, sizeof ob);
    Write(kObserverFile, bytes);
    w.clear();
    LoadObserver(data_, ob, &w);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], Path(kObserverFile) + ": unusable position; using the default 53.4570 N 67.6090 W 1.000 km");

    TOptions o;
    TMenuSettings m;
    Write(kOptionsFile, Random(100, 3));
    w.clear();
    LoadOptions(data_, program_, o, m, &w);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].rfind(Path(kOptionsFile) + ": 100 of 517 bytes, unusable ", 0), 0u) << w[0];

    Write(kDownloadSettingsFile, "[InternetInfo]\nPeriod=-5\nUpdateMain=1\n");
    TDownloadSettings d;
    w.clear();
    LoadDownloadSettings(data_, d, 42.0, &w);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], Path(kDownloadSettingsFile) + ": unusable Period \"-5\"; using the default 24");
}

TEST_F(Settings, DownloadSettingsDefaultsCreationAndMode) {
    const double now = EncodeDayNumber(2026, 3, 4, 5, 6, 7, 890);
    TDownloadSettings s;
    EXPECT_FALSE(LoadDownloadSettings(data_, s, now));
    EXPECT_EQ(s.user, "");
    EXPECT_EQ(s.password, "");
    EXPECT_EQ(s.period, 24);
    EXPECT_FALSE(s.updateMain || s.updateIrid || s.convert);
    EXPECT_EQ(s.lastDownload, now);
    ASSERT_TRUE(fs::exists(Path(kDownloadSettingsFile)));
    struct stat st {};
    ASSERT_EQ(::stat(Path(kDownloadSettingsFile).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    TDownloadSettings back;
    EXPECT_TRUE(LoadDownloadSettings(data_, back, now + 100));
    EXPECT_NEAR(back.lastDownload, now, 1e-3 / 86400);
}

TEST_F(Settings, DownloadSettingsRoundTripAndHandEditedFiles) {
    TDownloadSettings s;
    s.user = "observer@example.org";
    s.password = " p=a\"ss; #word ";
    s.period = 6;
    s.updateMain = true;
    s.convert = true;
    s.lastDownload = EncodeDayNumber(2025, 12, 31, 23, 59, 59, 999);
    Write(kDownloadSettingsFile, "old");
    ::chmod(Path(kDownloadSettingsFile).c_str(), 0644);
    ASSERT_TRUE(SaveDownloadSettings(data_, s));
    struct stat st {};
    ::stat(Path(kDownloadSettingsFile).c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    TDownloadSettings b;
    ASSERT_TRUE(LoadDownloadSettings(data_, b, 0.0));
    EXPECT_EQ(b.user, s.user);
    EXPECT_EQ(b.password, s.password);
    EXPECT_EQ(b.period, 6);
    EXPECT_TRUE(b.updateMain);
    EXPECT_FALSE(b.updateIrid);
    EXPECT_TRUE(b.convert);
    EXPECT_NEAR(b.lastDownload, s.lastDownload, 1e-3 / 86400);

    Write(kDownloadSettingsFile,
          "; edited by hand\r\n[Other]\r\nPeriod=3\r\n[internetinfo]\r\n user = bob \r\nUpdateIrid=True\r\n"
          "Period=-5\r\nTime=yesterday\r\nConvert=maybe\r\n");
    ASSERT_TRUE(LoadDownloadSettings(data_, b, 42.0));
    EXPECT_EQ(b.user, "bob");
    EXPECT_EQ(b.period, 24);
    EXPECT_TRUE(b.updateIrid);
    EXPECT_FALSE(b.convert);
    EXPECT_EQ(b.lastDownload, 42.0);

    Write(kDownloadSettingsFile, Random(3000, 9));
    ASSERT_TRUE(LoadDownloadSettings(data_, b, 42.0));
    EXPECT_EQ(b.period, 24);
}

TEST_F(Settings, UnreadableSettingsAreToldAndNotReplacedByTheirDefaults) {
    fs::create_directory(Path(kOptionsFile));
    ASSERT_EQ(::mkfifo(Path(kDownloadSettingsFile).c_str(), 0600), 0);
    std::vector<std::string> w;
    TOptions o;
    TMenuSettings m;
    TDownloadSettings d;
    EXPECT_FALSE(LoadOptions(data_, program_, o, m, &w));
    EXPECT_FALSE(LoadDownloadSettings(data_, d, 42.0, &w));
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0], "File: " + Path(kOptionsFile) + " is a folder; using the default options");
    EXPECT_EQ(w[1], "File: " + Path(kDownloadSettingsFile) + " is not a regular file (a FIFO); using the default download settings");
    struct stat st {};
    ASSERT_EQ(::lstat(Path(kDownloadSettingsFile).c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // The savers under a guard of a file that could not be read.
    fs::remove(Path(kOptionsFile));
    fs::remove(Path(kDownloadSettingsFile));
    Write(kOptionsFile, "custom");
    Write(kDownloadSettingsFile, "[InternetInfo]\nUser=me\n");
    TReadGuard options, download;
    options.Loaded(false, OptionsFileBytes(o, m));
    download.Loaded(false, DownloadSettingsText(d));
    EXPECT_TRUE(SaveOptions(data_, o, m, &options));
    EXPECT_TRUE(SaveDownloadSettings(data_, d, &download));
    std::string bytes;
    ReadFileBytes(Path(kOptionsFile), 1024, bytes);
    EXPECT_EQ(bytes, "custom");
    ReadFileBytes(Path(kDownloadSettingsFile), 1024, bytes);
    EXPECT_EQ(bytes, "[InternetInfo]\nUser=me\n");
    o.magLimit = 3.5;
    d.password = " pass phrase ";
    EXPECT_TRUE(SaveOptions(data_, o, m, &options));
    EXPECT_TRUE(SaveDownloadSettings(data_, d, &download));
    EXPECT_TRUE(LoadOptions(data_, program_, o, m));
    EXPECT_EQ(o.magLimit, 3.5);
    EXPECT_TRUE(LoadDownloadSettings(data_, d, 42.0));
    EXPECT_EQ(d.password, " pass phrase ") << "a password keeps its blanks";
}

TEST_F(Settings, NamesWithControlCharactersAreNotTaken) {
    TOptions o = DefaultOptions(program_);
    o.mapFile = std::string("map\x1b[2J.jpg");
    o.fontName = std::string("Mono\x07");
    ASSERT_TRUE(SaveOptions(data_, o, DefaultMenuSettings()));
    std::vector<std::string> w;
    TMenuSettings m;
    LoadOptions(data_, program_, o, m, &w);
    EXPECT_EQ(o.mapFile.str(), "Real_Color_x.jpg");
    EXPECT_EQ(o.fontName.str(), "Courier New");
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], Path(kOptionsFile) + ": unusable font, map; using the defaults");
}

}  // namespace
