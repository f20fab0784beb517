#include "frPickFile.h"

#include <QFileDialog>

void PickFile(QWidget* parent, int kind, const std::string& folder, std::function<void(const std::string&)> chosen) {
    if (kind != kPickElementFile && kind != kPickReportFile) return;
    const bool open = kind == kPickElementFile;
    auto* dialog = new QFileDialog(parent, open ? "Select a File" : "Save To File", QString::fromStdString(folder));
    dialog->setObjectName(open ? "PickFileOpen" : "PickFileSave");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (open) {
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
