#pragma once

#include "ports/DialogOwner.h"
#include "ports/DialogView.h"

#include <QString>

#include <memory>

namespace quibo {

// Whether the send dialog is open as a reply; its hidden field shows "1" while it is, "0"
// after a reply, nothing before the first.
enum class ReplyMode { NoneYet, Replying, Replied };

inline QString replyModeText(ReplyMode mode)
{
    return mode == ReplyMode::Replying  ? QStringLiteral("1")
           : mode == ReplyMode::Replied ? QStringLiteral("0")
                                        : QString();
}

// The data members of the one send-message dialog object. They outlive each showing: a text
// typed and cancelled is there at the next one, until a send from the main window empties it.
struct SendMessageFields {
    QString m_message;
    QString m_to;
    QString m_replyAddress;
    ReplyMode m_replyMode = ReplyMode::NoneYet; // only messaging sets it
};

struct ReceivedMessageFields {
    QString m_message;
    QString m_from;
};

// The message dialogs. Each is shown over its fields: the send dialog writes every edit into
// fields.m_message at once; refresh() shows fields changed from elsewhere.
class MessageUi {
public:
    static constexpr int SendButton = 1009;
    static constexpr int CancelButton = 2;
    static constexpr int OkButton = 1;
    static constexpr int ReplyButton = 1013;

    virtual ~MessageUi() = default;
    // "Quibo32 - Send Message": actions SendButton and CancelButton.
    virtual std::unique_ptr<DialogView> openSendMessage(DialogOwner owner, SendMessageFields &fields) = 0;
    // "Quibo32 - Received Message": actions OkButton and ReplyButton.
    virtual std::unique_ptr<DialogView> openReceivedMessage(ReceivedMessageFields &fields) = 0;
};

} // namespace quibo
