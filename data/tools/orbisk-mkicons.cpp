// Build-time painter of the program's own icons: one PNG per toolbar button
// (used where the desktop's icon theme has no matching icon) and the
// application icon. Plain shapes only, so no font is needed.
//
//   orbisk-mkicons <output folder>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <string>

namespace {

constexpr int kSize = 32;  // toolbar icons; Qt scales them for the toolbar
constexpr double kPi = std::numbers::pi;

const QColor kNight(20, 30, 70);
const QColor kSea(40, 110, 200);
const QColor kLand(70, 160, 70);
const QColor kGold(250, 200, 40);
const QColor kInk(40, 40, 40);
const QColor kRed(210, 50, 40);
const QColor kGreen(40, 150, 60);
const QColor kWhite(255, 255, 255);

QPen Pen(const QColor& c, double w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Star(QPainter& p, QPointF c, double r, const QColor& colour) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double a = -kPi / 2 + i * kPi / 5;
        const double rr = i % 2 ? r * 0.45 : r;
        star << QPointF(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(star);
}

void Satellite(QPainter& p, QPointF c, double s) {
    p.save();
    p.translate(c);
    p.rotate(-30);
    p.setPen(Pen(kInk, 1));
    p.setBrush(kSea);
    p.drawRect(QRectF(-5.5 * s, -2 * s, 3.5 * s, 4 * s));
    p.drawRect(QRectF(2 * s, -2 * s, 3.5 * s, 4 * s));
    p.setBrush(kGold);
    p.drawRect(QRectF(-2 * s, -2.5 * s, 4 * s, 5 * s));
    p.restore();
}

void Pin(QPainter& p, QPointF tip, double s) {
    QPainterPath path;
    path.moveTo(tip);
    path.cubicTo(tip + QPointF(-9 * s, -10 * s), tip + QPointF(-7 * s, -20 * s), tip + QPointF(0, -20 * s));
    path.cubicTo(tip + QPointF(7 * s, -20 * s), tip + QPointF(9 * s, -10 * s), tip);
    p.setPen(Pen(kInk, 1));
    p.setBrush(kRed);
    p.drawPath(path);
    p.setBrush(kWhite);
    p.drawEllipse(tip + QPointF(0, -13.5 * s), 3 * s, 3 * s);
}

void Globe(QPainter& p, QPointF c, double r) {
    p.setPen(Pen(kInk, 1));
    p.setBrush(kSea);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(Pen(kWhite, 1));
    p.drawEllipse(c, r * 0.45, r);
    p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    p.drawLine(QPointF(c.x() - r * 0.85, c.y() - r * 0.5), QPointF(c.x() + r * 0.85, c.y() - r * 0.5));
    p.drawLine(QPointF(c.x() - r * 0.85, c.y() + r * 0.5), QPointF(c.x() + r * 0.85, c.y() + r * 0.5));
}

void Lines(QPainter& p, int top, int count, int gap) {
    p.setPen(Pen(kInk, 2));
    for (int i = 0; i < count; ++i) p.drawLine(8, top + i * gap, 26, top + i * gap);
}

void PlusMinus(QPainter& p, bool plus) {
    Star(p, QPointF(12, 13), 10, kGold);
    p.setPen(Pen(kInk, 3));
    p.drawLine(QPointF(18, 25), QPointF(29, 25));
    if (plus) p.drawLine(QPointF(23.5, 19.5), QPointF(23.5, 30.5));
}

struct TIcon {
    const char* name;
    std::function<void(QPainter&)> paint;
};

const TIcon kIcons[] = {
    {"tb_sat", [](QPainter& p) { Satellite(p, QPointF(16, 12), 2.0); Lines(p, 24, 2, 5); }},
    {"tb_loc", [](QPainter& p) { Pin(p, QPointF(16, 30), 1.35); }},
    {"tb_exit",
     [](QPainter& p) {
         p.setPen(Pen(kRed, 3.5));
         p.drawArc(QRectF(5, 6, 22, 22), 120 * 16, 300 * 16);
         p.drawLine(QPointF(16, 3), QPointF(16, 16));
     }},
    {"tb_map",
     [](QPainter& p) {
         p.setPen(Pen(kInk, 1));
         p.setBrush(kSea);
         p.drawRect(QRectF(2, 7, 28, 18));
         p.setPen(Qt::NoPen);
         p.setBrush(kLand);
         p.drawEllipse(QRectF(5, 10, 8, 10));
         p.drawEllipse(QRectF(16, 9, 10, 7));
         p.drawEllipse(QRectF(19, 16, 5, 7));
     }},
    {"tb_sky",
     [](QPainter& p) {
         p.setPen(Pen(kInk, 1));
         p.setBrush(kNight);
         p.drawEllipse(QRectF(2, 2, 28, 28));
         Star(p, QPointF(11, 11), 4, kWhite);
         Star(p, QPointF(21, 15), 3, kWhite);
         Star(p, QPointF(14, 22), 2.5, kWhite);
     }},
    {"tb_globe", [](QPainter& p) { Globe(p, QPointF(16, 16), 13.5); }},
    {"tb_satvis",
     [](QPainter& p) {
         p.setPen(Pen(kGold, 2.5));
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(QRectF(3, 3, 26, 26));
         Satellite(p, QPointF(16, 16), 1.4);
     }},
    {"tb_locvis",
     [](QPainter& p) {
         p.setPen(Pen(kGreen, 2.5));
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(QRectF(3, 3, 26, 26));
         Pin(p, QPointF(16, 23), 0.7);
     }},
    {"tb_track",
     [](QPainter& p) {
         QPainterPath wave;
         wave.moveTo(2, 16);
         for (int x = 2; x <= 30; ++x) wave.lineTo(x, 16 - 9 * std::sin((x - 2) * 2 * kPi / 28));
         p.setPen(Pen(kGold.darker(120), 3));
         p.drawPath(wave);
     }},
    {"tb_grids",
     [](QPainter& p) {
         p.setPen(Pen(kInk, 1.5));
         for (int i = 0; i < 4; ++i) {
             p.drawLine(QPointF(4 + i * 8, 4), QPointF(4 + i * 8, 28));
             p.drawLine(QPointF(4, 4 + i * 8), QPointF(28, 4 + i * 8));
         }
     }},
    {"tb_const",
     [](QPainter& p) {
         const QPointF pts[] = {{4, 24}, {11, 14}, {19, 18}, {27, 6}, {24, 27}};
         p.setPen(Pen(kGreen, 2));
         p.drawPolyline(pts, 4);
         p.drawLine(pts[2], pts[4]);
         for (const QPointF& q : pts) Star(p, q, 3.5, kGold);
     }},
    {"tb_constname",
     [](QPainter& p) {
         p.setPen(Pen(kGreen, 2));
         p.drawLine(QPointF(4, 8), QPointF(14, 4));
         p.drawLine(QPointF(14, 4), QPointF(26, 9));
         Star(p, QPointF(4, 8), 3, kGold);
         Star(p, QPointF(14, 4), 3, kGold);
         Star(p, QPointF(26, 9), 3, kGold);
         Lines(p, 19, 2, 7);
     }},
    {"tb_starname",
     [](QPainter& p) {
         Star(p, QPointF(11, 10), 8, kGold);
         p.setPen(Pen(kInk, 2));
         p.drawLine(QPointF(15, 22), QPointF(29, 22));
         p.drawLine(QPointF(15, 28), QPointF(25, 28));
     }},
    {"tb_time",
     [](QPainter& p) {
         p.setPen(Pen(kInk, 2));
         p.setBrush(kWhite);
         p.drawEllipse(QRectF(3, 3, 26, 26));
         p.drawLine(QPointF(16, 16), QPointF(16, 8));
         p.drawLine(QPointF(16, 16), QPointF(22, 19));
     }},
    {"tb_linetab",
     [](QPainter& p) {
         p.setPen(Pen(kInk, 1));
         p.setBrush(kWhite);
         p.drawRect(QRectF(5, 2, 22, 28));
         Lines(p, 8, 5, 5);
     }},
    {"tb_analysis",
     [](QPainter& p) {
         p.setPen(Pen(kInk, 3));
         p.setBrush(QColor(200, 230, 255));
         p.drawEllipse(QRectF(4, 4, 16, 16));
         p.setPen(Pen(kInk, 4));
         p.drawLine(QPointF(18, 18), QPointF(28, 28));
     }},
    {"tb_planets",
     [](QPainter& p) {
         p.setPen(Qt::NoPen);
         p.setBrush(kGold);
         p.drawEllipse(QRectF(8, 8, 16, 16));
         p.setPen(Pen(kGold.darker(150), 2));
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(QRectF(1, 12, 30, 8));
     }},
    {"tb_info",
     [](QPainter& p) {
         p.setPen(Qt::NoPen);
         p.setBrush(kSea);
         p.drawEllipse(QRectF(2, 2, 28, 28));
         p.setBrush(kWhite);
         p.drawEllipse(QRectF(14, 7, 4, 4));
         p.drawRect(QRectF(14, 13, 4, 12));
     }},
    {"tb_reset",
     [](QPainter& p) {
         const QPointF house[] = {{4, 16}, {16, 4}, {28, 16}, {25, 16}, {25, 28}, {7, 28}, {7, 16}};
         p.setPen(Pen(kInk, 1.5));
         p.setBrush(QColor(230, 200, 160));
         p.drawPolygon(house, 7);
         p.setBrush(kRed.darker(130));
         p.drawRect(QRectF(13, 19, 6, 9));
     }},
    {"tb_plus", [](QPainter& p) { PlusMinus(p, true); }},
    {"tb_minus", [](QPainter& p) { PlusMinus(p, false); }},
};

// Night sky, an orbit around a small Earth, and a satellite on it.
void PaintApplicationIcon(QPainter& p, int size) {
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kNight);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    Star(p, QPointF(13, 13), 2.5, kWhite);
    Star(p, QPointF(50, 50), 2, kWhite);
    Star(p, QPointF(52, 14), 1.5, kWhite);
    Globe(p, QPointF(32, 34), 13);
    p.save();
    p.translate(32, 34);
    p.rotate(-25);
    p.setPen(Pen(kGold, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(-27, -10, 54, 20));
    p.restore();
    Satellite(p, QPointF(50, 24), 1.5);
}

bool Save(const QImage& image, const std::string& path) {
    if (image.save(QString::fromStdString(path), "PNG")) return true;
    std::fprintf(stderr, "orbisk-mkicons: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orbisk-mkicons <output folder>\n");
        return 2;
    }
    const std::string out = argv[1];
    for (const TIcon& icon : kIcons) {
        QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        icon.paint(p);
        p.end();
        if (!Save(image, out + "/" + icon.name + ".png")) return 1;
    }
    for (int size : {48, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        PaintApplicationIcon(p, size);
        p.end();
        if (!Save(image, out + "/orbisk-" + std::to_string(size) + ".png")) return 1;
    }
    return 0;
}
