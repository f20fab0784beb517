#include "uNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {
constexpr const char* kShowAction = "show";
// Notifications kept for their "Show" at most; older ones are forgotten.
constexpr int kMaxRemembered = 200;
}  // namespace

TDesktopNotifier::TDesktopNotifier(const QDBusConnection& bus, QString appName, QString icon, QString desktopEntry,
                                   QObject* parent)
    : QObject(parent), Bus(bus), AppName(std::move(appName)), Icon(std::move(icon)),
      DesktopEntry(std::move(desktopEntry)) {
    if (!Bus.isConnected()) return;
    // Any sender: a notification service that restarts gets a new unique name.
    Bus.connect(QString(), kNotifyPath, kNotifyService, "ActionInvoked", this, SLOT(OnActionInvoked(uint, QString)));
    Bus.connect(QString(), kNotifyPath, kNotifyService, "NotificationClosed", this, SLOT(OnClosed(uint, uint)));
}

void TDesktopNotifier::Notify(const QString& summary, const QString& body, long long number) {
    if (!Bus.isConnected()) {
        FallBack(summary, body, "no session bus");
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kNotifyService, kNotifyPath, kNotifyService, "Notify");
    QVariantMap hints;
    if (!DesktopEntry.isEmpty()) hints.insert("desktop-entry", DesktopEntry);
    hints.insert("category", QString("x-orbisk.pass"));
    // "default" is a click on the notification itself.
    const QStringList actions = {"default", "Show", kShowAction, "Show"};
    call << AppName << uint(0) << Icon << summary << body << actions << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(Bus.asyncCall(call, kNotifyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [=, this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            FallBack(summary, body, reply.error().message().isEmpty() ? reply.error().name() : reply.error().message());
            return;
        }
        if (Shown.size() >= kMaxRemembered) Shown.clear();
        Shown.insert(reply.value(), number);
        ++Delivered;
        LastFailed = false;
        emit Finished(true);
    });
}

void TDesktopNotifier::FallBack(const QString& summary, const QString& body, const QString& why) {
    ++FellBack;
    LastFailed = true;
    LastError = why;
    if (Fallback) Fallback(body.isEmpty() ? summary : summary + " — " + body);
    emit Finished(false);
}

void TDesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    const auto it = Shown.constFind(id);
    if (it == Shown.constEnd()) return;  // another program's notification
    if (action == kShowAction || action == "default") emit ShowRequested(it.value());
}

void TDesktopNotifier::OnClosed(uint id, uint) { Shown.remove(id); }
