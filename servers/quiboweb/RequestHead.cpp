#include "RequestHead.h"

namespace quibo::web {

QByteArrayView trimBlanks(QByteArrayView text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

TakenField takeField(const QByteArray &head, QByteArrayView name)
{
    TakenField taken;
    qsizetype lineStart = head.indexOf('\n') + 1; // the request line is no field
    if (lineStart == 0)
        return {head, std::nullopt};
    taken.head = head.left(lineStart);
    while (lineStart < head.size()) {
        qsizetype lineEnd = head.indexOf('\n', lineStart);
        lineEnd = lineEnd < 0 ? head.size() : lineEnd + 1;
        const QByteArrayView line = QByteArrayView(head).sliced(lineStart, lineEnd - lineStart);
        if (line == "\r\n") { // the head ends here
            taken.head += QByteArrayView(head).sliced(lineStart);
            break;
        }
        const qsizetype colon = line.indexOf(':');
        if (!line.endsWith("\r\n") || colon < 0 || line.first(colon).compare(name, Qt::CaseInsensitive) != 0) {
            taken.head += line;
        } else {
            const QByteArrayView value = trimBlanks(line.sliced(colon + 1).chopped(2));
            taken.value = taken.value ? *taken.value + ", " + value.toByteArray() : value.toByteArray();
        }
        lineStart = lineEnd;
    }
    return taken;
}

} // namespace quibo::web
