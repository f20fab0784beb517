#include "uScreenshots.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "frMain.h"

namespace {

constexpr int kPollMs = 100;
constexpr int kGiveUpPolls = 600;  // one minute

struct TShot {
    int mode;
    const char* name;
    QAction* TMainWndUi::*action;
};
const TShot kShots[] = {
    {kViewMap, "orbisk-map.png", &TMainWndUi::menu_map},
    {kViewSky, "orbisk-sky.png", &TMainWndUi::menu_sky},
    {kViewGlobe, "orbisk-globe.png", &TMainWndUi::menu_globe},
};

struct TState {
    std::size_t next = 0;
    bool switched = false;
    int polls = 0;
};

}  // namespace

void SaveScreenshots(TfrMainWnd& window, const std::string& folder) {
    QDir().mkpath(QString::fromStdString(folder));
    auto* timer = new QTimer(&window);
    auto state = std::make_shared<TState>();
    QObject::connect(timer, &QTimer::timeout, &window, [&window, folder, timer, state] {
        if (++state->polls > kGiveUpPolls) {
            std::fprintf(stderr, "orbisk: the window did not settle; no more pictures\n");
            timer->stop();
            window.close();
            return;
        }
        if (!window.loaded() || !window.idle() || window.busy() || window.framesDrawn() == 0) return;
        if (state->next == std::size_t(std::size(kShots))) {
            timer->stop();
            window.close();
            return;
        }
        const TShot& shot = kShots[state->next];
        if (!state->switched) {
            if (window.session().Options.viewMode != shot.mode) (window.ui().*shot.action)->trigger();
            state->switched = true;
            return;  // the switch runs on a worker; look again once it is done
        }
        QApplication::processEvents();
        const std::string path = folder + "/" + shot.name;
        if (!window.grab().save(QString::fromStdString(path), "PNG"))
            std::fprintf(stderr, "orbisk: cannot write %s\n", path.c_str());
        else
            std::printf("%s\n", path.c_str());
        ++state->next;
        state->switched = false;
    });
    timer->start(kPollMs);
}
