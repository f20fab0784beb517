#include "frCommands.h"

#include <QAction>
#include <QFile>
#include <QIcon>
#include <QWidget>

void MakeCommands(QWidget* window, std::span<const TCommand> commands, const std::string& iconFolder) {
    for (const TCommand& c : commands) {
        auto* a = new QAction(c.caption, window);
        a->setObjectName(c.name);
        a->setCheckable(c.checkable);
        if (*c.key) a->setShortcut(QKeySequence(c.key));
        const QString tip = *c.hint ? c.hint : c.caption;
        a->setToolTip(tip);
        a->setStatusTip(tip);
        const QString file = QString::fromStdString(iconFolder) + c.icon + ".png";
        const QIcon own = *c.icon && QFile::exists(file) ? QIcon(file) : QIcon();
        a->setIcon(*c.theme ? QIcon::fromTheme(c.theme, own) : own);
        window->addAction(a);
        if (c.handler) QObject::connect(a, &QAction::triggered, window, c.handler);
        *c.field = a;
    }
}
