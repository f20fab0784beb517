// Labels that keep out of each other's way: each is offered with its anchor,
// the mark it names and a priority; the most important are placed first at
// their usual place, a later one tries the other sides of its mark and is
// left out when none is free.
#pragma once
#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

struct TLabel {
    QString text;
    QPoint anchor;        // the mark's centre
    int radius = 0;       // the mark's radius: a label does not cover another's mark
    QPoint offset;        // the usual top-left corner, from the anchor
    QColor colour;
    double priority = 0;  // higher first; ties keep the order offered
};

class TLabelPlacer {
public:
    // bounds: the drawing's area; a label leaving it is tried elsewhere.
    explicit TLabelPlacer(const QRect& bounds) : Bounds(bounds) {}
    void Add(TLabel label) { Labels.push_back(std::move(label)); }
    // An area no label may cover (a legend, a box drawn over the view).
    void Block(const QRect& area) { Blocks.push_back(area); }
    // No label nearer another mark than its own, where it would seem to name
    // that one: among marks packed closer than a label, some go unlabelled.
    void KeepNearestOwnMark(bool on) { OwnMarkNearest = on; }
    // Places the labels for text measured with metrics: the rectangles of
    // those placed (with the label of each), the others left out.
    struct TPlaced {
        QRect rect;
        std::size_t label;  // index in the order offered
    };
    std::vector<TPlaced> Place(const QFontMetrics& metrics) const;
    // Places and draws them (TextOut, in their colours, or at night in the
    // night text red); the rectangles drawn.
    std::vector<QRect> Draw(QPainter& painter, bool night = false) const;
    const std::vector<TLabel>& labels() const { return Labels; }

private:
    QRect Bounds;
    std::vector<TLabel> Labels;
    std::vector<QRect> Blocks;
    bool OwnMarkNearest = false;
};

// True when no two of rects overlap.
bool NoneOverlap(const std::vector<QRect>& rects);
