// A read-only report box that lays out only the lines it shows. A whole
// catalogue's report runs to hundreds of thousands of lines: a text document
// holding them costs the window's thread seconds, in steps that grow with the
// document, and a copy of the text. This one paints the visible lines of the
// report's own lines (shared, not copied), with a selection by mouse, Copy and
// Select All (keys and context menu) and scrolling by wheel and keys.
#pragma once
#include <QAbstractScrollArea>
#include <QBasicTimer>

#include <memory>

#include "uReport.h"

class TReportView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TReportView(QWidget* parent = nullptr);
    // Shows lines from the top, with nothing selected.
    void SetLines(std::shared_ptr<const TReportLines> lines);
    void clear();

    int lineCount() const;
    QString line(int index) const;
    // The lines joined by newlines.
    QString toPlainText() const;
    int firstShownLine() const;

    bool hasSelection() const { return Anchor != Cursor; }
    QString selectedText() const;
    void selectAll();
    void copy() const;
    // Selects from (line, column) to (line, column), the end excluded;
    // columns past a line's end stop at it.
    void Select(int fromLine, int fromColumn, int toLine, int toColumn);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct TSpot {
        int line = 0, column = 0;
        auto operator<=>(const TSpot&) const = default;
    };
    TSpot SpotAt(QPoint at) const;
    TSpot Clamped(TSpot spot) const;
    QString TextBetween(TSpot from, TSpot to) const;
    int LineHeight() const;
    int ShownLines() const;  // whole lines the viewport holds
    void UpdateScrollBars();
    void DragTo(QPoint at);
    void OfferSelection() const;  // to the X11 middle-button clipboard

    std::shared_ptr<const TReportLines> Lines = std::make_shared<const TReportLines>();
    int Widest = 0;       // characters of the longest line
    TSpot Anchor, Cursor;  // the selection, either way round
    bool Dragging = false;
    QPoint DragAt;         // the mouse while it drags outside the viewport
    QBasicTimer Scroller;  // scrolls while it does
};
