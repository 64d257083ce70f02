#pragma once

#include <QCoro/QCoroTask>
#include <QObject>

namespace quibo {

// An open dialog that acts while it stays open: it reports its buttons as actions and the
// behaviour decides when it closes. Button ids are the dialog's control ids (1 = OK, 2 = Cancel).
class DialogView : public QObject {
    Q_OBJECT
public:
    static constexpr int Closed = -1;

    using QObject::QObject;
    virtual void close() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;
    // Shows the current values of the fields the dialog was opened over.
    virtual void refresh() = 0;
    virtual void setButtonsEnabled(bool enabled) = 0;
    // Raises the open dialog over the user's other windows (a desktop notification's click).
    virtual void bringForward() {}

Q_SIGNALS:
    // A button's control id, or Closed once when the dialog has closed by any means.
    void action(int controlId);
};

// The next action of `view`; Closed at once when it is already closed.
QCoro::Task<int> nextAction(DialogView &view);

} // namespace quibo
