#include "frHorizon.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "frCommon.h"
#include "frPickFile.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uText.h"
#include "ui_frHorizon.h"

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
    : QDialog(parent), DataFolder(dataFolder), Path(ObserverHorizonPath(dataFolder, observerName)),
      Form(std::make_unique<Ui::TfrHorizonWnd>()) {
    setWindowTitle(WidgetText("Horizon Mask - " + observerName));
    BuildUi();
    std::string note;
    THorizonHandle mask;
    if (const TStatus loaded = LoadObserverHorizon(dataFolder, observerName, mask, &note); !loaded) {
        Tell(loaded.message);
        ShowMessageBox(this, loaded.message + "\nSave replaces it with the table.");
    } else if (mask) {
        ShowMask(*mask);
        Tell(note.empty() ? "From " + Path : note);
    } else {
        Tell("No mask yet: satellites count as visible down to the minimum elevation.");
    }
}

TfrHorizonWnd::~TfrHorizonWnd() = default;

void TfrHorizonWnd::BuildUi() {
    Form->setupUi(this);
    tbl_points = Form->tbl_points;
    nm_floor = Form->nm_floor;
    cb_format = Form->cb_format;
    bn_add = Form->bn_add;
    bn_remove = Form->bn_remove;
    bn_import = Form->bn_import;
    bn_export = Form->bn_export;
    bn_save = Form->bn_save;
    bn_close = Form->bn_close;
    lb_status = Form->lb_status;
    tbl_points->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The box's order is kImportChoices'.
    for (const TImportChoice& c : kImportChoices) cb_format->addItem(c.text);
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
    if (const TStatus saved = WriteHorizonFile(path, mask); !saved) {
        return Refuse(NotWrittenText(path, saved.message));
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
    if (const TStatus saved = WriteHorizonFile(Path, mask); !saved) {
        return Refuse(NotWrittenText(Path, saved.message));
    }
    Saved = true;
    Tell("Saved to " + Path);
    return true;
}
