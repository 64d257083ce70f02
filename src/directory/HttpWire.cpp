#include "directory/HttpWire.h"

#include <QList>

#include <optional>

namespace quibo::http_wire {

namespace {

QByteArray request(QByteArrayView method, QByteArrayView hostHeader, QByteArrayView target,
                   QByteArrayView acceptLanguage, QByteArrayView extraHeaders)
{
    QByteArray bytes;
    bytes.reserve(200 + target.size());
    bytes.append(method).append(' ').append(target).append(" HTTP/1.1\r\nHost: ").append(hostHeader);
    bytes.append("\r\nAccept-Encoding: identity\r\nConnection: Keep-Alive\r\nAccept-Language: ");
    bytes.append(acceptLanguage)
        .append("\r\nUser-Agent: Mozilla/5.0\r\n")
        .append(extraHeaders)
        .append("\r\n");
    return bytes;
}

} // namespace

QByteArray getRequest(QByteArrayView hostHeader, QByteArrayView target, QByteArrayView acceptLanguage)
{
    return request("GET", hostHeader, target, acceptLanguage, {});
}

QByteArray postRequest(QByteArrayView hostHeader, QByteArrayView target, QByteArrayView form,
                       QByteArrayView acceptLanguage)
{
    const QByteArray headers = "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                               QByteArray::number(form.size()) + "\r\n";
    return request("POST", hostHeader, target, acceptLanguage, headers) + form.toByteArray();
}

QByteArray acceptLanguage(QByteArrayView localeName)
{
    QByteArray name = localeName.toByteArray().replace('_', '-');
    if (name == "C")
        return QByteArrayLiteral("en,*");
    return name.startsWith("en-") ? name + ",*" : name + ",en,*";
}

namespace {

std::optional<qsizetype> lineEnd(const QByteArray &bytes, qsizetype from = 0)
{
    const qsizetype lf = bytes.indexOf('\n', from);
    return lf < 0 ? std::nullopt : std::optional(lf);
}

} // namespace

ResponseReader::State ResponseReader::feed(QByteArrayView bytes)
{
    if (m_state != State::Reading) {
        if (!bytes.isEmpty())
            m_keepAlive = false; // beyond the response: the connection is out of step
        return m_state;
    }
    m_anythingRead = m_anythingRead || !bytes.isEmpty();
    m_pending.append(bytes);
    while (m_state == State::Reading && step()) {
    }
    return m_state;
}

ResponseReader::State ResponseReader::closed()
{
    if (m_state == State::Reading) {
        if (m_part == Part::UntilClose) {
            m_keepAlive = false;
            m_state = State::Complete;
        } else {
            m_state = State::Malformed;
        }
    }
    return m_state;
}

bool ResponseReader::fail()
{
    m_state = State::Malformed;
    m_keepAlive = false;
    return false;
}

// A line is not whole yet: wait for more bytes, unless the part is already longer than any
// well-formed one.
bool ResponseReader::needMore(qsizetype longest)
{
    return m_pending.size() > longest ? fail() : false;
}

// One step of reading; false when more bytes are needed.
bool ResponseReader::step()
{
    switch (m_part) {
    case Part::Head: {
        const qsizetype end = m_pending.indexOf("\r\n\r\n");
        const qsizetype bareEnd = m_pending.indexOf("\n\n");
        qsizetype headEnd = -1;
        if (end >= 0 && (bareEnd < 0 || end < bareEnd))
            headEnd = end + 4;
        else if (bareEnd >= 0)
            headEnd = bareEnd + 2;
        if (headEnd < 0)
            return needMore(MaxHeaderBytes);
        return readHead(headEnd);
    }
    case Part::Body:
    case Part::ChunkData: {
        const qsizetype take = std::min(m_left, m_pending.size());
        m_body.append(m_pending.first(take));
        m_pending.remove(0, take);
        m_left -= take;
        if (m_left > 0)
            return false;
        if (m_part == Part::Body)
            return finishBody();
        m_part = Part::ChunkEnd;
        return true;
    }
    case Part::ChunkEnd: {
        // Exactly a line end: judged byte by byte, so that a reply read in pieces is judged as
        // it is read whole.
        const qsizetype end = m_pending.startsWith("\r\n") ? 2 : m_pending.startsWith('\n') ? 1 : 0;
        if (end == 0)
            return m_pending.isEmpty() || m_pending == "\r" ? false : fail();
        m_pending.remove(0, end);
        m_part = Part::ChunkSize;
        return true;
    }
    case Part::ChunkSize: {
        const auto lf = lineEnd(m_pending);
        if (!lf)
            return needMore(1024);
        QByteArrayView size = QByteArrayView(m_pending).first(*lf).trimmed();
        if (const qsizetype semicolon = size.indexOf(';'); semicolon >= 0)
            size = size.first(semicolon).trimmed();
        bool ok = false;
        const qlonglong chunk = size.toLongLong(&ok, 16);
        if (!ok || chunk < 0 || m_body.size() + chunk > MaxBodyBytes)
            return fail();
        m_pending.remove(0, *lf + 1);
        m_left = qsizetype(chunk);
        m_part = chunk == 0 ? Part::Trailer : Part::ChunkData;
        return true;
    }
    case Part::Trailer: {
        const auto lf = lineEnd(m_pending);
        if (!lf)
            return needMore(MaxHeaderBytes);
        const bool last = m_pending.first(*lf).trimmed().isEmpty();
        m_pending.remove(0, *lf + 1);
        return last ? finishBody() : true;
    }
    case Part::UntilClose:
        m_body.append(m_pending);
        m_pending.clear();
        return m_body.size() > MaxBodyBytes ? fail() : false;
    }
    return false;
}

bool ResponseReader::readHead(qsizetype headEnd)
{
    const QByteArray head = m_pending.first(headEnd);
    m_pending.remove(0, headEnd);
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> statusLine = lines.first().trimmed().split(' ');
    bool ok = false;
    const QByteArray &version = statusLine.first();
    m_status = statusLine.value(1).toInt(&ok);
    if (!version.startsWith("HTTP/1.") || !ok || m_status < 100 || m_status > 999)
        return fail();
    if (m_status < 200) // an interim answer; the real one follows
        return true;

    m_keepAlive = version != "HTTP/1.0";
    std::optional<qlonglong> length;
    bool chunked = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.first(colon).trimmed().toLower();
        const QByteArray value = line.sliced(colon + 1).trimmed().toLower();
        if (name == "content-length") {
            const qlonglong n = value.toLongLong(&ok);
            if (!ok || n < 0 || (length && *length != n))
                return fail();
            length = n;
        } else if (name == "retry-after") {
            const int seconds = value.toInt(&ok);
            m_retryAfter = ok && seconds >= 0 ? seconds : -1;
        } else if (name == "transfer-encoding") {
            chunked = value.endsWith("chunked");
        } else if (name == "connection") {
            if (value.contains("close"))
                m_keepAlive = false;
            else if (value.contains("keep-alive"))
                m_keepAlive = true;
        }
    }
    if (m_status == 204 || m_status == 304)
        return finishBody();
    if (chunked) {
        m_part = Part::ChunkSize;
    } else if (length) {
        if (*length > MaxBodyBytes)
            return fail();
        m_left = qsizetype(*length);
        m_part = Part::Body;
    } else {
        m_keepAlive = false;
        m_part = Part::UntilClose;
    }
    return true;
}

bool ResponseReader::finishBody()
{
    // Bytes beyond the response mean the connection is out of step: never reuse it.
    if (!m_pending.isEmpty())
        m_keepAlive = false;
    m_state = State::Complete;
    return false;
}

} // namespace quibo::http_wire
