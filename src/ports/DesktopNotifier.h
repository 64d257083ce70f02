#pragma once

#include <QObject>
#include <QString>

namespace quibo {

// Desktop notifications: a short note outside the program's windows that the user can click.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Shows `summary` over `body` (plain text, cut by the notifier). Returns the id that
    // `activated` reports when the user clicks it; 0 when notifications cannot be shown.
    virtual quint32 notify(const QString &summary, const QString &body) = 0;

Q_SIGNALS:
    void activated(quint32 id);
};

} // namespace quibo
