#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quibo {

class DirectoryConnections;
class DirectoryRequest;
class WorkingDirectory;

struct Config;
struct Timings;

// One answer of the directory server. `ok` is false on an internet error (refused, unknown
// host, time-out, any network error). The classic requests never look at the status, so an
// error page arrives as an ok reply whose body begins with "<"; the secure ones answer with
// it. The body stays in memory.
struct DirectoryReply {
    bool ok = false;
    QByteArray body;
    int status = 0;      // none without an answer
    int retryAfter = -1; // seconds, with a 429
};

// How this run reaches the directory: not known yet, over TLS with the secure requests, or
// over plain HTTP with the classic requests alone.
enum class DirectoryLink { Unknown, Secure, Classic };

// Why the directory cannot be used.
enum class LinkProblem {
    None,
    Unreachable, // no answer at all
    NoKey,       // the user's key could not be made or written
    KeyMismatch, // the server's key is not the pinned one
    NotSecure,   // TLS is required (a pin, https://, or seen secure before) and it does not speak it
    NotTrusted,  // https:// without a pin: its certificate fails the system's authorities or its name
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
// The secure requests: a GET target, or a POST's path and form body.
QByteArray secureHello();
QByteArray secureLookup(const QString &handle);
QByteArray registerForm(const QString &handle, const UserInfoFields &fields);
// `address6` (a global IPv6 address) and `ports` ("peer,channel,private,web") go only where given.
QByteArray publishForm(const QString &handle, const QString &address, const QString &address6 = {},
                       const QString &ports = {});
QByteArray infoForm(const QString &handle, const UserInfoFields &fields); // all but the password
QByteArray keyForm(const QString &handle, const QString &password);
} // namespace directory_target

// The secure replies read.
namespace secure_reply {
// "/secure/hello" of a directory that offers the secure requests.
bool isHello(const QByteArray &body);
// The address the directory saw the hello come from; empty when it did not say.
QString observed(const QByteArray &body);
struct Lookup {
    QString address;
    bool secure = false;
    QByteArray fingerprint; // empty for a classic account
};
// "/secure/lookup"; nullopt unless it holds an address, "secure" 0 or 1 and a fingerprint that
// fits it.
std::optional<Lookup> lookup(const QByteArray &body);
} // namespace secure_reply

// A look-up of a handle's address, from either kind of directory, as a contact record takes
// it: `address` is the first line of a classic reply or the secure reply's address, read with
// `limit` as reply_text::firstLine reads.
struct LookupAnswer {
    enum class Kind { Failed, Unknown, Found };
    Kind kind = Kind::Failed;
    QString address;
    bool secure = false;
    QByteArray fingerprint;
};
LookupAnswer readLookup(const DirectoryReply &reply, DirectoryLink link, int limit);

// Every request this client makes to the directory server. Each is one request whose body is
// read whole, bounded by Timings::httpTimeout; nothing is retried. The first one settles the
// link, unless settleLink() was called before.
class DirectoryClient : public QObject {
    Q_OBJECT
public:
    // `config` and `dir` must outlive the client.
    DirectoryClient(const Config &config, const Timings &timings, const WorkingDirectory &dir,
                    QObject *parent = nullptr);
    ~DirectoryClient() override;

    // Settles how this run reaches the directory, once: TLS and the secure requests where it
    // offers them (its key pinned on first use, in "directory.pins"), else plain HTTP as always,
    // but never plain for a directory seen secure before, or when the configuration asks for
    // TLS. Makes the user's key on first use. Without an answer it stays unsettled, for the next try.
    QCoro::Task<LinkProblem> settleLink();
    [[nodiscard]] DirectoryLink link() const { return m_link; }
    [[nodiscard]] bool isSecure() const { return m_link == DirectoryLink::Secure; }
    // Where a secure directory saw this client's requests come from; empty otherwise.
    [[nodiscard]] const QString &observedAddress() const { return m_observed; }
    // True once, when the link has settled classic: the user is to be told.
    bool takeClassicNotice();

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

    // The same over the settled link: on a secure one the secure request (POST /secure/register,
    // /secure/publish, /secure/info), whose status tells: 200 done, 401 not this key, 404 no
    // such handle, 409 taken.
    QCoro::Task<DirectoryReply> registerAccount(QString handle, UserInfoFields fields);
    // A secure link also publishes `address6` and `ports` where given; a classic one ignores them.
    QCoro::Task<DirectoryReply> publish(QString handle, QString address, QString address6 = {},
                                        QString ports = {});
    QCoro::Task<DirectoryReply> changeInfo(QString handle, UserInfoFields fields);
    // A secure link only (else no answer): proves the account's password, which binds this
    // client's key to it. 401 for a wrong password, 429 wait retryAfter seconds.
    QCoro::Task<DirectoryReply> proveKey(QString handle, QString password);

    // A contact's address as the link asks for it: "/secure/lookup?id=" or "/ipadd/" + handle.
    QCoro::Task<DirectoryReply> lookUpContact(QString handle);
    // The same for the contact pass, which keeps several in flight: "/secure/lookup?id=" or
    // "/ipadd/readit.cgi?id=". None before the link has settled.
    DirectoryRequest *sendLookup(const QString &handle);

    // The one GET every classic request goes through; `target` is already encoded.
    QCoro::Task<DirectoryReply> get(QByteArray target);

    // get() in two halves, for callers that keep several requests in flight. send() starts
    // the GET, ended after Timings::httpTimeout; none when the server's address is unusable
    // or the link has not settled. take() reads a finished reply and lets it go.
    DirectoryRequest *send(const QByteArray &target);
    static DirectoryReply take(DirectoryRequest *request);

Q_SIGNALS:
    // A request is on its way: a GET's target, or a POST's path (its form holds secrets).
    void requestSent(QByteArray target);
    void linkSettled();

private:
    QCoro::Task<LinkProblem> probe();
    QCoro::Task<DirectoryReply> await(DirectoryRequest *request);
    QCoro::Task<DirectoryReply> post(QByteArray path, QByteArray form);
    // The secure request on a secure link, else the classic one.
    QCoro::Task<DirectoryReply> byLink(QByteArray securePath, QByteArray form, QByteArray classicTarget);
    DirectoryRequest *start(bool tls, const QByteArray &target, const QByteArray &form = {});
    bool acceptKey(const QByteArray &serverKey) const;
    // "host:port", the name the directory's key is pinned under.
    [[nodiscard]] QString pinName() const;
    void pin(const QByteArray &serverKey);

    const Config &m_config;
    const WorkingDirectory &m_dir;
    const QByteArray m_acceptLanguage;
    DirectoryConnections *m_connections;
    DirectoryLink m_link = DirectoryLink::Unknown;
    bool m_settling = false;
    bool m_classicNotice = false;
    bool m_probing = false;  // any key may answer the probe of a directory never pinned
    QString m_observed;
    QByteArray m_pinned;     // the key the directory must show; empty: the authorities judge
    bool m_tlsReady = false; // the user's key is loaded into the TLS configuration
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
