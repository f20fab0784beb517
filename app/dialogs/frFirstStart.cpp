#include "frFirstStart.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>

#include <algorithm>
#include <cmath>
#include <set>

#include "frCommon.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uInternet.h"
#include "uText.h"
#include "uTimeZone.h"
#include "uUnits.h"
#include "ui_frFirstStart.h"

namespace {

constexpr const char* kLocationsFile = "Locations.dat";
constexpr const char* kZonesFile = "Timezone.dat";
constexpr const char* kDownloadListFile = "dwnlist.dat";
constexpr double kMinHeightM = -500.0, kMaxHeightM = 9000.0;

// The lines of a data file; nothing (and no message) when it cannot be read:
// the user can still type the place in.
std::vector<std::string> DataLines(const std::string& path) {
    std::vector<std::string> lines;
    bool truncated = false;
    ReadFileLines(path, kMaxDataFileBytes, lines, &truncated);
    return lines;
}

bool Number(const QLineEdit* edit, double& value) { return ParseNumber(TrimText(ProgramText(edit->text())), value); }

}  // namespace

TfrFirstStart::TfrFirstStart(const std::string& dataFolder, QWidget* parent)
    : QDialog(parent), Form(std::make_unique<Ui::TfrFirstStart>()) {
    setObjectName("frFirstStart");
    setWindowTitle(kFirstStartTitle);
    setWindowIcon(QApplication::windowIcon());
    BuildUi();

    std::set<std::string> zones;
    for (const std::string& line : DataLines(dataFolder + kLocationsFile)) {
        TLocation loc;
        if (!ParseLocationLine(line, loc)) continue;
        if (!loc.zone.empty()) zones.insert(loc.zone);
        Places.push_back(std::move(loc));
    }
    std::sort(Places.begin(), Places.end(), [](const TLocation& a, const TLocation& b) { return a.name < b.name; });
    for (const std::string& line : DataLines(dataFolder + kZonesFile)) {
        TTimeZone z;
        if (ParseTimezoneLine(line, z) && !z.name.empty()) zones.insert(z.name);
    }
    zones.insert("UTC");
    for (const std::string& z : zones) cb_zone->addItem(WidgetText(z));
    cb_zone->setCurrentText("UTC");

    // The download list's enabled entries: what "Download now" fetches.
    QStringList names;
    for (const TListedDownload& d : ParseDownloadList(DataLines(dataFolder + kDownloadListFile)))
        if (d.enabled && d.usable) names << WidgetText(d.entry.displayName);
    lb_lists->setText(names.isEmpty()
                          ? QString("The download list has no entry switched on; Tools › Internet File Download "
                                    "lets you choose some.")
                          : QString("Download current elements now from the download list's entries: %1?\n"
                                    "Without them the clock starts at the epoch of the bundled element sets.")
                                .arg(names.join(", ")));
    bn_download->setEnabled(!names.isEmpty());
    Search({});
}

TfrFirstStart::~TfrFirstStart() = default;

void TfrFirstStart::BuildUi() {
    Form->setupUi(this);
    Pages = Form->Pages;
    ed_search = Form->ed_place_search;
    ed_name = Form->ed_place_name;
    ed_lat = Form->ed_place_lat;
    ed_lon = Form->ed_place_lon;
    ed_height = Form->ed_place_height;
    cb_zone = Form->cb_place_zone;
    lst_places = Form->lst_places;
    lb_error = Form->lb_place_error;
    lb_lists = Form->lb_download_lists;
    lb_place = Form->lb_place_chosen;
    bn_next = Form->bn_next;
    bn_back = Form->bn_back;
    bn_download = Form->bn_download_now;
    bn_skip = Form->bn_skip;
    FitToScreen(this);

    connect(ed_search, &QLineEdit::textChanged, this, &TfrFirstStart::Search);
    connect(lst_places, &QListWidget::currentRowChanged, this, &TfrFirstStart::ChoosePlace);
    connect(lst_places, &QListWidget::itemActivated, this, [this] { bn_next->click(); });
    connect(bn_next, &QPushButton::clicked, this, [this] {
        if (!ReadFields()) return;
        lb_place->setText(WidgetText("Your place: " + ObserverText(Observer) + ", time zone " +
                                     Observer.zoneName.str() + "."));
        Pages->setCurrentIndex(1);
        (bn_download->isEnabled() ? bn_download : bn_skip)->setFocus();
    });
    connect(bn_back, &QPushButton::clicked, this, [this] { Pages->setCurrentIndex(0); });
    connect(bn_download, &QPushButton::clicked, this, [this] { Finish(true); });
    connect(bn_skip, &QPushButton::clicked, this, [this] { Finish(false); });
}

int TfrFirstStart::matches() const { return lst_places->count(); }

void TfrFirstStart::Search(const QString& text) {
    const std::string needle = UpperText(TrimText(ProgramText(text)));
    const QSignalBlocker block(lst_places);
    lst_places->clear();
    Shown.clear();
    if (needle.empty()) return;
    // Names that start with the text first, then those that hold it.
    for (int pass = 0; pass < 2 && static_cast<int>(Shown.size()) < kMaxPlaceMatches; ++pass) {
        for (std::size_t i = 0; i < Places.size() && static_cast<int>(Shown.size()) < kMaxPlaceMatches; ++i) {
            const std::string name = UpperText(Places[i].name);
            const std::size_t at = name.find(needle);
            if (at == std::string::npos || (pass == 0) != (at == 0)) continue;
            Shown.push_back(static_cast<int>(i));
            const TLocation& p = Places[i];
            lst_places->addItem(WidgetText(p.name + "  (" + p.zone + ")"));
        }
    }
    if (!Shown.empty()) {
        lst_places->setCurrentRow(0);
        ChoosePlace(0);
    }
}

void TfrFirstStart::ChoosePlace(int row) {
    if (row < 0 || row >= static_cast<int>(Shown.size())) return;
    const TLocation& p = Places[static_cast<std::size_t>(Shown[static_cast<std::size_t>(row)])];
    ed_name->setText(WidgetText(std::string(TrimText(p.name)).substr(0, 32)));
    ed_lat->setText(QString::number(p.lat, 'f', 4));
    ed_lon->setText(QString::number(p.lon, 'f', 4));
    ed_height->setText(QString::number(p.height, 'f', 0));
    cb_zone->setCurrentText(WidgetText(p.zone));
    lb_error->clear();
}

bool TfrFirstStart::ReadFields() {
    auto fail = [this](const QString& why, QWidget* field) {
        lb_error->setText(why);
        field->setFocus();
        return false;
    };
    double lat = 0, lon = 0, height = 0;
    if (!Number(ed_lat, lat) || !(std::fabs(lat) <= 90.0))
        return fail("The latitude must be a number of degrees from -90 (south) to 90 (north).", ed_lat);
    if (!Number(ed_lon, lon) || !(std::fabs(lon) <= 180.0))
        return fail("The longitude must be a number of degrees from -180 (west) to 180 (east).", ed_lon);
    if (TrimText(ProgramText(ed_height->text())).empty())
        height = 0.0;
    else if (!Number(ed_height, height) || !(height >= kMinHeightM && height <= kMaxHeightM))
        return fail("The height must be a number of metres from -500 to 9000.", ed_height);
    const std::string zone(TrimText(ProgramText(cb_zone->currentText())));
    if (zone.empty() || zone.size() > 64 || !CheckZoneName(zone))
        return fail(WidgetText("\"" + zone + "\" is not a time zone this computer knows; enter one such as "
                               "Europe/Berlin or America/New_York."),
                    cb_zone);
    std::string name(TrimText(ProgramText(ed_name->text())));
    if (name.empty()) name = "Home";

    TObserver o = DefaultObserver();
    o.name = name;
    o.zoneName = zone;
    o.pos.lat = lat * kDegToRad;
    o.pos.lon = lon * kDegToRad;
    o.pos.height = height * 0.001;
    o.geoidHeight = 0.0;
    for (const TLocation& p : Places)
        if (TrimText(p.name) == name && std::fabs(p.lat - lat) < 1e-4 && std::fabs(p.lon - lon) < 1e-4)
            o.geoidHeight = p.geoidHeight;
    // The fixed offset is the fallback where the zone rules are missing.
    double offset = 0.0;
    if (ZoneOffsetAt(zone, NowDayNumber(), offset)) o.utcOffset = offset;
    UpdateParallax(o);
    Observer = o;
    lb_error->clear();
    return true;
}

void TfrFirstStart::Finish(bool download) {
    Download = download;
    accept();
}
