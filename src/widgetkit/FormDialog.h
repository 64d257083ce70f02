#pragma once

#include "ports/DialogView.h"
#include "widgetkit/QuiboDialog.h"

#include <QPointer>
#include <QValidator>

namespace quibo {

// A dialog that acts while it stays open: its buttons are reported, not obeyed, and the
// behaviour decides when it closes. Esc and the close box still close it.
class FormDialog : public QuiboDialog {
    Q_OBJECT
public:
    using QuiboDialog::QuiboDialog;

    // Shows the current values of the fields the dialog was opened over.
    virtual void refresh() = 0;
    virtual void setButtonsEnabled(bool enabled) = 0;

Q_SIGNALS:
    void buttonPressed(int controlId);
};

// A FormDialog as the behaviour drives it. The dialog lives until it is closed or this view
// is destroyed, whichever comes first.
class FormDialogView : public DialogView {
    Q_OBJECT
public:
    explicit FormDialogView(FormDialog *dialog);
    ~FormDialogView() override;

    void close() override;
    [[nodiscard]] bool isOpen() const override;
    void refresh() override;
    void setButtonsEnabled(bool enabled) override;
    void bringForward() override;

    [[nodiscard]] FormDialog *dialog() const { return m_dialog; }

private:
    void reportClosed();

    QPointer<FormDialog> m_dialog;
    bool m_closedReported = false;
};

// Accepts text whose UTF-8 form fits `maxBytes` bytes: the limits of the user's files count
// bytes, so an accented letter takes two of them.
class Utf8LimitValidator : public QValidator {
    Q_OBJECT
public:
    Utf8LimitValidator(qsizetype maxBytes, QObject *parent);
    State validate(QString &input, int &position) const override;

private:
    qsizetype m_maxBytes;
};

} // namespace quibo
