// Desktop notifications over the session bus (org.freedesktop.Notifications)
// with a "Show" action; when no service answers (no bus, nobody owns the
// name, an error reply or no reply in time) the text goes to a fallback,
// the main window's status bar.
#pragma once
#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

inline constexpr const char* kNotifyService = "org.freedesktop.Notifications";
inline constexpr const char* kNotifyPath = "/org/freedesktop/Notifications";
// A service that has not answered by then counts as none.
inline constexpr int kNotifyTimeoutMs = 5000;

class TDesktopNotifier : public QObject {
    Q_OBJECT
public:
    // icon: a theme icon name or an absolute file path; desktopEntry: the
    // desktop file's name without ".desktop".
    TDesktopNotifier(const QDBusConnection& bus, QString appName, QString icon, QString desktopEntry,
                     QObject* parent = nullptr);

    using TFallback = std::function<void(const QString& text)>;
    void SetFallback(TFallback fallback) { Fallback = std::move(fallback); }

    // number: the satellite's catalogue number, given back by ShowRequested
    // when the user picks "Show".
    void Notify(const QString& summary, const QString& body, long long number);

    // Counts, for the Alerts window and the tests.
    int delivered() const { return Delivered; }
    int fellBack() const { return FellBack; }
    // Why the last notification went to the fallback ("" when none did).
    QString lastError() const { return LastError; }
    // The last notification went to the fallback.
    bool lastDeliveryFailed() const { return LastFailed; }

signals:
    void ShowRequested(long long number);
    // A notification was answered (delivered true) or fell back.
    void Finished(bool delivered);

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    void FallBack(const QString& summary, const QString& body, const QString& why);

    QDBusConnection Bus;
    QString AppName, Icon, DesktopEntry;
    TFallback Fallback;
    QHash<uint, long long> Shown;  // notification id -> catalogue number
    int Delivered = 0, FellBack = 0;
    bool LastFailed = false;
    QString LastError;
};
