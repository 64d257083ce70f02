#include "RunTask.h"

#include "base/Config.h"
#include "base/Timings.h"
#include "directory/DirectoryClient.h"
#include "directory/HttpWire.h"

#include <QLocale>
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

TEST(HttpRequest, AcceptLanguageFollowsTheLocaleAsWebClientsWriteIt)
{
    EXPECT_EQ(http_wire::acceptLanguage("C"), "en,*");
    EXPECT_EQ(http_wire::acceptLanguage("en_GB"), "en-GB,*");
    EXPECT_EQ(http_wire::acceptLanguage("de_DE"), "de-DE,en,*");
}

// A directory server played by hand: each connection's requests are kept, and `answer` says
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
    [[nodiscard]] QString authority() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }

private:
    QTcpServer m_server;
};

class DirectoryTransport : public testing::Test {
protected:
    DirectoryTransport() { config.setDirectory(server.authority()); }
    std::optional<DirectoryReply> lookUp() { return runToEnd(client.address(QStringLiteral("c 001"))); }

    HandServer server;
    Config config;
    Timings timings = Timings{}.scaledDown(50);
    DirectoryClient client{config, timings};
};

TEST_F(DirectoryTransport, RequestsKeepTheirBytesAndAKeptConnectionTheServerClosedIsRetriedOnce)
{
    server.answer = [](QTcpSocket *socket, int connection) {
        socket->write(connection == 1 ? "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n0\r\n" : "HTTP/1.1 200 OK\r\n"
                                                                                           "Content-Length: 2\r\n\r\n5\n");
        if (connection == 1)
            socket->disconnectFromHost(); // as a server whose keep-alive time ran out
    };
    ASSERT_EQ(lookUp()->body, "0\r\n");
    const auto second = lookUp();
    ASSERT_TRUE(second->ok);
    EXPECT_EQ(second->body, "5\n");
    EXPECT_EQ(server.connections, 2);
    ASSERT_FALSE(server.requests.isEmpty());
    EXPECT_EQ(server.requests.first(),
              "GET /ipadd/readit.cgi?id=c%20001 HTTP/1.1\r\nHost: " + server.authority().toLatin1() +
                  "\r\nAccept-Encoding: identity\r\nConnection: Keep-Alive\r\nAccept-Language: " +
                  http_wire::acceptLanguage(QLocale::system().name().toLatin1()) +
                  "\r\nUser-Agent: Mozilla/5.0\r\n\r\n");
}

TEST_F(DirectoryTransport, SilenceOrACutAnswerIsAnInternetError)
{
    server.answer = [](QTcpSocket *socket, int connection) {
        if (connection == 1)
        {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc");
            socket->disconnectFromHost();
        }
    };
    EXPECT_FALSE(lookUp()->ok); // cut
    EXPECT_FALSE(lookUp()->ok); // the second connection hears nothing until the time limit
}

} // namespace
