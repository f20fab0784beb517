// Start-up and shut-down of the main window on data folders that are new,
// empty or damaged, and the folders and command line of the program.
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <sys/stat.h>

#include <random>

#include "RunProgram.h"
#include "WindowTestUtil.h"
#include "uInitialize.h"

namespace {

TEST_F(TWindowTest, FirstRunWithoutSettingsUsesDefaultsAndWritesThemAtClose) {
    folder.CopyInstalled("MainSat.bin");
    const std::string catalogue = folder.Bytes("MainSat.bin");
    TfrMainWnd& w = Start();
    EXPECT_TRUE(IsRegularFile(folder / "Observer.bin")) << "created at start-up";
    EXPECT_FALSE(IsRegularFile(folder / "Options.bin")) << "written only at close";
    EXPECT_EQ(w.windowTitle(), "Home");
    EXPECT_TRUE(Ui().menu_map->isChecked());
    EXPECT_EQ(Ui().stxt_utc->text(), "LOC");
    EXPECT_EQ(Ui().stxt_step->text(), "1 Sec");
    EXPECT_TRUE(Ui().stxt_hgt->text().endsWith(" km"));
    EXPECT_EQ(Ui().cb_sat1->currentText(), "ISS (ZARYA)");

    w.close();
    EXPECT_EQ(folder.Bytes("Options.bin").size(), kOptionsFileSize);
    EXPECT_EQ(folder.Bytes("MainSat.bin"), catalogue);
}

TEST_F(TWindowTest, EmptyCatalogueShowsNoneAndZeroedReadouts) {
    folder.Satellites({});
    Start();
    EXPECT_EQ(Ui().cb_sat1->count(), 0);
    EXPECT_EQ(Ui().cb_sat2->count(), 0);
    EXPECT_EQ(Panel(1), "None");
    EXPECT_EQ(Panel(3), "None");
    EXPECT_EQ(Ui().stxt_ra->text(), "00h 00m 00s");
    EXPECT_EQ(Ui().stxt_dec->text(), "00d 00m 00s");
    for (QLabel* l : {Ui().stxt_az, Ui().stxt_alt, Ui().stxt_rng, Ui().stxt_hgt}) EXPECT_EQ(l->text(), "00.0");
}

TEST_F(TWindowTest, DecayedFirstSatelliteShowsDecayed) {
    TTestSat heavy;
    heavy.drag = " 50000-0";  // B* 0.5: down within days
    TTestSat other;
    other.catNo = "90002";
    folder.Satellites({heavy.Record(), other.Record()});
    Start(Day2018(22) + 400.0);
    EXPECT_NE(window->session().MainSats[0].decayed, 0);
    EXPECT_EQ(Panel(1), "Decayed");
    EXPECT_EQ(Panel(3), "Decayed");
    EXPECT_EQ(Ui().stxt_ra->text(), "00h 00m 00s");
    EXPECT_EQ(Ui().stxt_rng->text(), "00.0");
    EXPECT_FALSE(Ui().ElementNotice->isVisible()) << "no notice for a satellite that is down";
}

TEST_F(TWindowTest, GarbageOptionsFileStartsWithUsableSettings) {
    folder.CopyInstalled("MainSat.bin");
    std::mt19937 random(7);
    std::string garbage(kOptionsFileSize, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    ASSERT_TRUE(WriteFileAtomic(folder / "Options.bin", garbage));
    TfrMainWnd& w = Start();
    const TOptions& o = w.session().Options;
    EXPECT_GE(o.viewMode, 1);
    EXPECT_LE(o.viewMode, 3);
    EXPECT_TRUE(std::isfinite(o.magLimit));
    EXPECT_EQ(Ui().stxt_step->text(), "1 Sec");
    EXPECT_GT(w.framesDrawn(), 0);
    w.close();
    EXPECT_EQ(folder.Bytes("Options.bin").size(), kOptionsFileSize);
}

TEST_F(TWindowTest, ClosingDuringStartUpLosesNoFile) {
    folder.CopyInstalled("MainSat.bin");
    const std::string catalogue = folder.Bytes("MainSat.bin");
    ASSERT_GT(catalogue.size(), 0u);
    const double clock = Day2018(22);
    const TFolders f = ChooseFolders(std::string(ORBISK_PROGRAM_DIR) + "/", folder.path, true, "");
    window = std::make_unique<TfrMainWnd>(f, &clock);
    // Closed before the loader's result could arrive: nothing loaded, nothing lost.
    window->close();
    window.reset();
    EXPECT_EQ(folder.Bytes("MainSat.bin"), catalogue);
    EXPECT_EQ(folder.Bytes("Options.bin").size(), kOptionsFileSize);
}

TEST_F(TWindowTest, FilesThatCannotBeReadAreNamedAtStartAndNotWrittenAtClose) {
    std::filesystem::create_directory(folder / "MainSat.bin");
    ASSERT_EQ(::mkfifo((folder / kOptionsFile).c_str(), 0644), 0);
    ASSERT_TRUE(WriteFileAtomic(folder / kObserverFile, "garbage"));
    Start();
    const std::string told = TakeMessage().toStdString();
    EXPECT_NE(told.find("File: " + (folder / kOptionsFile) + " is not a regular file (a FIFO); using the default options"),
              std::string::npos) << told;
    EXPECT_NE(told.find("File: " + (folder / "MainSat.bin") + " is a folder; the list starts empty and the file is left as it is"),
              std::string::npos) << told;
    EXPECT_NE(told.find(folder / kObserverFile + ": 7 of 224 bytes, unusable name"), std::string::npos) << told;

    // A save tried at close would be refused and say so in a box of its own.
    QString atClose;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            atClose = box->text();
            box->done(0);
        }
    });
    watch.start(20);
    window->close();
    watch.stop();
    EXPECT_EQ(atClose, "");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "MainSat.bin"));
    EXPECT_TRUE(std::filesystem::is_fifo(folder / kOptionsFile));
    EXPECT_EQ(folder.Bytes(kObserverFile), "garbage");
}

TEST_F(TWindowTest, FailedSaveAtCloseAsksOnlyWhenSomeoneIsThere) {
    for (const bool unattended : {false, true}) {
        Start();
        window->SetUnattended(unattended);
        std::filesystem::create_directory(folder / kOptionsFile);  // the save at close is refused
        QString atClose;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                atClose = box->text();
                box->done(0);
            }
        });
        watch.start(20);
        window->close();
        watch.stop();
        if (unattended) EXPECT_EQ(atClose, "");
        else EXPECT_TRUE(atClose.startsWith("These files could not be saved:")) << atClose.toStdString();
        window.reset();
        std::filesystem::remove(folder / kOptionsFile);
    }
}

TEST(Folders, InstalledProgramKeepsItsDataInTheUsersFolder) {
    const TFolders own = ChooseFolders("/opt/orbisk", "", true, "/home/u/.local/share/");
    EXPECT_EQ(own.data, "/opt/orbisk/data/");
    EXPECT_EQ(own.base, "/opt/orbisk/");
    const TFolders installed = ChooseFolders("/opt/orbisk/", "", false, "/home/u/.local/share/");
    EXPECT_EQ(installed.data, "/home/u/.local/share/orbisk/");
    EXPECT_EQ(installed.base, "/home/u/.local/share/orbisk/") << "element files beside it, in tle/";
    EXPECT_EQ(ChooseFolders("/opt/orbisk/", "/tmp/d", false, "/x/").data, "/tmp/d/");
    EXPECT_EQ(ChooseFolders("/opt/orbisk/", "/tmp/d", true, "/x/").base, "/tmp/d/") << "its own element folder";
    EXPECT_FALSE(ChooseFolders("/opt/orbisk/", "", false, "").message.empty());
}

TEST(Folders, FillingCopiesDataButNeverSettingsOrOverwrites) {
    TTestFolder install, user;
    ASSERT_TRUE(WriteFileAtomic(install / "Mag.dat", "installed"));
    ASSERT_TRUE(WriteFileAtomic(install / "Options.bin", "installer's settings"));
    ASSERT_TRUE(WriteFileAtomic(install / "MainSat.bin", "installed"));
    ASSERT_TRUE(WriteFileAtomic(user / "MainSat.bin", "the user's own"));
    std::string message;
    EXPECT_TRUE(FillFolder(install.path, user.path, message)) << message;
    EXPECT_EQ(user.Bytes("Mag.dat"), "installed");
    EXPECT_FALSE(IsRegularFile(user / "Options.bin"));
    EXPECT_EQ(user.Bytes("MainSat.bin"), "the user's own");
}

TEST(CommandLine, TimeAndDataAreTakenAndMistakesExplained) {
    TCommandLine cl;
    EXPECT_EQ(ParseCommandLine({"--time", "2018-01-22 03:00:00", "--data", "/tmp/x"}, cl), "");
    EXPECT_TRUE(cl.haveTime);
    EXPECT_DOUBLE_EQ(cl.time, EncodeDayNumber(2018, 1, 22, 3));
    EXPECT_EQ(cl.dataDir, "/tmp/x");
    TCommandLine bad;
    EXPECT_NE(ParseCommandLine({"--time", "22/01/2018"}, bad).find("--time must be"), std::string::npos);
    EXPECT_NE(ParseCommandLine({"--time"}, bad), "");
    EXPECT_NE(ParseCommandLine({"--frobnicate"}, bad).find("unknown argument"), std::string::npos);
}

// A data folder given on the command line gets its own copy of the element
// files, and the download window writes there, not into the program's tle/.
TEST_F(TWindowTest, DownloadsGoToTheDataFoldersElementFolder) {
    const TFolders f = ResolveFolders(std::string(ORBISK_PROGRAM_DIR) + "/", folder.path);
    EXPECT_TRUE(IsRegularFile(f.base + "tle/visual.tle"));
    EXPECT_EQ(f.base, folder.path);
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start();
    EXPECT_EQ(w.session().Options.tleFolder.str(), folder / "tle/");
    QTest::keyClick(&w, Qt::Key_F4, Qt::ControlModifier);
    QLineEdit* field = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (field = w.findChild<QLineEdit*>("txt_folder")) != nullptr; }));
    EXPECT_EQ(field->text().toStdString(), folder / "tle/");
}

TEST(CommandLine, ADisplayThatDoesNotAnswerIsSaidAndExitsOne) {
    TTestFolder folder;
    const TProgramRun r = RunProgram("/usr/bin/env", "-u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=:97 '" +
                                                         std::string(ORBISK_PROGRAM_DIR) + "/orbisk' --data '" +
                                                         folder.path + "'");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("no display could be opened"), std::string::npos) << r.out;
}

// Whatever the screen, the windows open inside its available area, large
// enough for their controls.
TEST_F(TWindowTest, WindowsOpenInsideTheScreenAndKeepTheirControlsUsable) {
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start();
    const QRect area = w.screen()->availableGeometry();
    QTest::keyClick(&w, Qt::Key_F5);
    QWidget* prediction = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (prediction = w.findChild<QWidget*>("frPrediction")) && prediction->isVisible(); }));
    EXPECT_TRUE(area.contains(prediction->frameGeometry())) << "frame " << prediction->frameGeometry().y() << " in "
                                                            << area.height();
    EXPECT_GE(prediction->width(), 748);
    prediction->close();

    // Shrunk as far as it goes, the main window still shows every readout whole.
    w.resize(640, 300);
    QTest::qWait(50);
    EXPECT_GE(w.height(), w.minimumHeight());
    for (QLabel* readout : {Ui().stxt_ra, Ui().stxt_dec, Ui().stxt_az, Ui().stxt_alt, Ui().stxt_hgt, Ui().stxt_rng,
                            Ui().stxt_time}) {
        EXPECT_TRUE(readout->isVisible()) << readout->objectName().toStdString();
        EXPECT_GE(readout->height(), readout->minimumSizeHint().height()) << readout->objectName().toStdString();
        const QRect inWindow(readout->mapTo(&w, QPoint(0, 0)), readout->size());
        EXPECT_TRUE(w.rect().contains(inWindow)) << readout->objectName().toStdString();
    }
}

}  // namespace
