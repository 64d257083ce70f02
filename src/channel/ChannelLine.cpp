#include "channel/ChannelLine.h"

#include "peer/PeerRecord.h"

#include <QList>

namespace quibo::channel {

namespace {

using Chars = QList<uint>;

QString toText(const Chars &chars, qsizetype from, qsizetype count)
{
    const Chars part = chars.mid(from, count);
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(part.constData()), part.size());
}

// Position of the last space in [from, to) of `chars`, or 0 when there is none.
qsizetype lastSpace(const Chars &chars, qsizetype from, qsizetype to)
{
    for (qsizetype i = std::min(to, chars.size()) - 1; i >= from; --i) {
        if (chars[i] == uint(u' '))
            return i;
    }
    return 0;
}

void appendHardRows(QStringList &rows, const Chars &chars, qsizetype from)
{
    for (qsizetype at = from; at < chars.size(); at += RowWidth)
        rows.append(toText(chars, at, RowWidth));
}

} // namespace

QString composeLine(const QString &handle, const QString &text)
{
    return handle + QStringLiteral("> ") + text;
}

QByteArray lineBlock(const QString &line)
{
    return peer::buildBlock(line, LineBytes);
}

QByteArray noticeBytes(const QString &line)
{
    QByteArray bytes = peer::buildBlock(line, LineBytes);
    bytes.truncate(bytes.indexOf('\0') + 1);
    return bytes;
}

QString receivedLine(const QByteArray &bytes)
{
    return peer::parseRecord(bytes).text;
}

QString senderOf(const QString &line)
{
    const qsizetype mark = line.indexOf(u'>');
    return mark < 0 ? line : line.left(mark);
}

QStringList channelRows(const QString &line)
{
    const Chars chars = line.toUcs4();
    const qsizetype n = chars.size();
    if (n < RowWidth)
        return {line};

    QStringList rows;
    const qsizetype s1 = lastSpace(chars, 0, RowWidth);
    if (s1 == 0) {
        appendHardRows(rows, chars, 0);
        return rows;
    }
    rows.append(toText(chars, 0, s1));
    const qsizetype rest = s1 + 1;
    if (n < 2 * RowWidth) {
        appendHardRows(rows, chars, rest);
        return rows;
    }
    const qsizetype s2 = lastSpace(chars, RowWidth, 2 * RowWidth);
    if (s2 == 0 || s2 - s1 > RowWidth) {
        appendHardRows(rows, chars, rest);
        return rows;
    }
    // The second row keeps its closing space; what a third row cannot hold is not shown.
    rows.append(toText(chars, rest, s2 - s1));
    rows.append(toText(chars, s2 + 1, RowWidth));
    return rows;
}

} // namespace quibo::channel
