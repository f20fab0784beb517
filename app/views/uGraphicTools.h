// Drawing primitives the three views share, the set-up of a view state and
// the dispatcher that draws one frame of the current view.
//
// Frames are drawn into QImage Format_ARGB32_Premultiplied with QPainter,
// antialiased lines, shapes and text, at the view's device pixel ratio.
#pragma once
#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QString>

#include <string>
#include <string_view>

#include "uGraphicCalc.h"

inline constexpr std::size_t kMaxMapImageBytes = 64u << 20;

// Fixed marker colours.
inline const QColor kYellow(255, 255, 0);
inline const QColor kGrey(128, 128, 128);
inline const QColor kAqua(0, 255, 255);
inline const QColor kWhite(255, 255, 255);

inline QColor ArgbColour(uint32_t argb) { return QColor::fromRgba(argb); }
inline QString Latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Loads the map image, loads nothing else; the image is kept as RGB32. A
// missing or unreadable file leaves MapImage empty and is reported once.
bool LoadMapImage(TViewState& vs, const std::string& path);
// Start-up: the map image from programFolder + "map/" + options.mapFile,
// the sizes, the sky centre, orientation and flags of the saved menu states;
// then call ApplyDisplayOptions.
void InitViews(TViewState& vs, const std::string& programFolder, const TOptions& options,
               const TMenuSettings& menu, int width, int height);

// Reports a problem through the view's sink, once per text.
void ReportOnce(TViewState& vs, const std::string& text);
// The options' night-shadow alpha, limited to 0..255 (an out-of-range value
// is reported once).
int ShadowAlpha(TViewState& vs, const TOptions& options);

// A painter on target with the view's font, antialiased.
void BeginPaint(QPainter& painter, QImage& target, const TViewState& vs);
// Text with its top-left corner at (x, y), in the pen colour, with a halo
// one pixel wide all round (in the night palette always a black one).
void TextOut(QPainter& painter, int x, int y, const QString& text, bool night = false);
// The home mark's colour: the options' colour by day; at night the brightest
// red, as the satellite labels are, whatever colour was chosen.
QColor HomeInk(const QColor& colour, bool night);
// The home name as TextOut draws it, in bold: as easily found as the labels.
void HomeNameOut(QPainter& painter, int x, int y, const QString& text, bool night);
// The pixels of rect filled, edges sharp (painters from BeginPaint take
// integer coordinates as pixel centres).
void FillPixels(QPainter& painter, const QRect& rect, const QColor& colour);
// Filled ellipse inside (x1, y1)-(x2, y2), right and bottom edges excluded.
void FillEllipse(QPainter& painter, int x1, int y1, int x2, int y2);

// A filled disc of radius r around p, outline and fill in colour.
void FillDisc(QPainter& painter, const QPoint& p, int r, const QColor& colour);
// A satellite: a disc, yellow in sunlight and grey in shadow, and a
// non-empty label with its top-left corner at p + labelOffset in labelColour.
void DrawSatMarker(QPainter& painter, const QPoint& p, int radius, bool sunlit, const QString& label,
                   const QPoint& labelOffset, const QColor& labelColour, bool night = false);
// The horizon circles for the first satellite's distance: around its
// sub-point (menu_sat_vis) and around the observer (menu_loc_vis). None for a
// decayed satellite or one lower than minHeight km.
void DrawVisibilityCircles(QPainter& painter, const TViewState& vs, const TFrameState& frame, double minHeight,
                           bool night = false);

// The Moon's dark side (or the Earth's night side) as a translucent polygon:
// fraction is the part of the disc in darkness, angle turns the dark limb
// from the right (+x) clockwise on screen; signX/signY mirror it.
void DrawPhase(QPainter& painter, int steps, double radius, const QPointF& centre, double fraction,
               double angle, int signX, int signY, int alpha);
// Phase of the Moon at pixel, from the frame's Sun and Moon: in map mode as
// seen from the northern hemisphere, in sky mode turned like the chart.
void DrawMoonIcon(QPainter& painter, const TViewState& vs, const TFrameState& frame, int steps,
                  double radius, const QPoint& pixel, int alpha);
// The horizon circle of a body at distance km above centre, in map mode cut
// at the date line, on the globe only its visible arcs.
void DrawSmallCircle(QPainter& painter, const TViewState& vs, const TLatLon& centre, const QColor& colour,
                     double distance);

// Label priority of frame.sats[i]: the first satellite's above the others,
// which keep the list's order.
double SatLabelPriority(const TFrameState& frame, std::size_t i);

// The night palette: every pixel turned to red of its brightness on black,
// so a frame keeps its shapes without light that spoils dark-adapted eyes.
void NightColours(QImage& image);
// A colour as NightColours turns it: its brightness in red, alpha kept. The
// map is drawn in these directly instead of being turned after each frame.
QColor NightInk(const QColor& colour);
// Text and the home mark at night: the night red, but never darker than a
// clear red, so the default black home and city names stay readable.
QColor NightTextInk(const QColor& colour);
inline QColor Ink(bool night, const QColor& colour) { return night ? NightInk(colour) : colour; }

// Draws one frame of the frame's view mode into display (resized to the view
// when needed): recomputes the ground track when the clock has left it,
// redraws the background when Dirty, then the moving layers.
void RefreshView(TViewState& vs, const TFrameState& frame, QImage& display);
// Copies the background into display (resized when needed) and begins a
// painter on it: the start of a map or globe frame.
void BeginFrame(QPainter& painter, QImage& display, const TViewState& vs);
