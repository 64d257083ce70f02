#pragma once

namespace quibo {

// Who has the one send dialog open.
enum class SendDialogUse {
    Closed,
    NewMessage, // opened from the main window
    Reply,      // opened by a received message's Reply
};

// The message dialogs' state. Only messaging moves it; the rest reads it.
class MessagingState {
public:
    [[nodiscard]] SendDialogUse sendDialog() const { return m_sendDialog; }
    // A reply to a received message is being written.
    [[nodiscard]] bool replyPending() const { return m_sendDialog == SendDialogUse::Reply; }
    // The send dialog is open from the main window.
    [[nodiscard]] bool sendDialogOpen() const { return m_sendDialog == SendDialogUse::NewMessage; }

    // The send dialog opens for `use`; false, changing nothing, while it is open already.
    bool opening(SendDialogUse use)
    {
        if (m_sendDialog != SendDialogUse::Closed)
            return false;
        m_sendDialog = use;
        return true;
    }
    void closed() { m_sendDialog = SendDialogUse::Closed; }

private:
    SendDialogUse m_sendDialog = SendDialogUse::Closed;
};

} // namespace quibo
