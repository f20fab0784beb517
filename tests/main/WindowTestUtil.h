// Shared fixtures of the window tests: a data folder made for the test,
// element sets made to order, and a main window started on them.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ElementLines.h"
#include "frMain.h"
#include "frMainWidgets.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uStartup.h"

// Failures show texts, not their code units.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Polls the event loop until done() holds; false after ms milliseconds.
template <class F>
bool WaitFor(F done, int ms = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QTest::qWait(5);
    }
    return true;
}

// A satellite record from element lines made to order: epoch 2018 day 22.0
// unless given; a low orbit unless the mean motion says otherwise.
struct TTestSat {
    std::string name = "TEST SAT";
    std::string catNo = "90001";
    double epochDay = 22.0;           // day of 2018
    double meanMotion = 15.5;         // rev/day
    double meanAnomaly = 325.0288;    // deg
    double inclination = 51.64;       // deg
    std::string ndot = " .00002182";  // columns 34-43: decay estimate
    std::string drag = " 40768-4";    // B*, columns 54-61

    // Line 1 and line 2 with their checksums.
    std::pair<std::string, std::string> Lines() const {
        char l1[80], l2[80];
        std::snprintf(l1, sizeof l1, "1 %5sU 98067A   18%012.8f %s  00000-0 %s 0  999", catNo.c_str(), epochDay,
                      ndot.c_str(), drag.c_str());
        std::snprintf(l2, sizeof l2, "2 %5s %8.4f 247.4627 0006703 130.5360 %8.4f %11.8f 5635", catNo.c_str(),
                      inclination, meanAnomaly, meanMotion);
        return {std::string(l1) + TleChecksum(l1), std::string(l2) + TleChecksum(l2)};
    }
    // The set as three lines of an element file.
    std::string ThreeLines() const {
        const auto [line1, line2] = Lines();
        return name + "\n" + line1 + "\n" + line2 + "\n";
    }

    TSatRec Record(bool selected = true) const {
        const auto [line1, line2] = Lines();
        TSatRec sat{};
        EXPECT_TRUE(MakeSatelliteRecord(sat, name, catNo, 4.0, line1, line2)) << line1 << "\n" << line2;
        sat.selected = selected ? 1 : 0;
        return sat;
    }
};

inline double Day2018(double day, int hour = 0) { return EncodeDayNumber(2018, 1, 1) + day - 1.0 + hour / 24.0; }

// A fresh data folder per test: only what the test puts there.
struct TTestFolder {
    std::string path;  // ends with '/'
    TTestFolder() {
        static int n = 0;
        const auto p = std::filesystem::temp_directory_path() /
                       ("orbisk_main_" + std::to_string(::getpid()) + "_" + std::to_string(n++));
        std::filesystem::remove_all(p);
        std::filesystem::create_directories(p);
        path = p.string() + "/";
    }
    ~TTestFolder() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return path + name; }

    // A file of the installation's data folder.
    void CopyInstalled(const std::string& name) const {
        std::filesystem::copy_file(std::string(ORBISK_PROGRAM_DIR) + "/data/" + name, path + name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    void Satellites(const std::vector<TSatRec>& sats) const { ASSERT_TRUE(SaveCatalogue(sats, path + "MainSat.bin")); }
    std::string Bytes(const std::string& name) const {
        std::string b;
        ReadFileBytes(path + name, 64u << 20, b);
        return b;
    }
};

// The newest visible message box among owner's children: its text, after
// pressing its first button.
inline QString TakeBox(QWidget* owner) {
    QMessageBox* box = nullptr;
    WaitFor([&] {
        const auto boxes = owner->findChildren<QMessageBox*>("MessageBox");
        box = nullptr;
        for (QMessageBox* b : boxes)
            if (b->isVisible()) box = b;
        return box != nullptr;
    }, 5000);
    if (!box) return "(no message)";
    const QString text = box->text();
    QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
    WaitFor([&] { return !box->isVisible(); }, 3000);
    return text;
}

// The file dialog of owner (open-file unless named) answered with path;
// false when none opened.
inline bool AnswerFileDialog(QWidget* owner, const std::string& path, const char* dialogName = "PickFileOpen") {
    QFileDialog* dialog = nullptr;
    if (!WaitFor([&] { return (dialog = owner->findChild<QFileDialog*>(dialogName)) != nullptr; })) return false;
    QLineEdit* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (!name) return false;
    // Typed text would open the path completer's popup, which takes the Return.
    name->setText(QString::fromStdString(path));
    QTest::keyClick(name, Qt::Key_Return);
    return true;
}

// A main window on a test folder, shown and settled.
struct TWindowTest : ::testing::Test {
    TTestFolder folder;
    std::unique_ptr<TfrMainWnd> window;

    // The upcoming-passes dock is closed unless asked for: the view keeps
    // the width the pointer tests were measured on.
    TfrMainWnd& Start(double clock = Day2018(22, 3), bool passesDock = false) {
        const TFolders f = ChooseFolders(std::string(ORBISK_PROGRAM_DIR) + "/", folder.path, true, "");
        window = std::make_unique<TfrMainWnd>(f, &clock);
        if (!passesDock)
            if (auto* dock = window->findChild<QWidget*>("dock_passes")) dock->hide();
        window->resize(1000, 700);
        window->show();
        EXPECT_TRUE(Settle());
        return *window;
    }
    bool Settle() {
        return WaitFor([this] { return window->loaded() && window->idle() && window->framesDrawn() > 0; });
    }
    const TMainWndUi& Ui() const { return window->ui(); }
    QString Panel(int i) const { return Ui().Sb_Main->text(i); }

    // The newest message box of the window: its text, after pressing its OK.
    QString TakeMessage() { return TakeBox(window.get()); }

    void TearDown() override {
        if (window) window->close();
        window.reset();
    }
};
