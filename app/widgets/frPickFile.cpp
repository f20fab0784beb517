#include "frPickFile.h"

#include <QFileDialog>

void PickFile(QWidget* parent, int kind, const std::string& folder, std::function<void(const std::string&)> chosen) {
    if (kind < kPickElementFile || kind > kPickHorizonSave) return;
    const bool mags = kind == kPickMagnitudeFile;
    const bool horizon = kind == kPickHorizonOpen || kind == kPickHorizonSave;
    const bool open = kind != kPickReportFile && kind != kPickHorizonSave;
    const char* title = mags      ? "Import Magnitudes"
                        : horizon ? (open ? "Import Horizon" : "Export Horizon")
                        : open    ? "Select a File"
                                  : "Save To File";
    auto* dialog = new QFileDialog(parent, title, QString::fromStdString(folder));
    dialog->setObjectName(mags ? "PickMagnitudes" : open ? "PickFileOpen" : "PickFileSave");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (mags) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setNameFilters({"Magnitude lists (*.mag *.txt *.csv *.tle)", "qs.mag lists (*.mag *.txt)",
                                "SATCAT CSV (*.csv)", "Element files (*.tle *.txt *.csv *.json *.xml)",
                                "All files (*)"});
    } else if (horizon) {
        dialog->setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        if (open) dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setNameFilters({"Horizon lists (*.txt *.hzn *.csv)", "All files (*)"});
        if (!open) {
            dialog->setDefaultSuffix("txt");
            dialog->selectFile("Horizon");
        }
    } else if (open) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
        // Every form the element readers take; all of them first.
        dialog->setNameFilters({"All element files (*.tle *.txt *.csv *.json *.xml)", "TLE files (*.tle)",
                                "TEXT files (*.txt)", "OMM CSV files (*.csv)", "OMM JSON files (*.json)",
                                "OMM XML files (*.xml)", "All files (*)"});
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setNameFilter("Text files (*.txt)");
        dialog->setDefaultSuffix("txt");
        dialog->selectFile("Orbisk");
    }
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [chosen = std::move(chosen)](const QString& path) {
        if (!path.isEmpty()) chosen(path.toStdString());
    });
    dialog->open();
}
