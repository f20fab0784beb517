// Small widgets of the main window: the view area, the status bar's panels,
// a clickable label and the notice about old element sets.
#pragma once
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QRect>
#include <QWidget>

#include <array>

class QPushButton;

// MainImage: shows the current frame; the pointer's presses, moves and
// releases go to whoever listens, the drag rectangle is drawn over the frame.
class TViewArea : public QWidget {
    Q_OBJECT
public:
    explicit TViewArea(QWidget* parent = nullptr);

    QImage& frame() { return Frame; }
    // The rectangle and its label over the frame; an empty rectangle removes them.
    void setDragRect(const QRect& rect, const QString& label);
    QRect dragRect() const { return DragRect; }

signals:
    void pressed(QMouseEvent* event);
    void moved(QMouseEvent* event);
    void released(QMouseEvent* event);
    void resized(QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage Frame;
    QRect DragRect;
    QString DragLabel;
};

// Sb_Main's twelve panels: captions at even indexes keep their text's width,
// the six value panels share the rest equally.
class TStatusPanels : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCount = 12;
    explicit TStatusPanels(QWidget* parent = nullptr);
    void setText(int panel, const QString& text);
    QString text(int panel) const;

private:
    std::array<QLabel*, kCount> Panels{};
};

// A label that says when it was clicked (stxt_utc).
class TClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The visible, non-modal notice that the element sets are far from the clock.
class TElementNotice : public QFrame {
    Q_OBJECT
public:
    explicit TElementNotice(QWidget* parent = nullptr);
    void setMessage(const QString& text);
    QPushButton* downloadButton() const { return Download; }
    QPushButton* epochButton() const { return Epoch; }

private:
    QLabel* Text = nullptr;
    QPushButton* Download = nullptr;
    QPushButton* Epoch = nullptr;
};
