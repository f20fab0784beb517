// PickFile: the file dialogs of the program. Not blocking: chosen is called
// with the path when the user picks one, never when he cancels.
#pragma once
#include <functional>
#include <string>

class QWidget;

enum TPickKind : int {
    kPickElementFile = 1,  // open "Select a File", element files (two-line or OMM) or any, in folder
    kPickReportFile = 2,   // save "Save To File", text files, proposed name "Orbisk.txt"
    kPickMagnitudeFile = 3,  // open "Import Magnitudes", qs.mag lists, SATCAT CSV, element files or any
    kPickHorizonOpen = 4,  // open "Import Horizon", horizon lists and CSV or any
    kPickHorizonSave = 5,  // save "Export Horizon", proposed name "Horizon.txt"
};

void PickFile(QWidget* parent, int kind, const std::string& folder, std::function<void(const std::string&)> chosen);
