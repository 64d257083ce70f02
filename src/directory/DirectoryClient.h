#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

namespace quibo {

class DirectoryConnections;
class DirectoryRequest;

struct Config;
struct Timings;

// One answer of the directory server. `ok` is false on an internet error (refused, unknown
// host, time-out, any network error); the HTTP status is not examined, so an error page
// arrives as an ok reply whose body begins with "<". The body stays in memory.
struct DirectoryReply {
    bool ok = false;
    QByteArray body;
};

// The user info record's ten fields in line order: password, first name, last name, e-mail,
// city, state, country, sex, age, personal info.
using UserInfoFields = std::array<QString, 10>;

// Request targets, percent-encoded ("/" + path + "?" + query). Pure, for the client and tests.
namespace directory_target {
QByteArray broadcast();
QByteArray password(const QString &handle);
QByteArray publishAddress(const QString &handle, const QString &address);
QByteArray address(const QString &handle);
QByteArray addressPage(const QString &handle);
QByteArray infoPage(const QString &handle);
QByteArray registerUser(const QString &handle, const UserInfoFields &fields);
} // namespace directory_target

// Every request this client makes to the directory server. Each is one GET whose body is
// read whole, bounded by Timings::httpTimeout; nothing is retried.
class DirectoryClient : public QObject {
    Q_OBJECT
public:
    // `config` and `timings` must outlive the client.
    DirectoryClient(const Config &config, const Timings &timings, QObject *parent = nullptr);
    ~DirectoryClient() override;

    // "/ipadd/sysmsg.dat": the broadcast message.
    QCoro::Task<DirectoryReply> broadcast();
    // "/ipinfo/readit.cgi?id=": first line = the password registered for the handle.
    QCoro::Task<DirectoryReply> password(QString handle);
    // "ipadd/writeip.cgi?id=&ip=": publishes an address, "0" when logging off.
    QCoro::Task<DirectoryReply> publishAddress(QString handle, QString address);
    // "/ipadd/readit.cgi?id=": first line = the handle's address, or "0".
    QCoro::Task<DirectoryReply> address(QString handle);
    // "/ipadd/<handle>": first character "<" = no such handle; else first line = address or "0".
    QCoro::Task<DirectoryReply> addressPage(QString handle);
    // "/ipinfo/<handle>": first character "<" = the handle is free; anything else = taken.
    QCoro::Task<DirectoryReply> infoPage(QString handle);
    // "/ipinfo/register.cgi?id=&password=&first=...&persinfo=": registers or changes the record.
    QCoro::Task<DirectoryReply> registerUser(QString handle, UserInfoFields fields);

    // The one GET every request goes through; `target` is already encoded.
    QCoro::Task<DirectoryReply> get(QByteArray target);

    // get() in two halves, for callers that keep several requests in flight. send() starts
    // the GET, ended after Timings::httpTimeout; none when the server's address is unusable.
    // take() reads a finished reply and lets it go.
    DirectoryRequest *send(const QByteArray &target);
    static DirectoryReply take(DirectoryRequest *request);

Q_SIGNALS:
    // A request is on its way.
    void requestSent(QByteArray target);

private:
    const Config &m_config;
    const Timings &m_timings;
    DirectoryConnections *m_connections;
};

// Reading replies and the client's own text files with the fixed line limits they were written for.
namespace reply_text {

// The first line with at most `limit` bytes "line end included", i.e. limit - 1 bytes of
// content, its line end (CR LF or LF) removed. A cut never splits a UTF-8 character.
QString firstLine(const QByteArray &body, int limit);

// Up to `count` lines of at most `maxContent` bytes each; a longer line continues as the next
// line. Lines beyond the end of the body are missing from the result.
QStringList lines(const QByteArray &body, int maxContent, int count);

// The broadcast's five lines; empty when the body shows none (error page, "<").
QStringList broadcastLines(const QByteArray &body);

} // namespace reply_text

} // namespace quibo
