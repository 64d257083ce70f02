#include "history/SearchQuery.h"

#include <QStringList>

#include <algorithm>

namespace quibo::fts {

namespace {
// A character the index keeps in words: letters, digits, marks and private-use characters.
bool isWordCharacter(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_PrivateUse:
        return true;
    default:
        return QChar::isLetterOrNumber(c);
    }
}

// Spaces and control characters part words; a zero byte would end the query early.
bool partsWords(char32_t c)
{
    return QChar::isSpace(c) || QChar::category(c) == QChar::Other_Control;
}

// The typed text's words: runs of characters between spaces that hold a word character.
QList<QList<char32_t>> typedWords(const QString &typed)
{
    QList<QList<char32_t>> words(1);
    for (const char32_t c : typed.toUcs4()) {
        if (!partsWords(c))
            words.last().append(c);
        else if (!words.last().isEmpty())
            words.append(QList<char32_t>());
    }
    words.removeIf([](const QList<char32_t> &word) { return std::none_of(word.begin(), word.end(), isWordCharacter); });
    return words;
}
} // namespace

QString query(const QString &typed)
{
    const QList<QList<char32_t>> words = typedWords(typed);
    QStringList phrases;
    for (const QList<char32_t> &word : words) {
        QString phrase = QString::fromUcs4(word.data(), word.size());
        phrases.append(u'"' + phrase.replace(u'"', QStringLiteral("\"\"")) + u'"');
    }
    if (phrases.isEmpty())
        return {};
    // The last word typed may be the start of a longer one, when it ends in two word characters.
    const QList<char32_t> &last = words.last();
    const auto tail = std::find_if_not(last.rbegin(), last.rend(), isWordCharacter) - last.rbegin();
    if (tail >= 2)
        phrases.last() += u'*';
    return phrases.join(u' ');
}

QList<TextSpan> markedSpans(const QString &marked, const QString &original)
{
    if (original.contains(MarkOpen) || original.contains(MarkClose))
        return {};
    QList<TextSpan> spans;
    QString plain;
    plain.reserve(original.size());
    qsizetype open = -1;
    for (const QChar c : marked) {
        if (c == MarkOpen && open < 0) {
            open = plain.size();
        } else if (c == MarkClose && open >= 0) {
            if (plain.size() > open)
                spans.append({open, plain.size() - open});
            open = -1;
        } else if (c == MarkOpen || c == MarkClose) {
            return {};
        } else {
            plain += c;
        }
    }
    if (open >= 0 || plain != original)
        return {};
    return spans;
}

} // namespace quibo::fts
