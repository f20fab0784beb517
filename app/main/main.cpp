// orbisk: the program window. Parses its command line, settles its folders
// and shows the main window.
#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frMain.h"
#include "uArgValues.h"
#include "uScreenshots.h"
#include "uStartup.h"

namespace {

// Until the application object exists, a fatal message of Qt's means that
// no display could be opened (a DISPLAY that does not answer, no platform
// plugin): said plainly, and the status of a failure instead of an abort.
bool StartingUp = true;
QtMessageHandler QtDefaultMessages = nullptr;

void StartUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg && StartingUp) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr,
                     "orbisk: no display could be opened (DISPLAY=%s): %s\n"
                     "The window needs a graphical session; without one, orbisk-predict prints the passes.\n",
                     display ? display : "", text.toLocal8Bit().constData());
        std::_Exit(1);
    }
    if (QtDefaultMessages) QtDefaultMessages(type, context, text);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "orbisk: %s\nTry 'orbisk --help'.\n", message.c_str());
    return 2;
}

bool HaveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(ProgramUsage().c_str(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", VersionLine("orbisk").c_str());
            return 0;
        }
    }
    if (!HaveDisplay()) {
        std::fputs("orbisk: no display: neither DISPLAY nor WAYLAND_DISPLAY is set. The window needs a\n"
                   "graphical session; without one, orbisk-predict prints the passes.\n",
                   stderr);
        return 1;
    }
    QtDefaultMessages = qInstallMessageHandler(StartUpMessages);
    QApplication app(argc, argv);  // takes Qt's own options out of the list
    StartingUp = false;
    QApplication::setApplicationName("orbisk");
    QApplication::setApplicationDisplayName("Skyvane");
    QApplication::setDesktopFileName("orbisk");

    std::vector<std::string> args;
    const QStringList list = QApplication::arguments();
    for (qsizetype i = 1; i < list.size(); ++i) args.push_back(list[i].toStdString());
    TCommandLine cl;
    if (const std::string error = ParseCommandLine(args, cl); !error.empty()) return Fail(error);

    const TFolders folders = ResolveFolders(ExecutableFolder(), cl.dataDir);
    QIcon icon;
    for (const char* size : {"48", "256"})
        icon.addFile(QString::fromStdString(folders.program + "icons/orbisk-" + size + ".png"));
    QApplication::setWindowIcon(icon);

    TfrMainWnd window(folders, cl.haveTime ? &cl.time : nullptr);
    if (!cl.screenshots.empty()) {
        window.SetUnattended(true);
        // The pictures show the window as large as the screen, as a maximised one.
        window.resize(window.screen()->availableGeometry().size());
        window.show();
        SaveScreenshots(window, cl.screenshots);
    } else {
        window.AskPlaceOnFirstStart(true);
        // As it was left; the first time, as large as the screen.
        if (window.layoutRestored()) window.show();
        else window.showMaximized();
    }
    return app.exec();
}
