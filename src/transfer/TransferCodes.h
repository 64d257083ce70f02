#pragma once

#include "peer/PeerRecord.h"

#include <QString>

#include <optional>

namespace quibo::transfer {

// "|600": the offer, with size digits, "<" and the file name as payload.
inline constexpr peer::RecordCode Offer{u"|600", peer::MessageBlock};
// The receiver's answers, with the offered file name as payload.
inline constexpr peer::RecordCode Busy{u"|601", peer::ShortBlock};
inline constexpr peer::RecordCode Received{u"|602", peer::ShortBlock};
inline constexpr peer::RecordCode Declined{u"|603", peer::ShortBlock};

// The payload of "|600": size digits, "<", file name.
struct OfferText {
    QString sizeText; // whole: sizes of ten digits and more are read as 64-bit
    QString fileName;
};
// The offer's payload for a file of `size` bytes named `name`.
QString offerPayload(qint64 size, const QString &name);
// Nothing when the body is no "|600" or has no "<" after the code.
std::optional<OfferText> parseOffer(const QString &body);

} // namespace quibo::transfer
