#pragma once

#include "ports/HistoryUi.h"

#include <QList>
#include <QString>

namespace quibo::fts {

// Marks put around the matched words of a found text; they are private-use characters.
inline constexpr char16_t MarkOpen = u'\uE000';
inline constexpr char16_t MarkClose = u'\uE001';

// What the user typed as a full-text query: each word (a run without spaces) becomes a quoted
// phrase that must appear, so no typed character is read as query syntax; the last word
// also matches as the start of a longer word, as results come while the user types. A last
// word of one letter or digit matches only itself: every word starts with some letter. Empty
// when nothing in `typed` can match.
QString query(const QString &typed);

// The matched parts of `original`, read from `marked`, the same text with the marks around
// them. None when the two do not agree, as when the original holds a mark itself.
QList<TextSpan> markedSpans(const QString &marked, const QString &original);

} // namespace quibo::fts
