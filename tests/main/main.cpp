// The window tests need a QApplication; offscreen, so no display.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {
// The offscreen platform's notes about window hints are noise here.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtDebugMsg || type == QtInfoMsg || text.contains("propagateSizeHints") ||
        text.startsWith("QStandardPaths:") || text.contains("does not support raise()") ||
        text.contains("does not support QPlatformServices"))
        return;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(QtMessages);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
