#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace quibo::http_wire {

// A GET for `target` ("/path?query", already encoded) with the headers this client has always
// sent: the server sees the same request whichever transport carries it.
QByteArray getRequest(QByteArrayView hostHeader, QByteArrayView target, QByteArrayView acceptLanguage);

// A POST of an application/x-www-form-urlencoded `form` to `target`, with the same headers.
QByteArray postRequest(QByteArrayView hostHeader, QByteArrayView target, QByteArrayView form,
                       QByteArrayView acceptLanguage);

// "en,*" for the C locale, "en-GB,*", "de-DE,en,*": from a locale name like "de_DE".
QByteArray acceptLanguage(QByteArrayView localeName);

// Reads one HTTP/1.x response from the bytes of a connection, fed as they arrive. Bodies framed
// by Content-Length, chunked or by the end of the connection; 1xx interim answers are skipped.
class ResponseReader {
public:
    enum class State { Reading, Complete, Malformed };

    State feed(QByteArrayView bytes);
    // The connection closed: a body framed by the close is complete now.
    State closed();

    [[nodiscard]] State state() const { return m_state; }
    [[nodiscard]] bool anythingRead() const { return m_anythingRead; }
    [[nodiscard]] int status() const { return m_status; }
    // Retry-After in seconds; -1 when absent or not a number of seconds.
    [[nodiscard]] int retryAfter() const { return m_retryAfter; }
    [[nodiscard]] const QByteArray &body() const { return m_body; }
    // The server keeps the connection for another request.
    [[nodiscard]] bool keepAlive() const { return m_keepAlive; }

    static constexpr qsizetype MaxHeaderBytes = 64 * 1024;
    static constexpr qsizetype MaxBodyBytes = 4 * 1024 * 1024;

private:
    enum class Part { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailer, UntilClose };
    bool step();
    bool needMore(qsizetype longest);
    bool readHead(qsizetype end);
    bool finishBody();
    bool fail();

    State m_state = State::Reading;
    Part m_part = Part::Head;
    QByteArray m_pending;
    QByteArray m_body;
    qsizetype m_left = 0;
    int m_status = 0;
    int m_retryAfter = -1;
    bool m_keepAlive = true;
    bool m_anythingRead = false;
};

} // namespace quibo::http_wire
