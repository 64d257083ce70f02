#pragma once

#include <QString>

namespace quibo {

// Where the client stands with its one private chat.
enum class ChatPhase {
    Idle,      // no private chat: a request is welcome
    Asking,    // this side asked; its window waits for the partner's first line
    Accepting, // this side accepted; its window opens, then its joined notice goes out
    Open,      // both sides are in the chat
    Closing,   // the window is closing, by the user or after a refusal
};

// The one private chat of a client. Only the private chat feature moves it; the rest reads it.
class PrivateChatSession {
public:
    [[nodiscard]] ChatPhase phase() const { return m_phase; }
    // From asking or accepting until the window has closed: new requests are answered busy.
    [[nodiscard]] bool busy() const { return m_phase != ChatPhase::Idle; }
    // The window is open (or closing).
    [[nodiscard]] bool windowOpen() const
    {
        return m_phase == ChatPhase::Asking || m_phase == ChatPhase::Open || m_phase == ChatPhase::Closing;
    }
    // This side sent the request.
    [[nodiscard]] bool initiator() const { return m_initiator; }
    // The partner is in the chat: from accepting on the invitee's side, from the partner's
    // first line on the initiator's. Nothing is said at closing to a partner who never joined.
    [[nodiscard]] bool partnerJoined() const { return m_partnerJoined; }
    // "|704" came; cleared when a window opens.
    [[nodiscard]] bool peerClosed() const { return m_peerClosed; }
    // The next row of the private chat window; its own count, not the channel's.
    [[nodiscard]] int rowCount() const { return m_rowCount; }
    [[nodiscard]] const QString &partner() const { return m_partner; } // the handle as shown
    [[nodiscard]] const QString &peerAddress() const { return m_peerAddress; }

    // Idle to Asking, or to Accepting; false, changing nothing, when busy.
    bool ask(QString partner, QString address)
    {
        return begin(ChatPhase::Asking, std::move(partner), std::move(address));
    }
    bool accept(QString partner, QString address)
    {
        return begin(ChatPhase::Accepting, std::move(partner), std::move(address));
    }
    void windowOpened()
    {
        m_peerClosed = false;
        m_rowCount = 1;
        if (m_phase == ChatPhase::Accepting)
            m_phase = ChatPhase::Open;
    }
    void rowsShown(int rows) { m_rowCount += rows; }
    // A line from the partner: the initiator's partner has joined.
    void partnerSpoke()
    {
        m_partnerJoined = true;
        if (m_phase == ChatPhase::Asking)
            m_phase = ChatPhase::Open;
    }
    void partnerClosed() { m_peerClosed = true; }
    // "|702" or "|703", or the user closing the window.
    void closing()
    {
        if (m_phase != ChatPhase::Idle)
            m_phase = ChatPhase::Closing;
    }
    // The window has closed, or never opened.
    void ended() { m_phase = ChatPhase::Idle; }

private:
    bool begin(ChatPhase phase, QString partner, QString address)
    {
        if (busy())
            return false;
        m_phase = phase;
        m_initiator = phase == ChatPhase::Asking;
        m_partnerJoined = phase == ChatPhase::Accepting;
        m_partner = std::move(partner);
        m_peerAddress = std::move(address);
        return true;
    }

    ChatPhase m_phase = ChatPhase::Idle;
    bool m_initiator = true;
    bool m_partnerJoined = false;
    bool m_peerClosed = false;
    int m_rowCount = 0;
    QString m_partner;
    QString m_peerAddress;
};

} // namespace quibo
