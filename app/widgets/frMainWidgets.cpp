#include "frMainWidgets.h"

#include <cmath>

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

TViewArea::TViewArea(QWidget* parent) : QWidget(parent) {
    setObjectName("MainImage");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(200, 150);
    setCursor(Qt::CrossCursor);
}

void TViewArea::setDragRect(const QRect& rect, const QString& label) {
    DragRect = rect;
    DragLabel = label;
    update();
}

void TViewArea::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!Frame.isNull()) p.drawImage(0, 0, Frame);
    // Moved to a screen of another pixel ratio: the frame is drawn again for it.
    if (!Frame.isNull() && std::fabs(Frame.devicePixelRatio() - devicePixelRatioF()) > 1e-3) emit resized(size());
    if (DragRect.isEmpty()) return;
    p.setPen(QPen(Qt::white, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(DragRect);
    p.setPen(Qt::yellow);
    p.drawText(DragRect.left() + 4, DragRect.top() - 4, DragLabel);
}

void TViewArea::mousePressEvent(QMouseEvent* event) { emit pressed(event); }
void TViewArea::mouseMoveEvent(QMouseEvent* event) { emit moved(event); }
void TViewArea::mouseReleaseEvent(QMouseEvent* event) { emit released(event); }
void TViewArea::resizeEvent(QResizeEvent*) { emit resized(size()); }

TStatusPanels::TStatusPanels(QWidget* parent) : QWidget(parent) {
    setObjectName("Sb_Main_panels");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < kCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QString("Sb_Main_%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const bool value = i % 2 == 1;
        // Values may be cut when the window is narrow; captions never are.
        panel->setSizePolicy(value ? QSizePolicy::Ignored : QSizePolicy::Fixed, QSizePolicy::Preferred);
        layout->addWidget(panel, value ? 1 : 0);
        Panels[static_cast<std::size_t>(i)] = panel;
    }
}

void TStatusPanels::setText(int panel, const QString& text) {
    if (panel < 0 || panel >= kCount) return;
    QLabel* label = Panels[static_cast<std::size_t>(panel)];
    label->setText(text);
    if (panel % 2 == 0)
        label->setFixedWidth(label->fontMetrics().horizontalAdvance(text) + 2 * label->frameWidth() + 8);
}

QString TStatusPanels::text(int panel) const {
    return panel >= 0 && panel < kCount ? Panels[static_cast<std::size_t>(panel)]->text() : QString();
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

TElementNotice::TElementNotice(QWidget* parent) : QFrame(parent) {
    setObjectName("ElementNotice");
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 243, 205));
    pal.setColor(QPalette::WindowText, QColor(90, 60, 0));
    setPalette(pal);
    Text = new QLabel(this);
    Text->setObjectName("lb_element_notice");
    Text->setWordWrap(true);
    Download = new QPushButton("Download fresh elements", this);
    Download->setObjectName("bn_notice_download");
    Epoch = new QPushButton("Set the clock to the elements' epoch", this);
    Epoch->setObjectName("bn_notice_epoch");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(Text, 1);
    layout->addWidget(Download);
    layout->addWidget(Epoch);
    hide();
}

void TElementNotice::setMessage(const QString& text) { Text->setText(text); }
