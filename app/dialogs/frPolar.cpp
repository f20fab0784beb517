#include "frPolar.h"

#include <QPainter>

#include <algorithm>

#include "uText.h"

TfrPolarPlot::TfrPolarPlot(QWidget* parent) : QWidget(parent) {
    setObjectName("PolarPlot");
    setAttribute(Qt::WA_OpaquePaintEvent);
    ShowNoPass("", "No satellite chosen");
}

void TfrPolarPlot::ShowPass(const TSatRec& sat, const TObserver& observer, double aos, double los, double now,
                            const TSatState& state, double displayOffset) {
    const std::string name(TrimText(sat.name.view()));
    const std::string key = name + "/" + std::string(sat.catNo.view());
    if (key != TrackSat || aos != TrackAos || los != TrackLos) {
        Scene.track = PolarTrack(sat, observer, aos, los, kPolarTrackStep);
        TrackSat = key;
        TrackAos = aos;
        TrackLos = los;
    }
    Scene.title = name;
    const bool up = now >= aos && now <= los && state.altaz.alt > 0.0;
    Scene.heading = up ? "Pass now" : "Next pass";
    Scene.haveNow = up;
    Scene.now = {now, state.altaz.az, state.altaz.alt};
    Scene.sunlit = state.sunlit != 0;
    Scene.displayOffset = displayOffset;
    update();
}

void TfrPolarPlot::ShowNoPass(const std::string& title, const std::string& why) {
    Scene.title = title;
    Scene.heading = why;
    Scene.track.clear();
    Scene.haveNow = false;
    TrackSat.clear();
    TrackLos = -1.0;
    update();
}

void TfrPolarPlot::SetNight(bool night) {
    Scene.night = night;
    update();
}

TPolarDrawn TfrPolarPlot::Render(QImage& image) const {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels(std::max(1, qRound(width() * dpr)), std::max(1, qRound(height() * dpr)));
    if (image.size() != pixels) image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    return DrawPolarPlot(image, Scene);
}

void TfrPolarPlot::paintEvent(QPaintEvent*) {
    QImage image;
    Render(image);
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), image);
}
