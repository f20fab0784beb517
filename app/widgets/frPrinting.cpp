#include "frPrinting.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

#include "frSearchTools.h"

namespace {
// A print dialog that is not blocking: done runs with the printer when the
// user confirms. Printer and dialog live until the dialog closes.
void OpenPrintDialog(QWidget* parent, std::shared_ptr<QPrinter> printer, int pages,
                     std::function<void(QPrinter&)> done) {
    auto* dialog = new QPrintDialog(printer.get(), parent);
    dialog->setObjectName("PrintDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (pages > 0) {
        dialog->setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog->setMinMax(1, pages);
        printer->setFromTo(1, pages);
    } else {
        dialog->setOption(QAbstractPrintDialog::PrintPageRange, false);
    }
    QObject::connect(dialog, &QDialog::accepted, dialog, [printer, done = std::move(done)] { done(*printer); });
    dialog->open();
}
}  // namespace

int PrintReportLines(QPrinter& printer, const TReportLines& lines, const TPrintRange& range) {
    printer.setDocName(kPrintJobTitle);
    QPainter painter;
    if (range.count == 0 || !painter.begin(&printer)) return 0;
    const double scale = printer.resolution() / double(kPrintUnitsPerInch);
    painter.scale(scale, scale);
    QFont font(kPrintFont);
    font.setStyleHint(QFont::Monospace);
    // Points in the painter's own units, whatever the printer's resolution.
    font.setPixelSize(kPrintFontPoints * kPrintUnitsPerInch / 72);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int ascent = QFontMetrics(font, &printer).ascent();
    std::size_t sheet = 0;
    for (std::size_t n = 0; n < range.count && range.first + n < lines.size(); ++n) {
        const TPrintPlace place = PrintPlace(n);
        if (place.sheet != sheet) {
            printer.newPage();
            sheet = place.sheet;
        }
        painter.drawText(place.x, place.y + ascent, WidgetText(lines[range.first + n]));
    }
    painter.end();
    return static_cast<int>(sheet) + 1;
}

void PrintLines(QWidget* parent, const TReportLines& lines) {
    const int pages = static_cast<int>(PrintPageCount(lines.size()));
    if (pages == 0) return;
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(kPrintJobTitle);
    OpenPrintDialog(parent, printer, pages, [lines](QPrinter& p) {
        const bool all = p.printRange() != QPrinter::PageRange;
        PrintReportLines(p, lines, PrintLineRange(lines.size(), all, p.fromPage(), p.toPage()));
    });
}

QRect ImagePageRect(const QSize& image, const QSize& page) {
    double w = image.width(), h = image.height();
    if (w <= 0 || h <= 0) return {};
    const double aspect = w / h;
    if (page.width() > w && page.height() > h) {
        if (w < h) {
            h = page.height();
            w = h * aspect;
        } else {
            w = page.width();
            h = w / aspect;
        }
    }
    if (w > page.width()) {
        w = page.width();
        h = w / aspect;
    }
    if (h > page.height()) {
        h = page.height();
        w = h * aspect;
    }
    const int iw = static_cast<int>(w), ih = static_cast<int>(h);
    return QRect((page.width() - iw) / 2, (page.height() - ih) / 2, iw, ih);
}

bool PrintImageOn(QPrinter& printer, const QImage& image) {
    printer.setDocName(kPrintJobTitle);
    QPainter painter;
    if (image.isNull() || !painter.begin(&printer)) return false;
    const QRect page = painter.viewport();
    painter.drawImage(ImagePageRect(image.size(), page.size()), image);
    painter.end();
    return true;
}

void PrintImage(QWidget* parent, const QImage& image) {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    OpenPrintDialog(parent, printer, 0, [image](QPrinter& p) { PrintImageOn(p, image); });
}
