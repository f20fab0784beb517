// orbisk-render as a script runs it: exit codes, messages, and a picture of
// each view for a 2018 date with the bundled data.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <set>

#include "../common/RunProgram.h"
#include "ViewTestUtil.h"

namespace {
const std::string kRender = std::string(ORBISK_PROGRAM_DIR) + "/orbisk-render";
const std::string kOut = std::string(VIEWS_TEST_OUTPUT) + "/";
const std::string kWhen = " --time '2018-01-22 03:00:00' ";

TProgramRun Render(const std::string& args) { return RunProgram(kRender, args); }

// A picture of the expected size with something in it.
void ExpectPicture(const std::string& path, int w, int h) {
    QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull()) << path;
    EXPECT_EQ(image.width(), w);
    EXPECT_EQ(image.height(), h);
    std::set<QRgb> colours;
    for (int y = 0; y < h; y += 7)
        for (int x = 0; x < w; x += 7) colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 20u) << path;
}
}  // namespace

TEST(RenderCommand, ExitCodesAndMessages) {
    QDir().mkpath(VIEWS_TEST_OUTPUT);
    const TProgramRun help = Render("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--globe-centre"), std::string::npos);

    const TProgramRun bad = Render("--view sideways --out x.png");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.out.find("--view must be map, sky or globe, not 'sideways'"), std::string::npos);
    EXPECT_NE(bad.out.find("Try 'orbisk-render --help'."), std::string::npos);
    EXPECT_EQ(Render("--view map").status, 2);                           // no --out
    EXPECT_EQ(Render("--lat 95 --lon 0 --out x.png").status, 2);         // the predictor's own check
    EXPECT_EQ(Render("--size 10x10 --out x.png").status, 2);
    EXPECT_EQ(Render("--show stars --out x.png").status, 2);

    const TProgramRun missing = Render("--tle /nonexistent/file.tle --lat 45 --lon -75 --out " + kOut + "none.png");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("File: /nonexistent/file.tle not found"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(kOut + "none.png"));
    const TProgramRun unwritable = Render("--lat 45 --lon -75 --size 64x64 --out /nonexistent/dir/x.png");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.out.find("cannot write /nonexistent/dir/x.png: "), std::string::npos);
    EXPECT_EQ(unwritable.out.find("x.png: cannot write"), std::string::npos) << unwritable.out;
    // A FIFO at the target is refused, not replaced, and nothing blocks on it.
    const std::string fifo = kOut + "render.fifo";
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Render("--lat 45 --lon -75 --size 64x64 --out " + fifo).status, 1);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    std::filesystem::remove(fifo);
}

TEST(RenderCommand, EveryViewWithTheBundledData) {
    QDir().mkpath(VIEWS_TEST_OUTPUT);
    const std::string runs[][2] = {
        {"render_map", "--view map --show cities,home,grid,locvis"},
        {"render_sky_radec", "--view sky --orientation radec --show magnitudes,constnames"},
        {"render_sky_altaz", "--view sky --orientation altaz --sky-centre 40,240 --field 100"},
        {"render_globe", "--view globe --show grid,home,locvis"},
    };
    for (const auto& run : runs) {
        const std::string path = kOut + run[0] + ".png";
        std::filesystem::remove(path);
        const TProgramRun r = Render(run[1] + kWhen + "--out '" + path + "'");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out, "");
        ExpectPicture(path, 1280, 720);
    }
}

// A data folder without the city list: reported, and the map still drawn.
TEST(RenderCommand, MissingCitiesAreReportedAndTheMapDrawn) {
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() / ("orbisk_render_" + std::to_string(::getpid()));
    std::filesystem::create_directories(data);
    const std::string path = kOut + "render_map_no_cities.png";
    const TProgramRun r = Render("--data '" + data.string() + "' --tle '" + ORBISK_PROGRAM_DIR +
                          "/tle/stations.tle' --lat 51.5 --lon 0 --size 800x400 --view map --show cities" + kWhen +
                          "--out '" + path + "'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("MapLocations.dat not found"), std::string::npos) << r.out;
    ExpectPicture(path, 800, 400);
    std::filesystem::remove_all(data);
}

TEST(RenderCommand, UnusableSettingsAreNamedAsThePredictionNamesThem) {
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() / ("orbisk_render_bad_" + std::to_string(::getpid()));
    std::filesystem::create_directories(data);
    // A map name of control bytes, everything else zero.
    std::string options(517, '\0');
    options.replace(156, 6, "\x05\x1b[2J\x07");
    std::ofstream(data / "Options.bin", std::ios::binary) << options;
    std::ofstream(data / "Observer.bin", std::ios::binary) << "garbage";
    const std::string path = kOut + "render_bad_settings.png";
    const TProgramRun r = Render("--data '" + data.string() + "' --tle '" + ORBISK_PROGRAM_DIR +
                                 "/tle/stations.tle' --size 320x160 --view map" + kWhen + "--out '" + path + "'");
    EXPECT_EQ(r.status, 0) << r.out;
    const std::string options_ = "orbisk-render: warning: " + (data / "Options.bin").string() + ": unusable ";
    const auto at = r.out.find(options_);
    ASSERT_NE(at, std::string::npos) << r.out;
    EXPECT_NE(r.out.substr(at, r.out.find('\n', at) - at).find(", map, "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("orbisk-render: warning: " + (data / "Observer.bin").string() + ": 7 of 224 bytes, unusable name"),
              std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << "no control bytes reach the terminal";
    std::filesystem::remove_all(data);
}
