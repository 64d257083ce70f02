#pragma once

#include "widgetkit/QuiboDialog.h"

class QPushButton;

namespace quibo {

// A message dialog that exists for the whole run and is reused for every opening. Each
// opening is a showing of its own, so whoever opened an earlier one cannot touch a later one.
// Its buttons only report; the behaviour decides when it closes.
class MessageDialog : public QuiboDialog {
    Q_OBJECT
public:
    using Showing = quint64;

    // Shows the dialog afresh over `owner`, ending a showing still open. The keyboard focus
    // starts at the first control and moves forward twice, into the message edit.
    Showing beginShowing(DialogOwner owner, QWidget *mainWindow);
    [[nodiscard]] bool isShowing(Showing showing) const { return m_open && showing == m_showing; }
    void endShowing(Showing showing);

    // Shows the fields it was opened over, as they are now.
    virtual void showFields() = 0;
    virtual void setButtonsEnabled(bool enabled) = 0;

Q_SIGNALS:
    void buttonPressed(int controlId);
    void showingEnded(quint64 showing);

protected:
    explicit MessageDialog(QWidget *parent = nullptr);
    // The control the focus starts from at every showing.
    void setFirstControl(QWidget *control) { m_firstControl = control; }
    // What Esc and the close box stand for.
    void setCancelControl(int controlId) { m_cancelControl = controlId; }
    // A button that reports its control id.
    void reportClicks(QPushButton *button, int controlId);
    // The dialog lets go of its fields when a showing ends.
    virtual void unbind() = 0;

    void reject() override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *m_firstControl = nullptr;
    int m_cancelControl = 2;
    Showing m_showing = 0;
    bool m_open = false;
};

} // namespace quibo
