#pragma once

#include <QObject>
#include <QString>

namespace quibo {

// The program's icon in the desktop's tray, where there is one.
class TrayView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setToolTip(const QString &text) = 0;

Q_SIGNALS:
    // The icon itself or its menu's "Show Quibo32".
    void showMainWindowChosen();
    void logOffChosen();
    void exitChosen();
};

} // namespace quibo
