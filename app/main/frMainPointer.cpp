// The pointer on the view area: position readouts, picking satellites on the
// map, moving the observer, centring and drag zoom on the sky and the globe.
#include <QComboBox>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "frCommon.h"
#include "frMain.h"
#include "frMainWidgets.h"
#include "uFormat.h"
#include "uInitialize.h"

namespace {

// Releases here swap the sky chart between north up and horizon level.
constexpr int kOrientationBoxWidth = 75, kOrientationBoxHeight = 85;
constexpr double kMinGlobeScale = 15.0;

QString DegreesText(double radians) {
    return WidgetText(FormatArgs("%0:4.3f \xB0", {radians * kRadToDeg}));
}

}  // namespace

void TfrMainWnd::MainImageMouseDown(QMouseEvent* event) {
    Session.TickReady = false;
    PressedButton = event->button();
    // The press is where the pointer is, even without a move before it.
    if (!Dragging) MainImageMouseMove(event);
    if (Session.Options.viewMode == kViewMap) return;
    DragPixels = 0;
    DragStart = event->position().toPoint();
    if (PressedButton == Qt::MiddleButton) return;
    Dragging = true;
    ZoomIn = PressedButton == Qt::LeftButton;
}

// Half-height of the rectangle centred on the press point, in the view's
// proportions, that reaches p.
int TfrMainWnd::DragSize(const QPoint& p) const {
    const int dx = std::abs(p.x() - DragStart.x()), dy = std::abs(p.y() - DragStart.y());
    const double fromX = View.Width > 0 ? static_cast<double>(dx) * View.Height / View.Width : 0.0;
    return std::max(dy, static_cast<int>(fromX));
}

void TfrMainWnd::MainImageMouseMove(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const int mode = Session.Options.viewMode;
    if (!Loaded) return;
    if (mode == kViewMap) {
        // The map knows no heights: the pointer keeps the one it has.
        if (const std::optional<TLatLon> g = PixelToGeo(View, p)) {
            PointerGeo.lat = g->lat;
            PointerGeo.lon = g->lon;
        }
        Ui.Sb_Main->setText(5, AngleText(PointerGeo.lat));
        Ui.Sb_Main->setText(7, AngleText(PointerGeo.lon));
        return;
    }
    if (Dragging) {
        DragPixels = DragSize(p);
        const int halfWidth = View.Height > 0 ? DragPixels * View.Width / View.Height : DragPixels;
        const double scale = mode == kViewSky ? View.SkyScale : View.GlobeScale / kRadToDeg;
        double size = 2.0 * DragPixels / scale;
        const char* unit = "Deg";
        if (size < 1.0) {
            size *= 60.0;
            unit = "Min";
        }
        Ui.MainImage->setDragRect(
            QRect(DragStart.x() - halfWidth, DragStart.y() - DragPixels, 2 * halfWidth, 2 * DragPixels),
            WidgetText(FormatArgs("Size: %0:4.1f %1s", {size, unit})));
        return;
    }
    if (mode == kViewSky) {
        const std::optional<TRaDec> sky = PixelToSky(View, p);
        if (!sky) return;  // off the chart: keep the last position
        PointerSky = *sky;
        Ra_dec_to_alt_az(&Session.Observer.pos, &PointerSky, &PointerHoriz, Session.CurrentGHA);
        Ui.Sb_Main->setText(5, WidgetText(Conv_to_str_hrs(true, 0, PointerSky.ra)));
        Ui.Sb_Main->setText(7, AngleText(PointerSky.dec));
        Ui.Sb_Main->setText(9, DegreesText(PointerHoriz.alt));
        Ui.Sb_Main->setText(11, DegreesText(PointerHoriz.az));
    } else {
        // Off the globe: the observer's place.
        PointerGeo = PixelToGeo(View, p).value_or(Session.Observer.pos);
        Ui.Sb_Main->setText(5, AngleText(PointerGeo.lat));
        Ui.Sb_Main->setText(7, AngleText(PointerGeo.lon));
    }
}

void TfrMainWnd::MainImageMouseUp(QMouseEvent* event) {
    if (Loaded) {
        if (Session.Options.viewMode == kViewMap)
            MapPointerUp(event);
        else
            SkyGlobePointerUp(event);
    }
    Dragging = false;
    DragPixels = 0;
    Ui.MainImage->setDragRect(QRect(), QString());
    RefreshAll();
}

void TfrMainWnd::MapPointerUp(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // Every satellite near the pointer is chosen in turn: the last in the list wins.
        const TLatLon pointer = PointerGeo;
        for (std::size_t i = 0; i < Session.SatStates.size(); ++i) {
            const TLatLon sub = Session.SatStates[i].latlon;
            if (Session.MainSats[Session.ActiveIndex[i]].decayed) continue;
            if (Dist_2latlon(&sub, &pointer) < kPickDistanceKm) {
                Ui.cb_sat1->setCurrentIndex(static_cast<int>(i));
                cb_sat1Change(static_cast<int>(i));
            }
        }
    } else if (event->button() == Qt::RightButton && (event->modifiers() & Qt::ShiftModifier)) {
        // The map knows no heights: the observer keeps his.
        Store.EditObserver([this](TObserver& o) {
            o.pos.lat = PointerGeo.lat;
            o.pos.lon = PointerGeo.lon;
            UpdateParallax(o);
            o.name = std::string_view("Unknown");
        });
        ShowCaption();
        Session.NextRise = Session.NextSet = Session.CurrentTime;
    }
}

void TfrMainWnd::SkyGlobePointerUp(QMouseEvent* event) {
    const bool sky = Session.Options.viewMode == kViewSky;
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::MiddleButton) return;
    if (sky) {
        if (p.x() < kOrientationBoxWidth && p.y() < kOrientationBoxHeight) {
            (Ui.menu_skyviewaltaz->isChecked() ? Ui.menu_skyviewradec : Ui.menu_skyviewaltaz)->setChecked(true);
        } else {
            if (event->button() == Qt::RightButton && View.SkyScale < View.SkyScaleMin) View.SkyScale = View.SkyScaleMin;
            View.SkyCentreHoriz = PointerHoriz;
            View.SkyCentre = PointerSky;
        }
    } else {
        View.GlobeCentre = PointerGeo;
    }
    if (Dragging && DragPixels > kMinZoomDrag) ZoomByDrag();
}

// The drag rectangle becomes the view (zoom in), or the view shrinks into it
// (zoom out).
void TfrMainWnd::ZoomByDrag() {
    const double factor = ZoomIn ? static_cast<double>(View.CentreY) / DragPixels
                                 : static_cast<double>(DragPixels) / View.CentreY;
    if (Session.Options.viewMode == kViewSky) {
        SetFieldLabel(ZoomSky(View, Session.Options, View.SkyScale * factor));
    } else {
        double scale = View.GlobeScale * factor;
        if (ZoomIn) scale = std::min(scale, View.GlobeAux);
        else scale = std::max(scale, kMinGlobeScale);
        View.GlobeScale = scale;
        Store.EditOptions([this](TOptions& o) { o.globeZoom = View.Height / View.GlobeScale; });
        View.Dirty = 1;
    }
}
