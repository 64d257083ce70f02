#pragma once

#include "peer/Listener.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quibo::channel {

// A channel or private chat line travels as a 512-byte block: the text, a zero byte, padding.
inline constexpr qsizetype LineBytes = 512;
// A chat port's listener: ten tries, Timings::channelListenRetry apart, for one line each, or
// many on a kept connection from a secure contact.
inline ListenRule chatPortRule()
{
    return {10, &Timings::channelListenRetry, false, LineBytes, 32};
}
// Widest row of a chat window, in characters.
inline constexpr qsizetype RowWidth = 72;

inline const QString SessionClosed = QStringLiteral("<-- Session Closed - Please Exit -->");
inline const QString ChatSessionClosed = QStringLiteral("<-- Chat Session Closed - Please Exit -->");
inline const QString JoinedNotice = QStringLiteral(" <-- Has Joined The Channel --> ");
inline const QString LeftNotice = QStringLiteral(" <-- Has Left The Channel -->");

// handle + "> " + text.
QString composeLine(const QString &handle, const QString &text);
// A typed line's block of LineBytes bytes.
QByteArray lineBlock(const QString &line);
// A joined or left notice: the text and its zero byte alone.
QByteArray noticeBytes(const QString &line);
// The text a receiver shows: up to the first zero byte, whole characters.
QString receivedLine(const QByteArray &bytes);
// The sender's handle: the text before the first ">", the whole text when there is none.
QString senderOf(const QString &line);

// The rows a line takes in a chat window. Breaks at the last space before column 72 and before
// column 144; a line that leaves no such space, or that would give a row wider than 72
// characters, is cut hard every 72 characters instead, so nothing is lost. Columns count
// characters, not bytes or UTF-16 units.
QStringList channelRows(const QString &line);

} // namespace quibo::channel
