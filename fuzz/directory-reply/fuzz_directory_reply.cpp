// Feeds arbitrary replies to the client's reading of them: whatever the server (or something
// posing as it) sends, the response reads the same however the bytes were split, a line stays
// within its field and nothing is lost or made up. The secure look-up gives an address that fits
// its field and a key only in its one shape; the pinned keys' file reads back as it was written.
#include "FuzzCheck.h"

#include "base/DottedAddress.h"
#include "base/KeyValueText.h"
#include "base/Limits.h"
#include "directory/DirectoryClient.h"
#include "directory/HttpWire.h"
#include "directory/Pages.h"
#include "keys/KeyMaking.h"
#include "keys/KnownKeys.h"

#include <QHostAddress>

using namespace quibo;

namespace {

// The body without its line ends: what the lines read back must add up to.
QByteArray withoutLineEnds(QByteArray body)
{
    return body.replace("\r\n", "").replace('\n', "");
}

// The content of the body's first line, its line end removed.
QByteArray firstLineContent(const QByteArray &body)
{
    const qsizetype lf = body.indexOf('\n');
    QByteArray line = body.left(lf < 0 ? body.size() : lf);
    if (lf >= 0 && line.endsWith('\r'))
        line.chop(1);
    return line;
}

void checkFirstLine(const QByteArray &body, bool utf8, int limit)
{
    const QString line = reply_text::firstLine(body, limit);
    FUZZ_CHECK(!line.contains(u'\n'));
    if (!utf8)
        return;
    const QByteArray bytes = line.toUtf8();
    FUZZ_CHECK(bytes.size() <= limit - 1);
    FUZZ_CHECK(body.startsWith(bytes));
    const QByteArray whole = firstLineContent(body);
    if (whole.size() <= limit - 1)
        FUZZ_CHECK(bytes == whole);
    else
        FUZZ_CHECK(bytes.size() > limit - 1 - 4); // cut back by at most a partial character
}

void checkLines(const QByteArray &body, bool utf8, int maxContent)
{
    const QStringList all = reply_text::lines(body, maxContent, static_cast<int>(body.size()) + 1);
    QByteArray joined;
    for (const QString &line : all) {
        FUZZ_CHECK(!line.contains(u'\n'));
        joined += line.toUtf8();
        if (utf8)
            FUZZ_CHECK(line.toUtf8().size() <= maxContent);
    }
    if (utf8)
        FUZZ_CHECK(joined == withoutLineEnds(body));
}

void checkAddress(const QString &line)
{
    const std::optional<QString> page = pages::contactPageAddress(line, pages::ContactPage::WebPage);
    FUZZ_CHECK(page.has_value() == isDottedIPv4(line));
    if (!page)
        return;
    // Only an address that reads back as itself may go into a page the browser runs.
    QHostAddress host;
    FUZZ_CHECK(host.setAddress(line) && host.protocol() == QAbstractSocket::IPv4Protocol);
    FUZZ_CHECK(host.toString() == line);
    FUZZ_CHECK(*page == QStringLiteral("http://") + line + QStringLiteral("/index.htm"));
}

// The same response whether it came in one piece or two.
void checkResponse(const QByteArray &bytes, qsizetype split)
{
    http_wire::ResponseReader whole;
    http_wire::ResponseReader pieces;
    whole.feed(bytes);
    pieces.feed(QByteArrayView(bytes).first(split));
    pieces.feed(QByteArrayView(bytes).sliced(split));
    whole.closed();
    pieces.closed();
    FUZZ_CHECK(whole.state() == pieces.state());
    if (whole.state() != http_wire::ResponseReader::State::Complete)
        return;
    FUZZ_CHECK(whole.body() == pieces.body());
    FUZZ_CHECK(whole.status() >= 200 && whole.status() <= 999);
    FUZZ_CHECK(whole.body().size() <= http_wire::ResponseReader::MaxBodyBytes);
}

// A look-up's answer fits the contact record whatever came, from either kind of directory.
void checkLookups(const QByteArray &body, bool utf8)
{
    const int limit = int(limits::AddressFieldBytes) + 1;
    for (const DirectoryLink link : {DirectoryLink::Classic, DirectoryLink::Secure}) {
        for (const int status : {200, 404, 503}) {
            const LookupAnswer answer = readLookup({true, body, status, -1}, link, limit);
            FUZZ_CHECK(!answer.address.contains(u'\n'));
            if (utf8)
                FUZZ_CHECK(answer.address.toUtf8().size() <= limit - 1);
            FUZZ_CHECK(answer.fingerprint.isEmpty() || keys::isKeyFingerprint(answer.fingerprint));
            FUZZ_CHECK(answer.secure == !answer.fingerprint.isEmpty());
            if (link == DirectoryLink::Secure && status != 200)
                FUZZ_CHECK(answer.kind ==
                           (status == 404 ? LookupAnswer::Kind::Unknown : LookupAnswer::Kind::Failed));
        }
    }
    // Any address the directory holds comes back as its first line, however it is framed.
    const QByteArray address = body.left(body.indexOf('\n') < 0 ? body.size() : body.indexOf('\n'));
    const auto found =
        secure_reply::lookup(keyValueText({{"address", address}, {"secure", "0"}, {"fingerprint", {}}}));
    FUZZ_CHECK(found && found->address == QString::fromUtf8(address) && !found->secure);
}

void checkKnownKeys(const QByteArray &text)
{
    const QMap<QString, QByteArray> pinned = known_keys::parse(text);
    for (const QByteArray &fingerprint : pinned)
        FUZZ_CHECK(keys::isKeyFingerprint(fingerprint));
    FUZZ_CHECK(known_keys::parse(known_keys::format(pinned)) == pinned);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray body = fuzz::input(data, size);
    const bool utf8 = fuzz::isUtf8(body);

    // The limits the client reads replies with: password, address, address page line, handle.
    for (const int limit : {11, 12, 16, int(limits::AddressFieldBytes) + 1})
        checkFirstLine(body, utf8, limit);
    for (const int maxContent : {10, 15, int(limits::BroadcastLineBytes)})
        checkLines(body, utf8, maxContent);

    const QStringList broadcast = reply_text::broadcastLines(body);
    FUZZ_CHECK(broadcast.size() <= limits::BroadcastLines);
    if (body.startsWith('<'))
        FUZZ_CHECK(broadcast.isEmpty());
    for (const QString &line : broadcast) {
        FUZZ_CHECK(!line.contains(u'\n'));
        if (utf8)
            FUZZ_CHECK(line.toUtf8().size() <= limits::BroadcastLineBytes);
    }

    checkAddress(reply_text::firstLine(body, int(limits::AddressFieldBytes) + 1));
    checkResponse(body, body.isEmpty() ? 0 : qsizetype(std::uint8_t(body.front())) % (body.size() + 1));
    checkLookups(body, utf8);
    checkKnownKeys(body);
    secure_reply::isHello(body);
    return 0;
}
