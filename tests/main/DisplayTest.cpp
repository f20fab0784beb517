// The main window's polar plot panel and night palette, as a user meets
// them: the chosen satellite's pass on the plot, the palette from the View
// menu kept for the next start, and a settings file that is garbage.
#include <QApplication>
#include <QCheckBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "WindowTestUtil.h"
#include "frPolar.h"
#include "uDisplaySettings.h"
#include "uLabels.h"

#include <algorithm>
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
    // The switch settles: no job left running, no frame drawn over and over.
    ASSERT_TRUE(Settle());
    const long frames = w.framesDrawn();
    QTest::qWait(400);
    EXPECT_TRUE(w.idle());
    EXPECT_LE(w.framesDrawn() - frames, 1) << "redrawn without a change";
    // The view in red on black.
    ASSERT_TRUE(WaitFor([&] {
        const QImage shown = Ui().MainImage->grab().toImage();
        for (int y = 0; y < shown.height(); y += 7)
            for (int x = 0; x < shown.width(); x += 7)
                if (qGreen(shown.pixel(x, y)) > qRed(shown.pixel(x, y)) / 2 + 2) return false;
        return true;
    })) << "a view pixel is not red";
    // The toolbar icons are red too, and their own again by day.
    std::vector<QAction*> icons;
    for (QToolBar* bar : w.findChildren<QToolBar*>()) {
        for (QAction* a : bar->actions())
            if (!a->icon().isNull()) icons.push_back(a);
        const QImage shown = bar->grab().toImage();
        int coloured = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb p = shown.pixel(x, y);
                if (std::max(qGreen(p), qBlue(p)) > qRed(p) / 2 + 2) ++coloured;
            }
        EXPECT_EQ(coloured, 0) << "toolbar " << bar->windowTitle().toStdString();
    }
    ASSERT_FALSE(icons.empty());
    // A check box stands out from the window (the style's own outline is
    // darker than the window, black on near black).
    for (bool checked : {false, true}) {
        QCheckBox box("Visible only");
        box.setChecked(checked);
        box.resize(box.sizeHint());
        QStyleOptionButton option;
        option.initFrom(&box);
        const QRect mark = box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
        const QImage shown = box.grab(mark).toImage();
        int brightest = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) brightest = std::max(brightest, qRed(shown.pixel(x, y)));
        EXPECT_GT(brightest, dark.red() + 80) << "check box " << checked << " hardly seen";
    }

    window.reset();
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), day) << "the palette goes with the window";
    TfrMainWnd& again = Start();
    EXPECT_TRUE(again.nightAction()->isChecked());
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 30);
    again.nightAction()->trigger();
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), day);
    for (QToolBar* bar : again.findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            EXPECT_FALSE(a->property("orbiskDayIcon").isValid()) << a->text().toStdString();
    EXPECT_FALSE(ReadDisplaySettings(folder.Bytes(kDisplaySettingsFile)).nightPalette);
}

TEST_F(TDisplayTest, DockPlacesAndWindowSizeAreKeptAcrossRestartsGarbageIgnored) {
    TTestSat sat;
    folder.Satellites({sat.Record()});
    const TFolders f = ChooseFolders(std::string(ORBISK_PROGRAM_DIR) + "/", folder.path, true, "");
    double clock = Day2018(22, 3);
    QSize size;
    {
        TfrMainWnd& w = Start();
        w.addDockWidget(Qt::LeftDockWidgetArea, w.polarDock());
        w.resize(1100, 760);
        ASSERT_TRUE(Settle());
        size = w.size();
        ASSERT_NE(size, QSize(1000, 700));
        window->close();
        window.reset();
    }
    const TDisplaySettings kept = ReadDisplaySettings(folder.Bytes(kDisplaySettingsFile));
    EXPECT_FALSE(kept.windowGeometry.empty());
    EXPECT_FALSE(kept.windowState.empty());
    window = std::make_unique<TfrMainWnd>(f, &clock);
    EXPECT_TRUE(window->layoutRestored());
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(window->dockWidgetArea(window->polarDock()), Qt::LeftDockWidgetArea);
    window->show();
    ASSERT_TRUE(Settle());
    window->close();
    window.reset();

    // Short, garbage and not base64: the window opens as the first time.
    for (const char* bad : {"window_geometry=AAAA\nwindow_state=AdnQ\n",
                            "window_geometry=3q2+7w==\nwindow_state=////////////////////\n",
                            "window_geometry=%%%\nwindow_state=\x01\x02\n"}) {
        SCOPED_TRACE(bad);
        std::ofstream(folder.path + kDisplaySettingsFile, std::ios::binary) << bad;
        window = std::make_unique<TfrMainWnd>(f, &clock);
        EXPECT_FALSE(window->layoutRestored());
        EXPECT_NE(window->dockWidgetArea(window->polarDock()), Qt::LeftDockWidgetArea);
        window->show();
        EXPECT_TRUE(Settle());
        window->close();
        window.reset();
    }
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
