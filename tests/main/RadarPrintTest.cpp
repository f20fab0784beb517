// The radar window (rotation, the track's first point and its " AOS",
// saving as JPEG) and printing a report to a PDF file.
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <sys/stat.h>

#include "SearchWndTestUtil.h"
#include "frPrinting.h"
#include "frRadar.h"
#include "uPassSearch.h"

namespace {

struct TRadarTest : TSearchWndTest {
    std::unique_ptr<TfrRadarWnd> radar;

    // A pass of the bundled sets over the test site that rises to 10
    // degrees an hour or more into the day, taken from five minutes before,
    // so that the track begins below the horizon.
    TPassRecord EarlyPass() {
        TPredictionControls c;
        c.shownStart = Day2018(22);
        c.shownStop = Day2018(23);
        c.sunlitOnly = false;
        c.dayNight = true;
        const TPredictionInputs in = ReadPredictionInputs(c, 0.0);
        const TPredictionResult r = RunLineSearch(in, BundledSets({"visual.tle"}), session.Observer, 1);
        for (TPassRecord pass : r.passes) {
            if (pass.start < c.shownStart + 1.0 / 24.0) continue;
            pass.start -= 300.0 / 86400.0;
            return pass;
        }
        ADD_FAILURE() << "no pass";
        return {};
    }
    TfrRadarWnd& Open(const std::vector<TPassRecord>& passes) {
        folder.CopyInstalled("SaoStar.bin");
        folder.CopyInstalled("Constellation.bin");
        radar = std::make_unique<TfrRadarWnd>(passes, session.Observer, 0.0, session.Options, folder.path);
        radar->show();
        return *radar;
    }
    QPushButton* Button(const char* name) { return radar->findChild<QPushButton*>(name); }
    void TearDown() override { radar.reset(); }
};

// Pages of a PDF file as its page objects count them.
int PdfPages(const std::string& bytes) {
    int pages = 0;
    for (std::size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
        if (bytes.compare(at, 12, "/Type /Pages") != 0) ++pages;
    return pages;
}

TEST_F(TRadarTest, RotationTurnsTheChartInStepsOfThirty) {
    TfrRadarWnd& w = Open({EarlyPass()});
    auto* spin = w.findChild<QLabel*>("stxt_spin");
    EXPECT_EQ(spin->text(), QString::fromUtf8("180°"));
    const QPoint north = w.drawn().track.front();
    QStringList seen;
    for (int i = 0; i < 8; ++i) {
        QTest::mouseClick(Button("bn_dn"), Qt::LeftButton);
        seen << spin->text();
    }
    EXPECT_EQ(seen.join(' '), QString::fromUtf8("210° 240° 270° 300° 330° 0° 30° 60°"));
    for (int i = 0; i < 2; ++i) QTest::mouseClick(Button("bn_up"), Qt::LeftButton);
    EXPECT_EQ(spin->text(), QString::fromUtf8("0°"));
    // Half a turn: every point of the track lies opposite the chart's centre.
    const int c = w.chart().height() / 2;
    const QPoint south = w.drawn().track.front();
    EXPECT_NEAR(south.x() - c, c - north.x(), 2);
    EXPECT_NEAR(south.y() - c, c - north.y(), 2);
    QTest::mouseClick(Button("bn_up"), Qt::LeftButton);
    EXPECT_EQ(spin->text(), QString::fromUtf8("330°"));
}

TEST_F(TRadarTest, AosStandsAtTheFirstPointAboveTheHorizon) {
    const TPassRecord pass = EarlyPass();
    TfrRadarWnd& w = Open({pass});
    const TRadarDrawn& drawn = w.drawn();
    ASSERT_TRUE(drawn.aos);
    ASSERT_FALSE(drawn.track.empty());
    EXPECT_EQ(drawn.aosLabel, drawn.track.front() + QPoint(0, -8));

    // The first 15-second sample above the rim's horizon, worked out here.
    ASSERT_TRUE(pass.satellite);
    TSatRec sat = *pass.satellite;
    TObserver o = session.Observer;
    TSatState s{};
    int first = -1;
    double alt = 0.0;
    for (int k = 0; first < 0 && k < 40; ++k) {
        const double t = pass.start + k * 15.0 / 86400.0;
        ASSERT_TRUE(PropagateSatellite(sat, s, ObserverFrame(o, t), kFillLookAngles));
        if (s.altaz.alt > -0.015) first = k, alt = s.altaz.alt;
    }
    ASSERT_GT(first, 0) << "the pass was made to start below the horizon";
    // Equal-area projection around the zenith: the radius of a point at
    // altitude alt, with 165 degrees to the chart's height.
    const double h = w.chart().height();
    const double radius = std::sqrt(2.0 * (1.0 - std::sin(alt))) * (180.0 / M_PI) * h / 165.0;
    const QPoint p = drawn.track.front();
    EXPECT_NEAR(std::hypot(p.x() - h / 2, p.y() - h / 2), radius, 2.0);
    int yellow = 0;  // the track's line crosses the marker's centre
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            // Antialiased: the marker's inner pixels are yellow, its rim blends.
            const QColor c = w.chart().pixelColor(p + QPoint(dx, dy));
            yellow += c.red() > 200 && c.green() > 200 && c.blue() < 80;
        }
    EXPECT_GE(yellow, 8) << "a yellow marker";
}

TEST_F(TRadarTest, SavedJpegHoldsTheChartAndAFifoIsRefusedWithoutAHang) {
    TfrRadarWnd& w = Open({EarlyPass()});
    auto save = [&](const std::string& path, bool replace = false) {
        QTest::mouseClick(Button("bn_filesave"), Qt::LeftButton);
        QFileDialog* dialog = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (dialog = w.findChild<QFileDialog*>("SaveImageDialog")) != nullptr; }));
        EXPECT_EQ(dialog->windowTitle(), "Save Image");
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(path));
        // The dialog asks before it names an existing file; the answer comes from its own loop.
        if (replace)
            QTimer::singleShot(300, [] {
                if (auto* ask = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    ask->button(QMessageBox::Yes)->click();
            });
        QTest::keyClick(name, Qt::Key_Return);
        WaitFor([&] { return w.findChild<QFileDialog*>("SaveImageDialog") == nullptr; }, 3000);
    };
    const std::string path = folder / "chart.jpg";
    save(path);
    ASSERT_TRUE(WaitFor([&] { return !folder.Bytes("chart.jpg").empty(); }, 5000));
    QImageReader reader(QString::fromStdString(path));
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.size(), w.chart().size());

    // Nobody reads the FIFO: a direct write would block the window for ever.
    const std::string fifo = folder / "chart.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    QElapsedTimer clock;
    clock.start();
    save(fifo, true);
    const QString message = TakeBox(&w);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(message.startsWith(QString::fromStdString("The chart could not be saved as " + fifo + ": ")))
        << message.toStdString();
    struct stat st{};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(TSearchWndTest, ReportPrintsSixtyOneLinesASheet) {
    TReportLines lines;
    for (int i = 0; i < 130; ++i) lines.push_back("  line " + std::to_string(i));
    auto print = [&](std::size_t count, const std::string& name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(folder / name));
        const TReportLines part(lines.begin(), lines.begin() + static_cast<long>(count));
        const int sheets = PrintReportLines(printer, part, PrintLineRange(part.size(), true, 0, 0));
        EXPECT_EQ(printer.docName(), kPrintJobTitle);
        return std::make_pair(sheets, PdfPages(folder.Bytes(name)));
    };
    EXPECT_EQ(print(130, "130.pdf"), std::make_pair(3, 3));
    EXPECT_EQ(PrintPageCount(130), 3u) << "the dialog's 55-line pages";
    EXPECT_EQ(print(56, "56.pdf"), std::make_pair(1, 1)) << "two dialog pages, one sheet";

    // An image keeps its shape on the page: a wide one fills the width.
    EXPECT_EQ(ImagePageRect(QSize(600, 500), QSize(1200, 2000)), QRect(0, 500, 1200, 1000));
    EXPECT_EQ(ImagePageRect(QSize(500, 600), QSize(2000, 1200)), QRect(500, 0, 1000, 1200));
}

}  // namespace
