#include "frReportView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int kMargin = 4;            // around the text, as a text box leaves
constexpr int kScrollEveryMs = 50;    // while a selection is dragged outside

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

// Shown beside a context menu's entry, as a text box's menu shows it.
QString Accelerator(QKeySequence::StandardKey key) {
    const QString keys = QKeySequence(key).toString(QKeySequence::NativeText);
    return keys.isEmpty() ? QString() : '\t' + keys;
}

bool WordCharacter(QChar c) { return c.isLetterOrNumber() || c == '_' || c == '.' || c == '-' || c == ':'; }
}  // namespace

TReportView::TReportView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);  // the vertical bar counts lines
    UpdateScrollBars();
}

void TReportView::SetLines(std::shared_ptr<const TReportLines> lines) {
    Lines = lines ? std::move(lines) : std::make_shared<const TReportLines>();
    // Latin-1: a byte is a character.
    Widest = 0;
    for (const std::string& l : *Lines) Widest = std::max(Widest, static_cast<int>(l.size()));
    Anchor = Cursor = {};
    Dragging = false;
    Scroller.stop();
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void TReportView::clear() { SetLines(nullptr); }

int TReportView::lineCount() const { return static_cast<int>(Lines->size()); }

QString TReportView::line(int index) const {
    if (index < 0 || index >= lineCount()) return {};
    return Latin1((*Lines)[static_cast<std::size_t>(index)]);
}

QString TReportView::toPlainText() const {
    if (Lines->empty()) return {};
    return TextBetween({}, {lineCount() - 1, static_cast<int>(Lines->back().size())});
}

int TReportView::firstShownLine() const { return verticalScrollBar()->value(); }

QString TReportView::selectedText() const { return TextBetween(std::min(Anchor, Cursor), std::max(Anchor, Cursor)); }

QString TReportView::TextBetween(TSpot from, TSpot to) const {
    from = Clamped(from);
    to = Clamped(to);
    if (from == to) return {};
    QString text;
    for (int i = from.line; i <= to.line; ++i) {
        const std::string& l = (*Lines)[static_cast<std::size_t>(i)];
        const int begin = i == from.line ? from.column : 0;
        const int end = i == to.line ? to.column : static_cast<int>(l.size());
        if (i > from.line) text += '\n';
        text += QString::fromLatin1(l.data() + begin, end - begin);
    }
    return text;
}

void TReportView::selectAll() {
    if (Lines->empty()) return;
    Anchor = {};
    Cursor = {lineCount() - 1, static_cast<int>(Lines->back().size())};
    viewport()->update();
}

void TReportView::copy() const {
    if (hasSelection()) QApplication::clipboard()->setText(selectedText());
}

void TReportView::Select(int fromLine, int fromColumn, int toLine, int toColumn) {
    Anchor = Clamped({fromLine, fromColumn});
    Cursor = Clamped({toLine, toColumn});
    viewport()->update();
}

TReportView::TSpot TReportView::Clamped(TSpot spot) const {
    if (Lines->empty()) return {};
    spot.line = std::clamp(spot.line, 0, lineCount() - 1);
    spot.column = std::clamp(spot.column, 0, static_cast<int>((*Lines)[static_cast<std::size_t>(spot.line)].size()));
    return spot;
}

int TReportView::LineHeight() const { return std::max(1, fontMetrics().lineSpacing()); }

int TReportView::ShownLines() const { return std::max(1, (viewport()->height() - kMargin) / LineHeight()); }

void TReportView::UpdateScrollBars() {
    const int shown = ShownLines();
    QScrollBar* v = verticalScrollBar();
    v->setPageStep(shown);
    v->setRange(0, std::max(0, lineCount() - shown));
    const int width = fontMetrics().horizontalAdvance(QString(Widest, 'M')) + 2 * kMargin;
    QScrollBar* h = horizontalScrollBar();
    h->setSingleStep(std::max(1, fontMetrics().horizontalAdvance('M')));
    h->setPageStep(viewport()->width());
    h->setRange(0, std::max(0, width - viewport()->width()));
}

TReportView::TSpot TReportView::SpotAt(QPoint at) const {
    if (Lines->empty()) return {};
    const int row = at.y() < kMargin ? -1 : (at.y() - kMargin) / LineHeight();
    TSpot spot{firstShownLine() + row, 0};
    if (spot.line < 0) return {};
    if (spot.line >= lineCount()) return Clamped({lineCount() - 1, 1 << 30});
    // The character boundary nearest the point.
    const QString text = line(spot.line);
    const QFontMetrics metrics = fontMetrics();
    const int x = at.x() - kMargin + horizontalScrollBar()->value();
    int left = 0;
    for (int c = 0; c < text.size(); ++c) {
        const int right = left + metrics.horizontalAdvance(text[c]);
        if (x < (left + right) / 2) break;
        spot.column = c + 1;
        left = right;
    }
    return spot;
}

void TReportView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QFontMetrics metrics = fontMetrics();
    const int height = LineHeight(), first = firstShownLine();
    const int x0 = kMargin - horizontalScrollBar()->value();
    const TSpot from = std::min(Anchor, Cursor), to = std::max(Anchor, Cursor);
    const QPalette& colours = palette();
    const int top = std::max(0, (event->rect().top() - kMargin) / height);
    const int bottom = (event->rect().bottom() - kMargin) / height;
    for (int row = top; row <= bottom && first + row < lineCount(); ++row) {
        const int i = first + row;
        const QString text = line(i);
        const int y = kMargin + row * height;
        const int begin = i < from.line || i > to.line ? 0 : i == from.line ? std::min(from.column, int(text.size())) : 0;
        int end = i < from.line || i > to.line ? 0 : i == to.line ? std::min(to.column, int(text.size())) : int(text.size());
        if (end < begin) end = begin;
        const int xBegin = x0 + metrics.horizontalAdvance(text.left(begin));
        const int xEnd = x0 + metrics.horizontalAdvance(text.left(end));
        // A selection that runs on past the line's end shows a space's width there.
        const bool runsOn = hasSelection() && i >= from.line && i < to.line;
        if (end > begin || runsOn) {
            const int extra = runsOn ? metrics.horizontalAdvance(' ') : 0;
            painter.fillRect(QRect(xBegin, y, xEnd - xBegin + extra, height), colours.brush(QPalette::Highlight));
        }
        const int baseline = y + metrics.ascent();
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(x0, baseline, text.left(begin));
        painter.drawText(xEnd, baseline, text.mid(end));
        if (end > begin) {
            painter.setPen(colours.color(QPalette::HighlightedText));
            painter.drawText(xBegin, baseline, text.mid(begin, end - begin));
        }
    }
}

void TReportView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TReportView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        viewport()->setFont(font());
        UpdateScrollBars();
        viewport()->update();
    }
}

void TReportView::keyPressEvent(QKeyEvent* event) {
    QScrollBar* v = verticalScrollBar();
    if (event == QKeySequence::Copy) {
        copy();
    } else if (event == QKeySequence::SelectAll) {
        selectAll();
    } else if (event == QKeySequence::MoveToStartOfDocument || event->key() == Qt::Key_Home) {
        v->triggerAction(QAbstractSlider::SliderToMinimum);
    } else if (event == QKeySequence::MoveToEndOfDocument || event->key() == Qt::Key_End) {
        v->triggerAction(QAbstractSlider::SliderToMaximum);
    } else {
        // Arrows and pages scroll.
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TReportView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const TSpot spot = SpotAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier)) Anchor = spot;
    Cursor = spot;
    Dragging = true;
    viewport()->update();
}

void TReportView::mouseMoveEvent(QMouseEvent* event) {
    if (!Dragging) return;
    DragTo(event->position().toPoint());
}

void TReportView::DragTo(QPoint at) {
    const QRect inside = viewport()->rect();
    if (inside.contains(at)) {
        Scroller.stop();
    } else {
        DragAt = at;
        if (!Scroller.isActive()) Scroller.start(kScrollEveryMs, this);
    }
    const QPoint clamped(std::clamp(at.x(), 0, inside.width() - 1), std::clamp(at.y(), 0, inside.height() - 1));
    const TSpot spot = SpotAt(clamped);
    if (spot != Cursor) {
        Cursor = spot;
        viewport()->update();
    }
}

void TReportView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != Scroller.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (!Dragging) {
        Scroller.stop();
        return;
    }
    const QRect inside = viewport()->rect();
    QScrollBar *v = verticalScrollBar(), *h = horizontalScrollBar();
    if (DragAt.y() < inside.top()) v->setValue(v->value() - 1);
    if (DragAt.y() > inside.bottom()) v->setValue(v->value() + 1);
    if (DragAt.x() < inside.left()) h->setValue(h->value() - h->singleStep());
    if (DragAt.x() > inside.right()) h->setValue(h->value() + h->singleStep());
    DragTo(DragAt);
}

void TReportView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !Dragging) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    Dragging = false;
    Scroller.stop();
    OfferSelection();
}

void TReportView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || Lines->empty()) return;
    const TSpot spot = SpotAt(event->position().toPoint());
    const QString text = line(spot.line);
    int begin = spot.column, end = spot.column;
    while (begin > 0 && WordCharacter(text[begin - 1])) --begin;
    while (end < text.size() && WordCharacter(text[end])) ++end;
    Anchor = {spot.line, begin};
    Cursor = {spot.line, end};
    viewport()->update();
    OfferSelection();
}

void TReportView::OfferSelection() const {
    QClipboard* clipboard = QApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection()) clipboard->setText(selectedText(), QClipboard::Selection);
}

void TReportView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QIcon::fromTheme("edit-copy"), tr("&Copy") + Accelerator(QKeySequence::Copy), this, &TReportView::copy);
    copyAction->setObjectName("edit-copy");
    copyAction->setEnabled(hasSelection());
    menu.addSeparator();
    QAction* all = menu.addAction(QIcon::fromTheme("edit-select-all"), tr("Select All") + Accelerator(QKeySequence::SelectAll), this, &TReportView::selectAll);
    all->setObjectName("select-all");
    all->setEnabled(!Lines->empty());
    menu.exec(event->globalPos());
}
