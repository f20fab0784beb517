// Printing a report (PrintLines) and the radar chart: the print dialog, then
// the printout on whichever printer it chose (a PDF file included).
#pragma once
#include <QImage>
#include <QRect>
#include <QSize>

#include "uReport.h"

class QPrinter;
class QWidget;

inline constexpr const char* kPrintJobTitle = "Print Skyvane";
inline constexpr const char* kPrintFont = "Courier New";
inline constexpr int kPrintFontPoints = 9;
// The report is laid out in units of 1/600 inch: a row every 100 units.
inline constexpr int kPrintUnitsPerInch = 600;

// The dialog counts 55-line pages and offers them all; when the user
// confirms, the chosen pages are printed. Nothing happens on Cancel or for
// an empty report.
void PrintLines(QWidget* parent, const TReportLines& lines);
// The printout of lines[range] on a printer that is set up: Courier New
// 9 pt, black, 61 lines a sheet. Returns the number of sheets.
int PrintReportLines(QPrinter& printer, const TReportLines& lines, const TPrintRange& range);

// The print dialog for an image, then the image as large as the page allows
// (keeping its shape), centred on the page.
void PrintImage(QWidget* parent, const QImage& image);
bool PrintImageOn(QPrinter& printer, const QImage& image);
// Where an image of that size goes on a page of that size: enlarged to the
// page's height (an upright image) or width (a wide one) when the page is
// larger both ways, then shrunk to fit the width and the height; centred.
QRect ImagePageRect(const QSize& image, const QSize& page);
