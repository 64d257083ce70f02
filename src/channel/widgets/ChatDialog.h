#pragma once

#include "ports/ChatUi.h"
#include "widgetkit/FormDialog.h"

#include <memory>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace quibo {

// What the two chat windows share: the list "Incoming Messages" (400 px, blue text), the edit
// line of 130 characters copied into the fields at every change, Enter to send and "Close
// Channel". Esc and the close box close the window too.
class ChatDialog : public FormDialog {
    Q_OBJECT
public:
    // Shows `fields` and writes the edit line into them. They must outlive the dialog.
    void setFields(ChatFields &fields);
    void refresh() override;
    void setButtonsEnabled(bool enabled) override;
    void appendRow(const QString &row);

    [[nodiscard]] QTreeWidget *list() const { return m_list; }
    [[nodiscard]] QLineEdit *edit() const { return m_edit; }
    [[nodiscard]] QStringList rows() const;

protected:
    explicit ChatDialog(QWidget *parent = nullptr);
    // Called once the form is set up.
    void wire(QTreeWidget *list, QLineEdit *edit, QPushButton *closeButton);

private:
    QTreeWidget *m_list = nullptr;
    QLineEdit *m_edit = nullptr;
    QPushButton *m_close = nullptr;
    ChatFields *m_fields = nullptr;
};

// An open chat window as the behaviour drives it; it deletes the window when it goes.
class ChatWindowView : public ChatView {
    Q_OBJECT
public:
    explicit ChatWindowView(ChatDialog *dialog);
    ~ChatWindowView() override;

    void appendRow(QString row) override;
    void close() override { m_form.close(); }
    [[nodiscard]] bool isOpen() const override { return m_form.isOpen(); }
    void refresh() override { m_form.refresh(); }
    void setButtonsEnabled(bool enabled) override { m_form.setButtonsEnabled(enabled); }
    void bringForward() override { m_form.bringForward(); }

private:
    FormDialogView m_form;
};

// Shows `dialog` over `fields` as a window of its own.
std::unique_ptr<ChatView> openChatWindow(ChatDialog *dialog, ChatFields &fields);

} // namespace quibo
