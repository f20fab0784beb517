// Desktop notifications on a private session bus: a recording notification
// service (python3-dbusmock's template) gets the call with the summary and
// the "Show" action, its ActionInvoked asks for the satellite, and without
// a service the text goes to the fallback.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QSignalSpy>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "WindowTestUtil.h"
#include "uNotifier.h"

extern char** environ;

namespace {

// A child process of the test, ended by its pid. Its output goes to a file,
// not to the test's: a test killed before its destructor ran would otherwise
// leave the child holding ctest's pipe, and ctest waits for it to close.
struct TChild {
    pid_t pid = -1;
    int out = -1;  // its standard output, when asked for
    bool Start(std::vector<std::string> args, const std::vector<std::string>& extraEnv, bool pipeOut,
               const std::string& logPath) {
        int fds[2] = {-1, -1};
        if (pipeOut && pipe(fds) != 0) return false;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        if (pipeOut) {
            posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
            posix_spawn_file_actions_addclose(&fa, fds[0]);
        } else {
            posix_spawn_file_actions_addopen(&fa, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        }
        posix_spawn_file_actions_addopen(&fa, 2, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        std::vector<std::string> envText(extraEnv);
        for (char** e = environ; *e; ++e) envText.emplace_back(*e);
        std::vector<char*> env, argv;
        for (std::string& e : envText) env.push_back(e.data());
        env.push_back(nullptr);
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), env.data());
        posix_spawn_file_actions_destroy(&fa);
        if (pipeOut) {
            close(fds[1]);
            out = fds[0];
        }
        if (rc != 0) pid = -1;
        return rc == 0;
    }
    std::string ReadLine() {
        std::string line;
        char c;
        while (out >= 0 && read(out, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }
    ~TChild() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) close(out);
    }
};

struct TNotifierTest : ::testing::Test {
    TTestFolder folder;
    TChild bus;
    std::string address;
    QString connectionName = "orbisk-test-bus";

    void SetUp() override {
        if (access("/usr/bin/dbus-daemon", X_OK) != 0) GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(bus.Start({"/usr/bin/dbus-daemon", "--session", "--print-address", "--nofork"}, {}, true,
                              folder / "bus.out"));
        address = bus.ReadLine();
        ASSERT_FALSE(address.empty()) << "dbus-daemon printed no address";
    }
    void TearDown() override { QDBusConnection::disconnectFromBus(connectionName); }
    QDBusConnection Connection() {
        return QDBusConnection::connectToBus(QString::fromStdString(address), connectionName);
    }
    // The recording service on the private bus, its calls logged to log.
    bool StartService(TChild& service, const std::string& log) {
        if (!service.Start({"/usr/bin/python3", "-m", "dbusmock", "--template", "notification_daemon", "-l", log},
                           {"DBUS_SESSION_BUS_ADDRESS=" + address}, false, log + ".out"))
            return false;
        QDBusConnection c = Connection();
        return WaitFor([&] { return c.interface()->isServiceRegistered(kNotifyService).value(); }, 15000);
    }
};

TEST_F(TNotifierTest, RecordingServiceGetsTheCallAndShowAsksForTheSatellite) {
    TChild service;
    const std::string log = folder / "calls.log";
    ASSERT_TRUE(StartService(service, log)) << "the notification service did not come up";
    TDesktopNotifier notifier(Connection(), "Skyvane", "orbisk", "orbisk");
    std::vector<QString> fallen;
    notifier.SetFallback([&](const QString& text) { fallen.push_back(text); });
    QSignalSpy show(&notifier, &TDesktopNotifier::ShowRequested);

    notifier.Notify(QString::fromUtf8("ISS (ZARYA) 67\u00B0 mag -3.1"), "AOS in 10 min", 25544);
    ASSERT_TRUE(WaitFor([&] { return notifier.delivered() == 1; }, 10000)) << notifier.lastError().toStdString();
    EXPECT_TRUE(fallen.empty());
    QFile file(QString::fromStdString(log));
    ASSERT_TRUE(WaitFor([&] { return file.exists() && file.size() > 0; }, 5000));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString calls = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(calls.contains("Notify \"Skyvane\"")) << calls.toStdString();
    EXPECT_TRUE(calls.contains(QString::fromUtf8("\"ISS (ZARYA) 67\u00B0 mag -3.1\""))) << calls.toStdString();
    EXPECT_TRUE(calls.contains("\"show\", \"Show\"")) << calls.toStdString();
    EXPECT_TRUE(calls.contains("desktop-entry")) << calls.toStdString();

    // The service's first notification has id 1; a click on "Show" comes back as a signal.
    const auto emitSignal = [&](uint id, const QString& action) {
        QDBusMessage m = QDBusMessage::createMethodCall(kNotifyService, kNotifyPath, "org.freedesktop.DBus.Mock",
                                                        "EmitSignal");
        m << QString(kNotifyService) << QString("ActionInvoked") << QString("us")
          << QVariantList{QVariant::fromValue(id), action};
        return Connection().call(m).type() == QDBusMessage::ReplyMessage;
    };
    ASSERT_TRUE(emitSignal(1, "show"));
    ASSERT_TRUE(WaitFor([&] { return show.count() == 1; }, 5000));
    EXPECT_EQ(show.at(0).at(0).toLongLong(), 25544);
    // Another program's notification is none of ours.
    ASSERT_TRUE(emitSignal(77, "show"));
    QTest::qWait(300);
    EXPECT_EQ(show.count(), 1);
}

TEST_F(TNotifierTest, WithoutServiceTheTextGoesToTheFallback) {
    TDesktopNotifier notifier(Connection(), "Skyvane", "orbisk", "orbisk");
    std::vector<QString> fallen;
    notifier.SetFallback([&](const QString& text) { fallen.push_back(text); });
    notifier.Notify("ISS (ZARYA) 67\u00B0", "AOS in 1 min", 25544);
    ASSERT_TRUE(WaitFor([&] { return !fallen.empty(); }, 10000));
    EXPECT_EQ(fallen[0], QString::fromUtf8("ISS (ZARYA) 67\u00B0 \u2014 AOS in 1 min"));
    EXPECT_EQ(notifier.delivered(), 0);
    EXPECT_FALSE(notifier.lastError().isEmpty());

    // No bus at all: at once.
    TDesktopNotifier none(QDBusConnection::connectToBus("unix:path=" + QString::fromStdString(folder / "nobus"),
                                                        "orbisk-no-bus"),
                          "Skyvane", "orbisk", "orbisk");
    bool told = false;
    none.SetFallback([&](const QString&) { told = true; });
    none.Notify("x", "", 1);
    EXPECT_TRUE(told);
    QDBusConnection::disconnectFromBus("orbisk-no-bus");
}

}  // namespace
