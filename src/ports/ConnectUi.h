#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace quibo {

// The start-up dialog "Quibo32" with its prompt and the "&Connect" button.
class ConnectView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setPrompt(const QString &prompt) = 0;
    virtual void setConnectEnabled(bool enabled) = 0;
    virtual void minimize() = 0;
    // Make it the active window with the focus.
    virtual void activate() = 0;

Q_SIGNALS:
    void connectClicked();
    // The minimised dialog was brought back from the task bar.
    void restored();
    // Closed or cancelled, for any reason.
    void closed();
};

class ConnectUi {
public:
    virtual ~ConnectUi() = default;
    // Shows the dialog; it lives until the view is destroyed.
    virtual std::unique_ptr<ConnectView> openConnectDialog() = 0;
};

} // namespace quibo
