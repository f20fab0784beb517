#include "frPalette.h"

#include <QApplication>

#include <optional>

namespace {
std::optional<QPalette> gDayPalette;
bool gNight = false;
}  // namespace

QPalette NightPalette() {
    const QColor window(24, 0, 0), base(10, 0, 0), text(215, 50, 40), dim(120, 28, 22), button(48, 4, 4);
    QPalette p;
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool off = g == QPalette::Disabled;
        const QColor ink = off ? dim : text;
        p.setColor(g, QPalette::Window, window);
        p.setColor(g, QPalette::WindowText, ink);
        p.setColor(g, QPalette::Base, base);
        p.setColor(g, QPalette::AlternateBase, QColor(30, 2, 2));
        p.setColor(g, QPalette::Text, ink);
        p.setColor(g, QPalette::PlaceholderText, dim);
        p.setColor(g, QPalette::Button, button);
        p.setColor(g, QPalette::ButtonText, ink);
        p.setColor(g, QPalette::BrightText, QColor(255, 80, 60));
        p.setColor(g, QPalette::Highlight, QColor(110, 0, 0));
        p.setColor(g, QPalette::HighlightedText, QColor(255, 120, 100));
        p.setColor(g, QPalette::ToolTipBase, window);
        p.setColor(g, QPalette::ToolTipText, text);
        p.setColor(g, QPalette::Link, QColor(230, 70, 50));
        p.setColor(g, QPalette::LinkVisited, QColor(170, 40, 30));
        p.setColor(g, QPalette::Light, QColor(90, 10, 10));
        p.setColor(g, QPalette::Midlight, QColor(70, 6, 6));
        p.setColor(g, QPalette::Mid, QColor(50, 4, 4));
        p.setColor(g, QPalette::Dark, QColor(16, 0, 0));
        p.setColor(g, QPalette::Shadow, Qt::black);
    }
    return p;
}

void ApplyNightPalette(bool on) {
    if (on == gNight) return;
    if (on) {
        gDayPalette = QApplication::palette();
        QApplication::setPalette(NightPalette());
    } else {
        QApplication::setPalette(gDayPalette ? *gDayPalette : QPalette());
    }
    gNight = on;
}

bool NightPaletteOn() { return gNight; }
