#include "uLabels.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "uGraphicTools.h"

namespace {
QRect MarkBox(const TLabel& l) {
    return QRect(l.anchor.x() - l.radius, l.anchor.y() - l.radius, 2 * l.radius + 1, 2 * l.radius + 1);
}

// Distance from p to the nearest point of r (0 inside).
double Distance(const QRect& r, const QPoint& p) {
    const int dx = std::max({r.left() - p.x(), 0, p.x() - r.right()});
    const int dy = std::max({r.top() - p.y(), 0, p.y() - r.bottom()});
    return std::hypot(dx, dy);
}

double PixelGap(const QPoint& a, const QPoint& b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }
constexpr double kSamePlace = 6.0;

// Rectangles by the cells of a coarse grid they touch, so a crowded sky
// does not compare every label with every other.
class TGrid {
public:
    explicit TGrid(const QRect& bounds) : Origin(bounds.topLeft()) {
        Cols = std::max(1, bounds.width() / kCell + 1);
        Rows = std::max(1, bounds.height() / kCell + 1);
        Cells.resize(static_cast<std::size_t>(Cols) * static_cast<std::size_t>(Rows));
    }
    void Insert(const QRect& r, std::size_t id) {
        const TSpan s = Span(r);
        for (int y = s.r0; y <= s.r1; ++y)
            for (int x = s.c0; x <= s.c1; ++x) Cells[Cell(x, y)].emplace_back(r, id);
    }
    // True when r meets a rectangle inserted, other than the one numbered skip.
    bool Meets(const QRect& r, std::size_t skip) const {
        const TSpan s = Span(r);
        for (int y = s.r0; y <= s.r1; ++y)
            for (int x = s.c0; x <= s.c1; ++x)
                for (const auto& [o, id] : Cells[Cell(x, y)])
                    if (id != skip && o.intersects(r)) return true;
        return false;
    }
    // True when the centre of a rectangle inserted, other than skip's, lies
    // nearer r than reach.
    // Marks within kSamePlace of own are at its place (AOS and the first
    // time mark) and do not count.
    bool CentreNearer(const QRect& r, std::size_t skip, const QPoint& own, double reach) const {
        const int grow = static_cast<int>(std::ceil(reach));
        const TSpan s = Span(r.adjusted(-grow, -grow, grow, grow));
        for (int y = s.r0; y <= s.r1; ++y)
            for (int x = s.c0; x <= s.c1; ++x)
                for (const auto& [o, id] : Cells[Cell(x, y)])
                    if (id != skip && Distance(r, o.center()) < reach &&
                        PixelGap(o.center(), own) > kSamePlace)
                        return true;
        return false;
    }

private:
    static constexpr int kCell = 64;
    struct TSpan {
        int c0, c1, r0, r1;
    };
    TSpan Span(const QRect& r) const {
        return {std::clamp((r.left() - Origin.x()) / kCell, 0, Cols - 1),
                std::clamp((r.right() - Origin.x()) / kCell, 0, Cols - 1),
                std::clamp((r.top() - Origin.y()) / kCell, 0, Rows - 1),
                std::clamp((r.bottom() - Origin.y()) / kCell, 0, Rows - 1)};
    }
    std::size_t Cell(int x, int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(Cols) + static_cast<std::size_t>(x); }
    QPoint Origin;
    int Cols = 1, Rows = 1;
    std::vector<std::vector<std::pair<QRect, std::size_t>>> Cells;
};
}  // namespace

// How much nearer its own mark than any other a label must be, pixels: at a
// tie it names neither.
constexpr double kOwnMarkMargin = 3.0;

// Skips nothing: the blocks are numbered past the labels and must count too.
constexpr std::size_t kNoLabel = static_cast<std::size_t>(-1);

std::vector<TLabelPlacer::TPlaced> TLabelPlacer::Place(const QFontMetrics& metrics) const {
    std::vector<std::size_t> order(Labels.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return Labels[a].priority > Labels[b].priority; });
    std::vector<TPlaced> placed;
    TGrid marks(Bounds), taken(Bounds);
    for (const QRect& b : Blocks) taken.Insert(b, Labels.size());
    for (std::size_t i = 0; i < Labels.size(); ++i)
        if (Labels[i].radius > 0) marks.Insert(MarkBox(Labels[i]), i);
    for (std::size_t i : order) {
        const TLabel& l = Labels[i];
        if (l.text.isEmpty()) continue;
        // The box as TextOut draws it: the text's advance and height and the
        // halo's pixel on every side.
        const int w = metrics.horizontalAdvance(l.text) + 2, h = metrics.height() + 2;
        const int gap = l.radius + 2;
        // The usual place first, then right, left, above and below the mark,
        // then the four corners.
        const QPoint tries[] = {l.anchor + l.offset,
                                {l.anchor.x() + gap, l.anchor.y() - h / 2},
                                {l.anchor.x() - gap - w, l.anchor.y() - h / 2},
                                {l.anchor.x() - w / 2, l.anchor.y() - gap - h},
                                {l.anchor.x() - w / 2, l.anchor.y() + gap},
                                {l.anchor.x() + gap, l.anchor.y() - gap - h},
                                {l.anchor.x() - gap - w, l.anchor.y() + gap},
                                {l.anchor.x() + gap, l.anchor.y() + gap},
                                {l.anchor.x() - gap - w, l.anchor.y() - gap - h}};
        // Clear of other marks if it can be, else clear of other labels only.
        bool done = false;
        for (int pass = 0; pass < 2 && !done; ++pass)
            for (const QPoint& p : tries) {
                const QRect r(p.x(), p.y(), w, h);
                if (!Bounds.contains(r) || taken.Meets(r, kNoLabel) || (pass == 0 && marks.Meets(r, i)))
                    continue;
                if (OwnMarkNearest && l.radius > 0 && marks.CentreNearer(r, i, l.anchor, Distance(r, l.anchor) + kOwnMarkMargin))
                    continue;
                taken.Insert(r, i);
                placed.push_back({r, i});
                done = true;
                break;
            }
    }
    return placed;
}

std::vector<QRect> TLabelPlacer::Draw(QPainter& painter, bool night) const {
    std::vector<QRect> rects;
    for (const TPlaced& p : Place(painter.fontMetrics())) {
        const TLabel& l = Labels[p.label];
        painter.setPen(night ? NightTextInk(l.colour) : l.colour);
        TextOut(painter, p.rect.x() + 1, p.rect.y() + 1, l.text, night);
        rects.push_back(p.rect);
    }
    return rects;
}

bool NoneOverlap(const std::vector<QRect>& rects) {
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j)
            if (rects[i].intersects(rects[j])) return false;
    return true;
}
