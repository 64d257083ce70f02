#include "ByteRange.h"
#include "CommandLine.h"
#include "ListeningSocket.h"
#include "RequestHead.h"
#include "RequestTarget.h"
#include "ServedQueue.h"
#include "ServedRequest.h"
#include "WebServerWindow.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

namespace quibo::web {
namespace {

using namespace Qt::StringLiterals;

using Action = CommandLine::Action;

struct CommandLineCase {
    QStringList arguments;
    Action action;
    QString root;
    QString host;
    quint16 port;
    bool headless;
    QString errorPart;
};

TEST(CommandLineTest, ParsesOptionsAndRejectsBadOnes)
{
    const CommandLineCase cases[] = {
        {{}, Action::Run, u"./html"_s, u"::"_s, 80, false, {}},
        {{u"--root"_s, u"/srv/pages"_s, u"--listen"_s, u"127.0.0.2:8080"_s, u"--headless"_s},
         Action::Run,
         u"/srv/pages"_s,
         u"127.0.0.2"_s,
         8080,
         true,
         {}},
        {{u"--listen=[::1]:81"_s, u"--root=web"_s}, Action::Run, u"web"_s, u"::1"_s, 81, false, {}},
        {{u"--help"_s}, Action::Help, u"./html"_s, u"::"_s, 80, false, {}},
        {{u"--version"_s}, Action::Version, u"./html"_s, u"::"_s, 80, false, {}},
        {{u"--root"_s}, Action::Error, {}, {}, 0, false, u"--root needs a value"_s},
        {{u"--root="_s}, Action::Error, {}, {}, 0, false, u"--root needs a directory"_s},
        {{u"--listen"_s, u"localhost"_s}, Action::Error, {}, {}, 0, false, u"HOST:PORT"_s},
        {{u"--listen"_s, u"host:0"_s}, Action::Error, {}, {}, 0, false, u"\"host:0\""_s},
        {{u"--listen"_s, u"host:65536"_s}, Action::Error, {}, {}, 0, false, u"1 to 65535"_s},
        {{u"--listen"_s, u"::1:80"_s}, Action::Error, {}, {}, 0, false, u"HOST:PORT"_s}, // brackets needed
        {{u"--headless=yes"_s}, Action::Error, {}, {}, 0, false, u"--headless takes no value"_s},
        {{u"--port"_s, u"80"_s}, Action::Error, {}, {}, 0, false, u"unknown option --port"_s},
        {{u"html"_s}, Action::Error, {}, {}, 0, false, u"unexpected argument \"html\""_s},
    };
    for (const CommandLineCase &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine parsed = parseCommandLine(c.arguments);
        EXPECT_EQ(parsed.action, c.action);
        if (c.action == Action::Error) {
            EXPECT_TRUE(parsed.error.contains(c.errorPart)) << parsed.error.toStdString();
            continue;
        }
        EXPECT_EQ(parsed.options.root, c.root);
        EXPECT_EQ(parsed.options.host, c.host);
        EXPECT_EQ(parsed.options.port, c.port);
        EXPECT_EQ(parsed.options.headless, c.headless);
        // What the window shows parses back to the same address.
        QString host;
        quint16 port = 0;
        EXPECT_TRUE(parseListenAddress(formatListenAddress(c.host, c.port), &host, &port));
        EXPECT_EQ(host, c.host);
        EXPECT_EQ(port, c.port);
    }
}

TEST(RequestLineTest, EncodesRawSpacesInTheTargetOnly)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"GET /tmp/my file.txt HTTP/1.1\r\n", "GET /tmp/my%20file.txt HTTP/1.1\r\n"},
        {"GET /tmp/a  b c.doc HTTP/1.0\n", "GET /tmp/a%20%20b%20c.doc HTTP/1.0\n"},
        {"GET /index.htm HTTP/1.1\r\n", "GET /index.htm HTTP/1.1\r\n"},
        {"GET /a b\r\n", "GET /a b\r\n"},                     // no version: left to the parser
        {"GET /a b HTTP/1.1 \r\n", "GET /a b HTTP/1.1 \r\n"}, // trailing blank: not a version
        {"GARBAGE\r\n", "GARBAGE\r\n"},
        {"", ""},
    };
    for (const auto &[line, repaired] : cases)
        EXPECT_EQ(repairRequestLine(line), repaired) << line.toStdString();
}

// Representatives of each refusal; the fuzz target checks that nothing accepted leaves the folder.
TEST(RequestTargetTest, MapsTargetsToSegmentsAndRefusesEscapes)
{
    const struct {
        QByteArray target;
        int status;
        QStringList segments;
    } cases[] = {
        {"/index.htm", 200, {u"index.htm"_s}},
        {"/", 200, {u"index.htm"_s}},
        {"/tmp/my%20file.txt", 200, {u"tmp"_s, u"my file.txt"_s}},
        {"/tmp/caf%C3%A9.txt?x=1#top", 200, {u"tmp"_s, u"café.txt"_s}},
        {"/tmp/a..b", 200, {u"tmp"_s, u"a..b"_s}},
        {"/tmp/%252e%252e", 200, {u"tmp"_s, u"%2e%2e"_s}}, // decoded once only
        {"/tmp/", 404, {}},
        {"/../etc/passwd", 400, {}},
        {"/%2e%2e/etc/passwd", 400, {}},
        {"/tmp//x", 400, {}},
        {"http://host/index.htm", 400, {}},
        {"", 400, {}},
        {"/tmp\\..\\..\\etc\\passwd", 400, {}},
        {"/tmp/x%00.htm", 400, {}},
        {"/tmp/x%zz", 400, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        const TargetPath path = parseRequestTarget(c.target);
        EXPECT_EQ(path.status, c.status);
        EXPECT_EQ(path.segments, c.segments);
    }
}

TEST(RequestTargetTest, ContentTypesFollowTheSuffix)
{
    const std::pair<QString, QByteArray> cases[] = {
        {u"page.HTML"_s, "text/html; charset=utf-8"},
        {u"bg.gif"_s, "image/gif"},
        {u"a.png"_s, "image/png"},
        {u"a.JPEG"_s, "image/jpeg"},
        {u"notes.txt"_s, "text/plain"},
        {u"README"_s, "application/octet-stream"},
        {u"archive.tar.gz"_s, "application/octet-stream"},
    };
    for (const auto &[name, type] : cases)
        EXPECT_EQ(contentTypeFor(name), type) << name.toStdString();
}

using Kind = RangeChoice::Kind;

TEST(ByteRangeTest, AnswersOneRangeAndIgnoresWhatTheRulesSayToIgnore)
{
    constexpr qint64 Huge = 5LL << 30;
    const struct {
        QByteArray value;
        qint64 size;
        RangeChoice expected;
    } cases[] = {
        {"bytes=0-499", 1000, {Kind::Part, 0, 500}},
        {"bytes=500-", 1000, {Kind::Part, 500, 500}},
        {"bytes=-200", 1000, {Kind::Part, 800, 200}},
        {"bytes=-2000", 1000, {Kind::Part, 0, 1000}},    // a suffix longer than the file
        {"bytes=900-5000", 1000, {Kind::Part, 900, 100}}, // clipped at the end
        {" BYTES=999-999 ,, ", 1000, {Kind::Part, 999, 1}},
        {"bytes=0-99999999999999999999999", 1000, {Kind::Part, 0, 1000}},
        {"bytes=4294967296-", Huge, {Kind::Part, 1LL << 32, Huge - (1LL << 32)}},
        {"bytes=1000-", 1000, {Kind::Unsatisfiable}},
        {"bytes=1000-2000", 1000, {Kind::Unsatisfiable}},
        {"bytes=99999999999999999999999-", 1000, {Kind::Unsatisfiable}},
        {"bytes=-0", 1000, {Kind::Unsatisfiable}},
        {"bytes=0-", 0, {Kind::Unsatisfiable}},
        {"bytes=-5", 0, {}},                 // the whole of nothing
        {"bytes=0-1,5-6", 1000, {}},         // several ranges: the whole file
        {"bytes=5-4", 1000, {}},             // malformed: ignored
        {"bytes=0-1,5-4", 1000, {}},
        {"items=0-5", 1000, {}},
        {"bytes = 0-5", 1000, {}},
        {"bytes=0 - 5", 1000, {}},
        {"bytes=+1-2", 1000, {}},
        {"bytes=1-2-3", 1000, {}},
        {"bytes=-", 1000, {}},
        {"bytes=", 1000, {}},
        {"", 1000, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parseRange(c.value, c.size), c.expected) << c.value.toStdString() << " of " << c.size;
    EXPECT_EQ(contentRange({Kind::Part, 800, 200}, 1000), "bytes 800-999/1000");
    EXPECT_EQ(contentRange({Kind::Unsatisfiable}, 1000), "bytes */1000");
}

TEST(ByteRangeTest, IfRangeLetsTheRangeThroughOnlyForTheSameFile)
{
    const FileVersion version = describeFile({1, 2, 1000, 784111777LL * 1'000'000'000 + 5}, 1'000'000'000'000'000'000LL);
    ASSERT_EQ(version.lastModified, "Sun, 06 Nov 1994 08:49:37 GMT");
    FileVersion justChanged = version;
    justChanged.lastModifiedIsStrong = false;
    const RangeChoice part{Kind::Part, 500, 500};
    const struct {
        std::optional<QByteArray> range;
        std::optional<QByteArray> ifRange;
        const FileVersion &version;
        RangeChoice expected;
    } cases[] = {
        {"bytes=500-", std::nullopt, version, part},
        {"bytes=500-", version.etag, version, part},
        {"bytes=500-", " " + version.lastModified, version, part},
        {"bytes=500-", version.lastModified, justChanged, {}}, // two versions may share that second
        {"bytes=500-", "W/" + version.etag, version, {}},      // a weak tag never matches
        {"bytes=500-", "\"1-2-3e8-0\"", version, {}},
        {"bytes=500-", "Sunday, 06-Nov-94 08:49:37 GMT", version, {}},
        {"bytes=500-", "", version, {}},
        {"bytes=500-", version.etag + ", " + version.etag, version, {}},
        {std::nullopt, version.etag, version, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(chooseRange(c.range, c.ifRange, c.version), c.expected) << c.ifRange.value_or("-").toStdString();
}

TEST(FileVersionTest, AnyChangeGivesAnotherTagAndMatchingTagsAreNotModified)
{
    const FileIdentity base{1, 2, 1000, 1'700'000'000'000'000'000};
    const FileIdentity changes[] = {{9, 2, 1000, base.modifiedNs}, {1, 9, 1000, base.modifiedNs},
                                    {1, 2, 1001, base.modifiedNs}, {1, 2, 1000, base.modifiedNs + 1}};
    const FileVersion version = describeFile(base, base.modifiedNs + 999'999'999);
    EXPECT_FALSE(version.lastModifiedIsStrong);
    EXPECT_TRUE(describeFile(base, base.modifiedNs + 1'000'000'000).lastModifiedIsStrong);
    for (const FileIdentity &changed : changes)
        EXPECT_NE(describeFile(changed, 0).etag, version.etag);

    const struct {
        std::optional<QByteArray> ifNoneMatch;
        std::optional<QByteArray> ifModifiedSince;
        bool notModified;
    } cases[] = {
        {"\"x\", W/" + version.etag, std::nullopt, true},
        {"*", std::nullopt, true},
        {"\"x\"", version.lastModified, false}, // If-None-Match decides alone
        {std::nullopt, version.lastModified, true},
        {std::nullopt, httpDate(0), false},
        {std::nullopt, std::nullopt, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isNotModified(c.ifNoneMatch, c.ifModifiedSince, version), c.notModified)
            << c.ifNoneMatch.value_or("-").toStdString();
}

// Exactly the lines the HTTP library would read as the field leave the head.
TEST(RequestHeadTest, TakesOutEveryLineOfTheField)
{
    const QByteArray line = "GET / HTTP/1.1\r\n";
    const struct {
        QByteArray fields;
        QByteArray left;
        std::optional<QByteArray> value;
    } cases[] = {
        {"Host: a\r\nRange: bytes=1-2 \r\nAccept: */*\r\n\r\n", "Host: a\r\nAccept: */*\r\n\r\n", "bytes=1-2"},
        {"range:bytes=1-\r\nRANGE:\t-5\r\n\r\n", "\r\n", "bytes=1-, -5"},
        {"Range:\r\n\r\n", "\r\n", ""},
        {"Range : x\r\nX-Range: x\r\nRange: x\n\r\nRange: body\r\n",
         "Range : x\r\nX-Range: x\r\nRange: x\n\r\nRange: body\r\n", std::nullopt},
    };
    for (const auto &c : cases) {
        const TakenField taken = takeField(line + c.fields, "Range");
        EXPECT_EQ(taken.head, line + c.left) << c.fields.toStdString();
        EXPECT_EQ(taken.value, c.value) << c.fields.toStdString();
    }
    EXPECT_EQ(takeField("Range: x\r\n\r\n", "Range").value, std::nullopt); // a request line, not a field
}

TEST(BindFailureTest, SaysWhereAndWhy)
{
    const struct {
        QString host;
        quint16 port;
        int error;
        QString expected;
    } cases[] = {
        {u"0.0.0.0"_s, 80, EACCES,
         u"Cannot listen on 0.0.0.0:80: Permission denied. Ports below 1024 need root or the "
         u"CAP_NET_BIND_SERVICE"
         " capability (sudo setcap cap_net_bind_service=+ep quiboweb)."_s},
        {u"127.0.0.1"_s, 8080, EADDRINUSE,
         u"Cannot listen on 127.0.0.1:8080: Address already in use. Another program (or another Quibo32 web "
         u"server)"
         " already uses this port."_s},
        {u"10.9.9.9"_s, 8080, EADDRNOTAVAIL,
         u"Cannot listen on 10.9.9.9:8080: Cannot assign requested address. This machine has no such address."_s},
        {u"::1"_s, 8080, EACCES, u"Cannot listen on [::1]:8080: Permission denied."_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(bindFailureText(c.host, c.port, c.error, QString::fromLocal8Bit(std::strerror(c.error))),
                  c.expected);
}

TEST(WebServerWindowTest, IsTitledForTheClientAndListsRequests)
{
    WebServerWindow window;
    EXPECT_EQ(window.windowTitle(), u"Quibo32 Web Server - Web Server"_s);
    window.showFailure(u"Cannot listen on 0.0.0.0:80: Permission denied."_s);
    EXPECT_EQ(window.statusText(), u"Cannot listen on 0.0.0.0:80: Permission denied."_s);
    window.addServed({QDateTime(QDate(2024, 5, 1), QTime(9, 5, 7)), u"192.168.1.7"_s, u"GET"_s,
                      u"/tmp/my file.txt"_s, 200});
    window.addServed({QDateTime(QDate(2024, 5, 1), QTime(23, 0, 0)), {}, {}, u"/a\nb"_s, 400});
    EXPECT_EQ(window.servedLines(), QStringList({u"09:05:07  192.168.1.7  GET  /tmp/my file.txt  200"_s,
                                                 u"23:00:00  ?  -  /a?b  400"_s}));
}

TEST(ServedQueueTest, DeliversEveryRecordFromWorkerThreadsOnTheOwnersThread)
{
    ServedQueue queue;
    QStringList delivered;
    QObject::connect(&queue, &ServedQueue::served, &queue, [&delivered](const ServedRequest &request) {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        delivered.append(request.path);
    });
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w) {
        workers.emplace_back([&queue, w] {
            for (int i = 0; i < 100; ++i)
                queue.push({QDateTime::currentDateTimeUtc(), {}, u"GET"_s, u"/%1/%2"_s.arg(w).arg(i), 200});
        });
    }
    for (std::thread &worker : workers)
        worker.join();
    const QDeadlineTimer deadline(std::chrono::seconds(10));
    while (delivered.size() < 400 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    ASSERT_EQ(delivered.size(), 400);
    for (int w = 0; w < 4; ++w) { // each worker's records arrive in the order it pushed them
        QStringList expected;
        for (int i = 0; i < 100; ++i)
            expected.append(u"/%1/%2"_s.arg(w).arg(i));
        EXPECT_EQ(delivered.filter(QRegularExpression(u"^/%1/"_s.arg(w))), expected);
    }
}

} // namespace
} // namespace quibo::web
