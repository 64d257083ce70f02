#pragma once

#include "ports/ChatUi.h"
#include "ports/Journal.h"

#include <QCoro/QCoroTask>
#include <QObject>

#include <memory>

namespace quibo {

class ChannelSession;
struct LogonState;
class ChannelOutbox;
class ContactTable;

// "Quibo32 Chat Channel", the same window for the host and the members: shows lines as rows,
// sends what is typed (to the members when hosting, else to the host), and on "Close Channel"
// leaves the channel.
class ChannelWindow : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const ChannelSession &session;
        const LogonState &logon;
        const ContactTable &contacts;
        ChannelOutbox &outbox;
        ChannelUi &ui;
        Journal &journal;
    };
    explicit ChannelWindow(Parts parts, QObject *parent = nullptr);
    ~ChannelWindow() override;

    // Opens the window over `hostLabel` and completes when it has closed.
    QCoro::Task<> run(QString hostLabel);
    // The rows of `line`, added to the open window (none when it is closed).
    void ShowChannelLine(const QString &line);
    [[nodiscard]] bool isOpen() const { return m_view && m_view->isOpen(); }

private:
    void SendTypedLine();
    void LeaveChannel();
    void showRows(const QString &line);

    Parts m_parts;
    ChatFields m_fields;
    std::unique_ptr<ChatView> m_view;
    Party m_party; // the channel open, by its host
};

} // namespace quibo
