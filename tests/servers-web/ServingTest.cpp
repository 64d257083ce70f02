// The real quiboweb: what it serves, how it starts and how it is closed.
#include "QuibowebProcess.h"
#include "TestFiles.h"

#include "base/WindowKey.h"
#include "platform/LocalSocketWindowCloser.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace quibo::web::test {
namespace {

using namespace Qt::StringLiterals;
using quibo::test::freeLoopbackPort;
using quibo::test::loopback;
using quibo::test::QuibowebProcess;
using quibo::test::writeFile;

struct HttpReply {
    int status = 0;                       // 0: no reply
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

// Sends `request` byte for byte to loopback(1):port and reads until the server closes.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(loopback(1)), port);
    if (!socket.waitForConnected(10000))
        return {};
    socket.write(request);
    QByteArray reply;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(10000))
        reply += socket.readAll();
    return reply + socket.readAll();
}

HttpReply parseReply(const QByteArray &reply)
{
    HttpReply parsed;
    const qsizetype headEnd = reply.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return parsed;
    const QList<QByteArray> lines = reply.left(headEnd).split('\n');
    parsed.status = lines.first().split(' ').value(1).toInt();
    for (const QByteArray &line : lines.mid(1)) {
        if (const qsizetype colon = line.indexOf(':'); colon > 0)
            parsed.headers.insert(line.left(colon).toLower(), line.mid(colon + 1).trimmed());
    }
    parsed.body = reply.mid(headEnd + 4);
    return parsed;
}

// One request with "Connection: close", the target sent exactly as given.
HttpReply request(quint16 port, const QByteArray &method, const QByteArray &target)
{
    return parseReply(
        exchange(port, method + ' ' + target + " HTTP/1.1\r\nHost: peer\r\nConnection: close\r\n\r\n"));
}

const QByteArray IndexPage = "<html><body>Under Construction</body></html>\r\n";
const QByteArray UserInfoPage = "<html><body>User Info For anna</body></html>\r\n";
const QByteArray Gif = QByteArray("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14);
const QByteArray SpacedFile = "a file whose name has spaces\n";
const QByteArray Secret = "TOP SECRET: outside the served folder\n";
constexpr qint64 LargeSize = 64LL * 1024 * 1024;
constexpr qint64 HugeSize = 5LL << 30; // past what 32 bits count

// A file that is mostly a hole, with marks that a wrong offset or a lost chunk would move.
void writeSparse(const QString &path, qint64 size, std::initializer_list<qint64> marks)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(size));
    for (const qint64 at : marks) {
        file.seek(at);
        file.write(QByteArray::number(at).leftJustified(16, '#'));
    }
}

// One server for the suite, serving <temp>/html; <temp>/outside holds what must never be served.
class ServingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<QTemporaryDir>();
        const QString root = s_dir->filePath(u"html"_s);
        const QString outside = s_dir->filePath(u"outside"_s);
        QDir().mkpath(root + u"/sub"_s);
        writeFile(root + u"/index.htm"_s, IndexPage);
        writeFile(root + u"/userinfo.htm"_s, UserInfoPage);
        writeFile(root + u"/bg.gif"_s, Gif);
        writeFile(root + u"/tmp/my file.txt"_s, SpacedFile);
        writeFile(outside + u"/secret.txt"_s, Secret);
        QFile::link(outside + u"/secret.txt"_s, root + u"/tmp/secret.txt"_s);
        QFile::link(outside, root + u"/tmp/outside"_s);
        QFile::link(root + u"/index.htm"_s, root + u"/tmp/home.htm"_s); // stays inside: served

        writeSparse(root + u"/tmp/large.bin"_s, LargeSize, {0, 65535, 65536 * 7 + 3, LargeSize / 2, LargeSize - 16});
        writeSparse(root + u"/tmp/huge.bin"_s, HugeSize, {(1LL << 32) - 8, HugeSize - 16});

        s_port = freeLoopbackPort();
        s_server = std::make_unique<QuibowebProcess>(QStringList{
            u"--headless"_s, u"--root"_s, root, u"--listen"_s, loopback(1) + u':' + QString::number(s_port)});
        ASSERT_TRUE(s_server->waitForOutput("Serving")) << s_server->errorOutput().toStdString();
    }

    static void TearDownTestSuite()
    {
        s_server.reset();
        s_dir.reset();
    }

    static QByteArray fileContent(const QString &relative, qint64 from = 0, qint64 length = -1)
    {
        QFile file(s_dir->filePath(u"html/"_s + relative));
        if (!file.open(QIODevice::ReadOnly) || !file.seek(from))
            return "<missing>";
        return length < 0 ? file.readAll() : file.read(length);
    }

    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline std::unique_ptr<QuibowebProcess> s_server;
    static inline quint16 s_port = 0;
};

TEST_F(ServingTest, ServesPagesAndOfferedFilesWithTheirTypes)
{
    const struct {
        QByteArray target;
        QByteArray type;
        QByteArray body;
    } cases[] = {
        {"/index.htm", "text/html; charset=utf-8", IndexPage},
        {"/", "text/html; charset=utf-8", IndexPage},
        {"/userinfo.htm", "text/html; charset=utf-8", UserInfoPage},
        {"/bg.gif", "image/gif", Gif},
        {"/tmp/my file.txt", "text/plain", SpacedFile}, // raw spaces, as older clients send them
        {"/tmp/my%20file.txt", "text/plain", SpacedFile},
        {"/tmp/home.htm", "text/html; charset=utf-8", IndexPage},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        const HttpReply get = request(s_port, "GET", c.target);
        EXPECT_EQ(get.status, 200);
        EXPECT_EQ(get.headers.value("content-type"), c.type);
        EXPECT_EQ(get.body, c.body);

        const HttpReply head = request(s_port, "HEAD", c.target);
        EXPECT_EQ(head.status, 200);
        EXPECT_EQ(head.headers.value("content-type"), c.type);
        EXPECT_EQ(head.headers.value("content-length"), QByteArray::number(c.body.size()));
        EXPECT_TRUE(head.body.isEmpty());
    }
}

TEST_F(ServingTest, StreamsALargeFileWhole)
{
    const HttpReply reply = request(s_port, "GET", "/tmp/large.bin");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.headers.value("content-length"), QByteArray::number(LargeSize));
    ASSERT_EQ(reply.body.size(), LargeSize);
    EXPECT_EQ(QCryptographicHash::hash(reply.body, QCryptographicHash::Sha1),
              QCryptographicHash::hash(fileContent(u"tmp/large.bin"_s), QCryptographicHash::Sha1));
}

// The parser has its table; here, that the answers carry the file's own bytes, past 4 GiB too.
TEST_F(ServingTest, AnswersAByteRangeWithThatSliceOfTheFile)
{
    const struct {
        QByteArray target;
        QByteArray range;
        int status;
        qint64 first; // -1: the whole file
        qint64 length;
        qint64 size;
    } cases[] = {
        {"/tmp/large.bin", "bytes=458755-458770", 206, 458755, 16, LargeSize},
        {"/tmp/large.bin", "bytes=67108860-99999999999", 206, LargeSize - 4, 4, LargeSize},
        {"/tmp/huge.bin", "bytes=4294967288-4294967303", 206, (1LL << 32) - 8, 16, HugeSize},
        {"/tmp/huge.bin", "bytes=-16", 206, HugeSize - 16, 16, HugeSize},
        {"/tmp/huge.bin", "bytes=5368709120-", 416, 0, 0, HugeSize},
        {"/index.htm", "bytes=0-1,3-4", 200, -1, 0, IndexPage.size()},
        {"/index.htm", "bytes=5-2", 200, -1, 0, IndexPage.size()},
        {"/index.htm", "pages=1", 200, -1, 0, IndexPage.size()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.target + ' ' + c.range).toStdString());
        for (const QByteArray method : {"GET", "HEAD"}) {
            const HttpReply reply = parseReply(exchange(s_port, method + ' ' + c.target + " HTTP/1.1\r\nRange: " +
                                                                    c.range + "\r\nConnection: close\r\n\r\n"));
            EXPECT_EQ(reply.status, c.status);
            EXPECT_EQ(reply.headers.value("accept-ranges"), "bytes");
            if (c.status == 416) {
                EXPECT_EQ(reply.headers.value("content-range"), "bytes */" + QByteArray::number(c.size));
                continue;
            }
            const bool whole = c.first < 0;
            EXPECT_EQ(reply.headers.value("content-length"), QByteArray::number(whole ? c.size : c.length));
            EXPECT_EQ(reply.headers.value("content-range"),
                      whole ? QByteArray() : "bytes " + QByteArray::number(c.first) + '-' +
                                                 QByteArray::number(c.first + c.length - 1) + '/' +
                                                 QByteArray::number(c.size));
            if (method == "GET") {
                EXPECT_EQ(reply.body, fileContent(QString::fromLatin1(c.target.mid(1)), std::max(c.first, 0LL),
                                                  whole ? -1 : c.length));
            }
        }
    }
}

// A resumed download names the version it has: a file changed since then comes whole, never
// joined to the part that arrived.
TEST_F(ServingTest, AFileChangedBetweenTwoRequestsIsNotJoined)
{
    const QString path = s_dir->filePath(u"html/tmp/changing.txt"_s);
    ASSERT_TRUE(writeFile(path, "first version of the file"));
    const HttpReply first = request(s_port, "GET", "/tmp/changing.txt");
    const QByteArray etag = first.headers.value("etag");
    ASSERT_TRUE(etag.startsWith('"')) << etag.toStdString();
    const auto resume = [](const QByteArray &ifRange) {
        return parseReply(exchange(s_port, "GET /tmp/changing.txt HTTP/1.1\r\nRange: bytes=6-\r\nIf-Range: " +
                                               ifRange + "\r\nConnection: close\r\n\r\n"));
    };
    EXPECT_EQ(resume(etag).status, 206);
    EXPECT_EQ(resume(etag).body, "version of the file");
    EXPECT_EQ(parseReply(exchange(s_port, "GET /tmp/changing.txt HTTP/1.1\r\nIf-None-Match: " + etag +
                                              "\r\nConnection: close\r\n\r\n"))
                  .status,
              304);

    // Rewritten in place with another size, then replaced by a file of the same size.
    const QByteArray versions[] = {"second version, longer than the first", "third version of the file"};
    for (const QByteArray &content : versions) {
        if (content.size() == first.body.size()) {
            ASSERT_TRUE(writeFile(path + u".new"_s, content));
            ASSERT_EQ(std::rename(QFile::encodeName(path + u".new"_s).constData(), QFile::encodeName(path).constData()), 0);
        } else {
            ASSERT_TRUE(writeFile(path, content));
        }
        for (const QByteArray &validator : {etag, first.headers.value("last-modified")}) {
            const HttpReply reply = resume(validator);
            EXPECT_EQ(reply.status, 200) << content.toStdString() << " / " << validator.toStdString();
            EXPECT_EQ(reply.body, content);
            EXPECT_NE(reply.headers.value("etag"), etag);
        }
    }
}

// Every escape the target parser refuses is in its own table; here, that refusals are served
// as such, missing files and folders are not found, and links leading out are forbidden.
TEST_F(ServingTest, ServesNothingMissingOrOutsideTheFolder)
{
    const std::pair<QByteArray, int> cases[] = {
        {"/nothing.htm", 404},
        {"/tmp/", 404},
        {"/tmp", 404},
        {"/sub", 404},
        {"/tmp/my file.txt/x", 404},
        {"/../outside/secret.txt", 400},
        {"/tmp/secret.txt", 403},         // a linked file leading out
        {"/tmp/outside/secret.txt", 403}, // a linked folder leading out
    };
    for (const auto &[target, status] : cases) {
        for (const QByteArray method : {"GET", "HEAD"}) {
            const HttpReply reply = request(s_port, method, target);
            EXPECT_EQ(reply.status, status) << method.toStdString() << " " << target.toStdString();
            EXPECT_FALSE(reply.body.contains("TOP SECRET"));
            EXPECT_FALSE(reply.body.contains("my file.txt")) << "a folder was listed";
        }
    }
}

TEST_F(ServingTest, OtherMethodsAreNotAllowed)
{
    for (const QByteArray method : {"POST", "PUT", "DELETE", "OPTIONS"}) {
        const QByteArray reply =
            exchange(s_port, method + " /index.htm HTTP/1.1\r\nContent-Length: 4\r\n\r\nbody"
                                      "GET /index.htm HTTP/1.1\r\n\r\n");
        const HttpReply parsed = parseReply(reply);
        EXPECT_EQ(parsed.status, 405) << method.toStdString();
        EXPECT_EQ(parsed.headers.value("allow"), "GET, HEAD");
        // The connection ends after the refusal, so the unread body is not taken for a request.
        EXPECT_EQ(reply.count("HTTP/1.1 "), 1);
        EXPECT_EQ(fileContent(u"index.htm"_s), IndexPage);
    }
}

QStringList arguments(const QTemporaryDir &dir, quint16 port, bool headless = true)
{
    QStringList list{u"--root"_s, dir.path(), u"--listen"_s, loopback(1) + u':' + QString::number(port)};
    if (headless)
        list.prepend(u"--headless"_s);
    return list;
}

void closeServer(const QString &address, quint16 port, const QString &title = WebServerWindowTitle)
{
    LocalSocketWindowCloser(address, port).closeWindowTitled(title);
}

// Only the server of that address and title closes, with or without its window, and it exits
// cleanly.
TEST(CloseByTitleTest, ClosesOnlyTheServerOfThatAddressAndTitle)
{
    for (const bool headless : {true, false}) {
        QTemporaryDir dir;
        const quint16 port = freeLoopbackPort();
        QuibowebProcess server(arguments(dir, port, headless));
        ASSERT_TRUE(server.waitForOutput("Serving"));
        // Another port, another address, another title: nothing happens, nothing blocks.
        closeServer(loopback(1), static_cast<quint16>(port + 1));
        closeServer(loopback(2), port);
        closeServer(loopback(1), port, u"Quibo32 Web Server"_s);
        EXPECT_FALSE(server.waitForExit(std::chrono::milliseconds(300)));
        for (int i = 0; i < 20; ++i) // still answering; the window lists them
            EXPECT_EQ(request(port, "GET", "/tmp/nothing " + QByteArray::number(i)).status, 404);
        closeServer(loopback(1), port);
        ASSERT_TRUE(server.waitForExit());
        EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(server.exitCode(), 0);
    }
}

// On a taken port the headless server says so and fails; with a window, the window shows the
// reason until it is closed.
TEST(BindFailureTest, ATakenPortIsToldAndOnlyTheHeadlessServerFails)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress(loopback(1)), 0));
    QTemporaryDir dir;
    QuibowebProcess headless(arguments(dir, holder.serverPort()));
    ASSERT_TRUE(headless.waitForExit());
    EXPECT_EQ(headless.exitCode(), 1);
    EXPECT_TRUE(headless.errorOutput().contains(
        "Cannot listen on " + loopback(1).toLatin1() + ':' + QByteArray::number(holder.serverPort()) +
        ": Address already in use."))
        << headless.errorOutput().toStdString();

    QuibowebProcess windowed(arguments(dir, holder.serverPort(), false));
    ASSERT_TRUE(windowed.waitForErrorOutput("Address already in use"))
        << windowed.errorOutput().toStdString();
    EXPECT_FALSE(windowed.waitForExit(std::chrono::milliseconds(500)))
        << "the window with the reason went away";
    closeServer(loopback(1), holder.serverPort());
    ASSERT_TRUE(windowed.waitForExit());
    EXPECT_EQ(windowed.exitCode(), 0);
}

} // namespace
} // namespace quibo::web::test
