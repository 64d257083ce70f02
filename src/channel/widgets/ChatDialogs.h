#pragma once

#include "channel/widgets/ChatDialog.h"
#include "widgetkit/QuiboDialog.h"

#include <memory>

class QLabel;

namespace Ui {
class CChatChannelDlg;
class CPrivateChatDlg;
class CPrivateChatRequestDlg;
} // namespace Ui

namespace quibo {

// "Quibo32 Chat Channel": "Multi-User Chat Channel Hosted By" and the host's handle.
class CChatChannelDlg : public ChatDialog {
    Q_OBJECT
public:
    explicit CChatChannelDlg(QWidget *parent = nullptr);
    ~CChatChannelDlg() override;
    void setHostLabel(const QString &host);
    [[nodiscard]] QString hostLabel() const;

private:
    std::unique_ptr<Ui::CChatChannelDlg> m_ui;
};

// "Quibo32 Private Chat Channel": "Private Chat:", the partner, "<-->", the own handle. The
// initiator's window starts with "Please Wait For Contact To Join ...".
class CPrivateChatDlg : public ChatDialog {
    Q_OBJECT
public:
    explicit CPrivateChatDlg(QWidget *parent = nullptr);
    ~CPrivateChatDlg() override;
    void setLabels(const PrivateChatLabels &labels);
    [[nodiscard]] QString header() const; // partner, "<-->", own, as shown

private:
    std::unique_ptr<Ui::CPrivateChatDlg> m_ui;
};

// "Quibo32 - Request For Private Chat": "&Yes" accepts; "&No", Esc and the close box decline.
class CPrivateChatRequestDlg : public QuiboDialog {
    Q_OBJECT
public:
    explicit CPrivateChatRequestDlg(QWidget *parent = nullptr);
    ~CPrivateChatRequestDlg() override;
    void setRequester(const QString &handle);
    [[nodiscard]] QStringList lines() const;

private:
    std::unique_ptr<Ui::CPrivateChatRequestDlg> m_ui;
};

} // namespace quibo
