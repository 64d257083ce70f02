#include "transfer/TransferCodes.h"

namespace quibo::transfer {

QString offerPayload(qint64 size, const QString &name)
{
    return QString::number(size) + peer::SubFieldSeparator + name;
}

std::optional<OfferText> parseOffer(const QString &body)
{
    if (!Offer.begins(body))
        return std::nullopt;
    const QString rest = Offer.payloadOf(body);
    const qsizetype lt = rest.indexOf(peer::SubFieldSeparator);
    if (lt < 0)
        return std::nullopt;
    return OfferText{rest.left(lt), rest.mid(lt + 1)};
}

} // namespace quibo::transfer
