#include "RunTask.h"
#include "TestFiles.h"

#include "directory/DirectoryClient.h"
#include "directory/DirectoryConnections.h"
#include "directory/HttpWire.h"

#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;
using State = http_wire::ResponseReader::State;

namespace {

struct ReaderCase {
    const char *name;
    QByteArray bytes;
    bool peerCloses;
    State state;
    QByteArray body;
    bool keepAlive;
};

TEST(HttpResponseReader, FramesBodiesFedInAnyPieces)
{
    const ReaderCase cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n1.2.3", false, State::Complete, "1.2.3", true},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;x=1\r\nabc\r\n2\r\nde\r\n0\r\nT: 1\r\n\r\n",
         false, State::Complete, "abcde", true},
        {"until close", "HTTP/1.1 200 OK\r\n\r\nsome body", true, State::Complete, "some body", false},
        {"1.0 closes", "HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\nx", false, State::Complete, "x", false},
        {"close asked", "HTTP/1.1 404 Not Found\r\nConnection: close\r\nContent-Length: 1\r\n\r\n<", false,
         State::Complete, "<", false},
        {"interim first", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", false,
         State::Complete, "ok", true},
        {"no content", "HTTP/1.1 204 No Content\r\n\r\n", false, State::Complete, "", true},
        {"bytes beyond", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nxy", false, State::Complete, "x", false},
        {"cut short", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", true, State::Malformed, "", false},
        {"not http", "SSH-2.0-OpenSSH\r\n\r\n", false, State::Malformed, "", false},
        {"two lengths", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab", false,
         State::Malformed, "", false},
        {"bad chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false, State::Malformed, "",
         false},
    };
    for (const ReaderCase &c : cases) {
        for (const qsizetype piece : {qsizetype(1), qsizetype(7), c.bytes.size()}) {
            SCOPED_TRACE(testing::Message() << c.name << ", pieces of " << piece);
            http_wire::ResponseReader reader;
            for (qsizetype at = 0; at < c.bytes.size(); at += piece)
                reader.feed(QByteArrayView(c.bytes).sliced(at, std::min(piece, c.bytes.size() - at)));
            if (c.peerCloses)
                reader.closed();
            EXPECT_EQ(reader.state(), c.state);
            if (c.state == State::Complete) {
                EXPECT_EQ(reader.body(), c.body);
                EXPECT_EQ(reader.keepAlive(), c.keepAlive);
            }
        }
    }
}

TEST(HttpRequest, RequestsCarryTheHeadersWebClientsSend)
{
    EXPECT_EQ(http_wire::acceptLanguage("C"), "en,*");
    EXPECT_EQ(http_wire::acceptLanguage("en_GB"), "en-GB,*");
    EXPECT_EQ(http_wire::acceptLanguage("de_DE"), "de-DE,en,*");
    const QByteArray headers = "Host: d:8\r\nAccept-Encoding: identity\r\nConnection: Keep-Alive\r\n"
                               "Accept-Language: en,*\r\nUser-Agent: Mozilla/5.0\r\n";
    EXPECT_EQ(http_wire::getRequest("d:8", "/ipadd/readit.cgi?id=c%20001", "en,*"),
              "GET /ipadd/readit.cgi?id=c%20001 HTTP/1.1\r\n" + headers + "\r\n");
    EXPECT_EQ(
        http_wire::postRequest("d:8", "/secure/key", "id=a&password=b", "en,*"),
        "POST /secure/key HTTP/1.1\r\n" + headers +
            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 15\r\n\r\nid=a&password=b");
}

// A directory server played by hand: each connection's bytes are kept, and `answer` says
// what each one gets.
class HandServer : public QObject {
public:
    std::function<void(QTcpSocket *, int connection)> answer;
    QList<QByteArray> requests;
    int connections = 0;

    HandServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                const int number = ++connections;
                connect(socket, &QTcpSocket::readyRead, this, [this, socket, number] {
                    requests.append(socket->readAll());
                    answer(socket, number);
                });
            }
        });
    }
    [[nodiscard]] quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
};

class DirectoryTransport : public testing::Test {
protected:
    DirectoryTransport()
    {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        connections.setTls({tls, [](const QByteArray &) { return true; }});
    }
    DirectoryRequest *send(bool tls = false, quint16 port = 0)
    {
        return connections.send({port ? loopback(1) : QStringLiteral("127.0.0.1"), port ? port : server.port(), tls},
                                http_wire::getRequest("h", "/ipadd/readit.cgi?id=c", "en,*"));
    }
    DirectoryReply lookUp()
    {
        DirectoryRequest *request = send();
        EXPECT_TRUE(waitFor([request] { return request->isFinished(); }));
        return DirectoryClient::take(request);
    }

    HandServer server;
    DirectoryConnections connections{std::chrono::milliseconds(400), std::chrono::milliseconds(200), 8};
};

TEST_F(DirectoryTransport, AKeptConnectionTheServerClosedIsRetriedOnce)
{
    server.answer = [](QTcpSocket *socket, int connection) {
        socket->write(connection == 1 ? "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n0\r\n"
                                      : "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n5\n");
        if (connection == 1)
            socket->disconnectFromHost(); // as a server whose keep-alive time ran out
    };
    EXPECT_EQ(lookUp().body, "0\r\n");
    const DirectoryReply second = lookUp();
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.body, "5\n");
    EXPECT_EQ(server.connections, 2);
    EXPECT_EQ(server.requests.value(0), http_wire::getRequest("h", "/ipadd/readit.cgi?id=c", "en,*"));
}

TEST_F(DirectoryTransport, SilenceOrACutAnswerIsAnInternetError)
{
    server.answer = [](QTcpSocket *socket, int connection) {
        if (connection == 1) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc");
            socket->disconnectFromHost();
        }
    };
    EXPECT_FALSE(lookUp().ok); // cut
    EXPECT_FALSE(lookUp().ok); // the second connection hears nothing until the time limit
}

// What the answer to the TLS hello says about the server: the client goes plain only where
// the server plainly does not speak TLS, and never because it is slow or away.
TEST_F(DirectoryTransport, ATlsHelloAnsweredOtherwiseSaysWhy)
{
    const struct {
        const char *name;
        std::function<void(QTcpSocket *)> answer;
        RequestFailure failure;
    } cases[] = {
        {"plain HTTP",
         [](QTcpSocket *s) { s->write("HTTP/1.1 400 Bad Request\r\n\r\n"), s->disconnectFromHost(); },
         RequestFailure::NotTls},
        {"closed", [](QTcpSocket *s) { s->disconnectFromHost(); }, RequestFailure::NotTls},
        {"silent", [](QTcpSocket *) {}, RequestFailure::NoTlsAnswer},
        {"nobody listens", nullptr, RequestFailure::Network},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        server.answer = [&c](QTcpSocket *socket, int) { c.answer(socket); };
        DirectoryRequest *request = send(true, c.answer ? 0 : freeLoopbackPort());
        ASSERT_TRUE(waitFor([request] { return request->isFinished(); }));
        EXPECT_EQ(request->failure(), c.failure);
        delete request;
    }
}

} // namespace
