#include "frPalette.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QToolBar>

#include <optional>

#include "uGraphicTools.h"

namespace {
std::optional<QPalette> gDayPalette;
QString gDaySheet;
bool gNight = false;

// The style draws check and radio boxes with an outline darker than the
// window, which on the night window is black on near black, and checked tool
// buttons and the toolbar's edge in grey: draw them in the palette's reds instead.
const char* const kNightIndicators =
    "QCheckBox::indicator, QRadioButton::indicator, QGroupBox::indicator {"
    " width: 11px; height: 11px; border: 1px solid rgb(170, 40, 30); background: rgb(10, 0, 0); }"
    "QRadioButton::indicator { border-radius: 6px; }"
    "QCheckBox::indicator:checked, QRadioButton::indicator:checked, QGroupBox::indicator:checked {"
    " background: rgb(215, 50, 40); }"
    "QCheckBox::indicator:indeterminate { background: rgb(110, 25, 20); }"
    "QCheckBox::indicator:disabled, QRadioButton::indicator:disabled, QGroupBox::indicator:disabled {"
    " border-color: rgb(90, 20, 16); }"
    "QCheckBox::indicator:checked:disabled, QRadioButton::indicator:checked:disabled {"
    " background: rgb(90, 20, 16); }"
    "QToolBar { border: 0px; background: rgb(24, 0, 0); }"
    "QToolBar QToolButton { border: 1px solid transparent; border-radius: 2px; padding: 2px; }"
    "QToolBar QToolButton:hover { border-color: rgb(90, 20, 16); }"
    "QToolBar QToolButton:checked, QToolBar QToolButton:pressed {"
    " background: rgb(70, 6, 6); border-color: rgb(120, 28, 22); }";
// Toolbar icons keep their full colours under any palette: at night each
// action's icon is swapped for a red one, and the day icon kept on the
// action to be put back.
constexpr const char* kDayIcon = "orbiskDayIcon";
constexpr const char* kNightIconKey = "orbiskNightIconKey";

QIcon RedIcon(const QIcon& icon) {
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) sizes = {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
    QIcon red;
    for (const QSize& size : sizes)
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
            QImage image = icon.pixmap(size, 1.0, mode).toImage();
            if (image.isNull()) continue;
            NightColours(image);
            red.addPixmap(QPixmap::fromImage(image), mode);
        }
    return red;
}

void TintToolbar(QToolBar* bar, bool night) {
    for (QAction* a : bar->actions()) {
        if (night) {
            if (a->icon().isNull() || a->property(kDayIcon).isValid()) continue;
            const QIcon day = a->icon();
            a->setIcon(RedIcon(day));
            a->setProperty(kDayIcon, QVariant::fromValue(day));
            a->setProperty(kNightIconKey, a->icon().cacheKey());
        } else if (a->property(kDayIcon).isValid()) {
            // An icon the program changed meanwhile is its own: left alone.
            if (a->property(kNightIconKey).toLongLong() == a->icon().cacheKey())
                a->setIcon(a->property(kDayIcon).value<QIcon>());
            a->setProperty(kDayIcon, QVariant());
            a->setProperty(kNightIconKey, QVariant());
        }
    }
}

// Toolbars of windows opened or filled while the night palette is on.
class TNightToolbars : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show || event->type() == QEvent::ActionAdded)
            if (auto* bar = qobject_cast<QToolBar*>(watched)) TintToolbar(bar, true);
        return false;
    }
};
TNightToolbars* gToolbarFilter = nullptr;

void TintToolbars(bool night) {
    for (QWidget* w : QApplication::allWidgets())
        if (auto* bar = qobject_cast<QToolBar*>(w)) TintToolbar(bar, night);
    if (night && !gToolbarFilter) {
        gToolbarFilter = new TNightToolbars(qApp);
        qApp->installEventFilter(gToolbarFilter);
    } else if (!night && gToolbarFilter) {
        qApp->removeEventFilter(gToolbarFilter);
        delete gToolbarFilter;
        gToolbarFilter = nullptr;
    }
}
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
        gDaySheet = qApp->styleSheet();
        QApplication::setPalette(NightPalette());
        qApp->setStyleSheet(gDaySheet + kNightIndicators);
    } else {
        QApplication::setPalette(gDayPalette ? *gDayPalette : QPalette());
        qApp->setStyleSheet(gDaySheet);
    }
    TintToolbars(on);
    gNight = on;
}

bool NightPaletteOn() { return gNight; }
