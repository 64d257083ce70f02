// Feeds arbitrary offer payloads ("|600" + size + "<" + name) to the receiver: the name it
// suggests for saving is a plain file name, and the address it fetches names exactly the
// offered file in the sender's "tmp" folder, as the sender's quiboweb reads it.
#include "FuzzCheck.h"

#include "RequestTarget.h"
#include "transfer/FileDownload.h"
#include "transfer/FileReception.h"
#include "transfer/TransferCodes.h"

#include <QDir>
#include <QUrl>

#include <algorithm>

using namespace quibo;

namespace {

bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f;
    });
}

void checkSavedName(const QString &offered)
{
    const QString saved = FileReception::cleanFileName(offered);
    FUZZ_CHECK(isPlainName(saved));
    FUZZ_CHECK(saved == saved.trimmed());
    FUZZ_CHECK(QDir::cleanPath(QStringLiteral("/home/me/") + saved) == QStringLiteral("/home/me/") + saved);
}

void checkFetchedAddress(const QString &offered)
{
    const QUrl url = FileDownload::offeredFileUrl(QStringLiteral("192.168.0.7"), 80, offered);
    FUZZ_CHECK(url.isValid());
    FUZZ_CHECK(url.host() == u"192.168.0.7" && url.port() == 80);
    const QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    const web::TargetPath path = web::parseRequestTarget(target);
    if (isPlainName(offered))
        FUZZ_CHECK(path.status == 200 && path.segments == (QStringList{QStringLiteral("tmp"), offered}));
    else
        FUZZ_CHECK(path.status != 200 || (path.segments.size() >= 2 && path.segments.first() == u"tmp"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString payload = QString::fromUtf8(fuzz::input(data, size));
    const QString body = transfer::Offer.toString() + payload;
    const std::optional<transfer::OfferText> offer = transfer::parseOffer(body);
    FUZZ_CHECK(offer.has_value() == payload.contains(peer::SubFieldSeparator));
    if (!offer)
        return 0;
    FUZZ_CHECK(offer->sizeText + peer::SubFieldSeparator + offer->fileName == payload);

    checkSavedName(offer->fileName);
    checkFetchedAddress(offer->fileName);
    return 0;
}
