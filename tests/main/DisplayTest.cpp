// The main window's polar plot panel and night palette, as a user meets
// them: the chosen satellite's pass on the plot, the palette from the View
// menu kept for the next start, and a settings file that is garbage.
#include <QApplication>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>

#include "WindowTestUtil.h"
#include "frPolar.h"
#include "uDisplaySettings.h"
#include "uLabels.h"

#include <fstream>

namespace {

struct TDisplayTest : TWindowTest {
    QAction* ViewMenuEntry(const QString& text) {
        auto* view = window->menuBar()->findChild<QMenu*>("mn_view");
        if (!view) return nullptr;
        for (QAction* a : view->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
};

TEST_F(TDisplayTest, PolarPlotShowsTheChosenSatellitesPass) {
    TTestSat sat;
    folder.Satellites({sat.Record()});
    TfrMainWnd& w = Start();
    ASSERT_TRUE(w.polarDock()->isVisible());
    ASSERT_TRUE(WaitFor([&] { return w.polarPlot()->scene().track.size() > 2; }))
        << w.polarPlot()->scene().heading;
    const TPolarScene& scene = w.polarPlot()->scene();
    EXPECT_EQ(scene.title, "TEST SAT");
    // The track runs from rise to set: on the horizon at both ends, up between.
    EXPECT_NEAR(scene.track.front().t, w.session().NextRise, 1e-9);
    EXPECT_NEAR(scene.track.back().t, w.session().NextSet, 1e-9);
    EXPECT_NEAR(scene.track.front().elevation, 0.0, 0.5 * kDegToRad);
    EXPECT_NEAR(scene.track.back().elevation, 0.0, 0.5 * kDegToRad);
    const double top = std::max_element(scene.track.begin(), scene.track.end(), [](auto& a, auto& b) {
                           return a.elevation < b.elevation;
                       })->elevation;
    EXPECT_GT(top, 1.0 * kDegToRad);
    EXPECT_EQ(scene.haveNow, scene.heading == "Pass now");

    QImage image;
    const TPolarDrawn drawn = w.polarPlot()->Render(image);
    EXPECT_FALSE(drawn.marks.empty());
    EXPECT_TRUE(NoneOverlap(drawn.labels));

    // Hidden from the View menu and kept so.
    QAction* entry = ViewMenuEntry("Polar Plot");
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    EXPECT_FALSE(w.polarDock()->isVisible());
    EXPECT_FALSE(ReadDisplaySettings(folder.Bytes(kDisplaySettingsFile)).polarPlot);
}

TEST_F(TDisplayTest, NightPaletteFromTheViewMenuIsKeptForTheNextStart) {
    TTestSat sat;
    folder.Satellites({sat.Record()});
    TfrMainWnd& w = Start();
    const QColor day = QApplication::palette().color(QPalette::Window);
    QAction* night = ViewMenuEntry("Night Palette");
    ASSERT_NE(night, nullptr);
    night->trigger();
    const QColor dark = QApplication::palette().color(QPalette::Window);
    EXPECT_LT(dark.lightness(), 30);
    EXPECT_GT(QApplication::palette().color(QPalette::WindowText).red(),
              4 * QApplication::palette().color(QPalette::WindowText).green());
    EXPECT_TRUE(w.frame().night);
    EXPECT_TRUE(w.polarPlot()->scene().night);
    EXPECT_TRUE(ReadDisplaySettings(folder.Bytes(kDisplaySettingsFile)).nightPalette);
    // The view in red on black.
    ASSERT_TRUE(WaitFor([&] {
        const QImage shown = Ui().MainImage->grab().toImage();
        for (int y = 0; y < shown.height(); y += 7)
            for (int x = 0; x < shown.width(); x += 7)
                if (qGreen(shown.pixel(x, y)) > qRed(shown.pixel(x, y)) / 2 + 2) return false;
        return true;
    })) << "a view pixel is not red";

    window.reset();
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), day) << "the palette goes with the window";
    TfrMainWnd& again = Start();
    EXPECT_TRUE(again.nightAction()->isChecked());
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 30);
    again.nightAction()->trigger();
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), day);
    EXPECT_FALSE(ReadDisplaySettings(folder.Bytes(kDisplaySettingsFile)).nightPalette);
}

TEST_F(TDisplayTest, GarbageDisplaySettingsStartWithTheDefaults) {
    std::vector<std::string> notes;
    const TDisplaySettings s = ReadDisplaySettings("night_palette=maybe\n\x01\x02garbage\npolar_plot = 0\n", &notes);
    EXPECT_FALSE(s.nightPalette);
    EXPECT_FALSE(s.polarPlot);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("line 1"), std::string::npos) << notes[0];
    EXPECT_EQ(ReadDisplaySettings(DisplaySettingsText({true, false})).nightPalette, true);

    std::ofstream(folder.path + kDisplaySettingsFile, std::ios::binary) << std::string(5000, '\xff');
    TTestSat sat;
    folder.Satellites({sat.Record()});
    TfrMainWnd& w = Start();
    EXPECT_FALSE(w.nightAction()->isChecked());
    EXPECT_TRUE(w.polarDock()->isVisible());
}

}  // namespace
