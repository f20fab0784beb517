#include "frHorizon.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "frCommon.h"
#include "frPickFile.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uText.h"

namespace {
// The import formats, in the order of cb_format.
struct TImportChoice {
    const char* text;
    THorizonAngles angles;
    bool radians;
};
constexpr TImportChoice kImportChoices[] = {
    {"By file name (.csv: CSV, else degrees)", THorizonAngles::kAltitude, false},
    {"Azimuth, altitude in degrees", THorizonAngles::kAltitude, false},
    {"Azimuth, zenith distance in degrees", THorizonAngles::kZenithDistance, false},
    {"Azimuth, altitude in radians", THorizonAngles::kAltitude, true},
    {"Azimuth, zenith distance in radians", THorizonAngles::kZenithDistance, true},
};

QString Cell(double value) { return QString::number(value, 'g', 12); }
}  // namespace

TfrHorizonWnd::TfrHorizonWnd(const std::string& dataFolder, const std::string& observerName, QWidget* parent)
    : QDialog(parent), DataFolder(dataFolder), Path(ObserverHorizonPath(dataFolder, observerName)) {
    setObjectName("frHorizon");
    setWindowTitle(WidgetText("Horizon Mask - " + observerName));
    BuildUi();
    std::string error, note;
    if (const THorizonHandle mask = LoadObserverHorizon(dataFolder, observerName, &error, &note)) {
        ShowMask(*mask);
        Tell(note.empty() ? "From " + Path : note);
    } else if (!error.empty()) {
        Tell(error);
        ShowMessageBox(this, error + "\nSave replaces it with the table.");
    } else {
        Tell("No mask yet: satellites count as visible down to the minimum elevation.");
    }
}

void TfrHorizonWnd::BuildUi() {
    tbl_points = Named<QTableWidget>(this, "tbl_points", 0, 2);
    tbl_points->setHorizontalHeaderLabels({WidgetText("Azimuth (\xB0)"), WidgetText("Altitude (\xB0)")});
    tbl_points->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tbl_points->verticalHeader()->setVisible(false);
    tbl_points->setSelectionBehavior(QAbstractItemView::SelectRows);
    nm_floor = Named<QDoubleSpinBox>(this, "nm_floor");
    nm_floor->setRange(0.0, 90.0);
    nm_floor->setDecimals(1);
    nm_floor->setSuffix(WidgetText("\xB0"));
    cb_format = Named<QComboBox>(this, "cb_format");
    for (const TImportChoice& c : kImportChoices) cb_format->addItem(c.text);
    bn_add = NewButton(this, "bn_add", "Add");
    bn_remove = NewButton(this, "bn_remove", "Remove");
    bn_import = NewButton(this, "bn_import", "Import...");
    bn_export = NewButton(this, "bn_export", "Export...");
    bn_save = NewButton(this, "bn_save", "Save");
    bn_close = NewButton(this, "bn_close", "Close");
    lb_status = Named<QLabel>(this, "lb_status");
    lb_status->setWordWrap(true);

    auto* rows = new QHBoxLayout;
    rows->addWidget(bn_add);
    rows->addWidget(bn_remove);
    rows->addStretch(1);
    auto* form = new QGridLayout;
    form->addWidget(new QLabel("Floor (lowest limit everywhere)", this), 0, 0);
    form->addWidget(nm_floor, 0, 1);
    form->addWidget(new QLabel("Import as", this), 1, 0);
    form->addWidget(cb_format, 1, 1);
    auto* files = new QHBoxLayout;
    files->addWidget(bn_import);
    files->addWidget(bn_export);
    files->addStretch(1);
    files->addWidget(bn_save);
    files->addWidget(bn_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Points of the horizon, linear between them (a step: two points at one azimuth)", this));
    layout->addWidget(tbl_points, 1);
    layout->addLayout(rows);
    layout->addLayout(form);
    layout->addWidget(lb_status);
    layout->addLayout(files);
    resize(460, 520);
    FitToScreen(this);

    connect(bn_add, &QPushButton::clicked, this, [this] {
        // After the chosen row, or at the end.
        const int at = tbl_points->currentRow() >= 0 ? tbl_points->currentRow() + 1 : tbl_points->rowCount();
        tbl_points->insertRow(at);
        tbl_points->setItem(at, 0, new QTableWidgetItem("0"));
        tbl_points->setItem(at, 1, new QTableWidgetItem("0"));
        tbl_points->setCurrentCell(at, 0);
    });
    connect(bn_remove, &QPushButton::clicked, this, [this] {
        std::set<int, std::greater<int>> chosen;
        for (const QModelIndex& i : tbl_points->selectionModel()->selectedRows()) chosen.insert(i.row());
        if (chosen.empty() && tbl_points->currentRow() >= 0) chosen.insert(tbl_points->currentRow());
        for (int r : chosen) tbl_points->removeRow(r);
    });
    connect(bn_import, &QPushButton::clicked, this, [this] {
        PickFile(this, kPickHorizonOpen, DataFolder, [this](const std::string& path) { ImportFile(path); });
    });
    connect(bn_export, &QPushButton::clicked, this, [this] {
        PickFile(this, kPickHorizonSave, DataFolder, [this](const std::string& path) { ExportFile(path); });
    });
    connect(bn_save, &QPushButton::clicked, this, [this] { SaveMask(); });
    connect(bn_close, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrHorizonWnd::Tell(const std::string& text) { lb_status->setText(WidgetText(text)); }

bool TfrHorizonWnd::Refuse(const std::string& text) {
    Tell(text);
    ShowMessageBox(this, text);
    return false;
}

bool TfrHorizonWnd::ReadMask(THorizonMask& mask, std::string& why) const {
    std::vector<THorizonPoint> points;
    for (int r = 0; r < tbl_points->rowCount(); ++r) {
        double v[2] = {0.0, 0.0};
        for (int c = 0; c < 2; ++c) {
            const QTableWidgetItem* item = tbl_points->item(r, c);
            const std::string text(TrimText(item ? ProgramText(item->text()) : std::string()));
            const double lo = c == 0 ? 0.0 : -90.0, hi = c == 0 ? 360.0 : 90.0;
            if (!ParseNumber(text, v[c]) || v[c] < lo || v[c] > hi) {
                why = "Row " + std::to_string(r + 1) + ": the " + (c == 0 ? "azimuth" : "altitude") + " '" + text +
                      "' is not a number from " + std::to_string(static_cast<int>(lo)) + " to " +
                      std::to_string(static_cast<int>(hi));
                return false;
            }
        }
        points.push_back({v[0], v[1]});
    }
    mask = THorizonMask(std::move(points), nm_floor->value());
    return true;
}

void TfrHorizonWnd::ShowMask(const THorizonMask& mask) {
    tbl_points->setRowCount(0);
    for (const THorizonPoint& p : mask.Points()) {
        const int r = tbl_points->rowCount();
        tbl_points->insertRow(r);
        tbl_points->setItem(r, 0, new QTableWidgetItem(Cell(p.azimuth)));
        tbl_points->setItem(r, 1, new QTableWidgetItem(Cell(p.altitude)));
    }
    nm_floor->setValue(mask.FloorDegrees());
}

THorizonFormat TfrHorizonWnd::ImportFormat(const std::string& path) const {
    const int k = cb_format->currentIndex();
    if (k <= 0) return HorizonFormatForName(path);
    THorizonFormat f;
    f.angles = kImportChoices[k].angles;
    f.radians = kImportChoices[k].radians;
    return f;
}

bool TfrHorizonWnd::ImportFile(const std::string& path) {
    const THorizonRead read = ReadHorizonFile(path, ImportFormat(path));
    if (!read.ok) {
        return Refuse("The horizon mask " + path + " cannot be read: " + read.error);
    }
    ShowMask(read.mask);
    const std::string skipped = SkippedLinesText(read);
    Tell("Imported " + std::to_string(read.mask.Points().size()) + " points from " + path +
         (skipped.empty() ? "" : "; " + skipped) + ". Save keeps them.");
    return true;
}

bool TfrHorizonWnd::ExportFile(const std::string& path) {
    THorizonMask mask;
    std::string why;
    if (!ReadMask(mask, why)) {
        return Refuse(why);
    }
    if (!WriteHorizonFile(path, mask, &why)) {
        return Refuse(NotWrittenText(path, why));
    }
    Tell("Exported to " + path);
    return true;
}

bool TfrHorizonWnd::SaveMask() {
    THorizonMask mask;
    std::string why;
    if (!ReadMask(mask, why)) {
        return Refuse(why);
    }
    if (mask.Empty()) {
        // No file is no mask: the searches are then as without one.
        if (std::remove(Path.c_str()) != 0 && errno != ENOENT) {
            return Refuse("The horizon mask " + Path + " could not be removed: " + std::strerror(errno));
        }
        Saved = true;
        Tell("No mask: " + Path + " removed.");
        return true;
    }
    if (!WriteHorizonFile(Path, mask, &why)) {
        return Refuse(NotWrittenText(Path, why));
    }
    Saved = true;
    Tell("Saved to " + Path);
    return true;
}
