#include "ports/Smiley.h"

#include "resources/ResourceCatalogue.h"

#include <array>

namespace quibo {

const SmileyLook &smileyLook(Smiley smiley)
{
    static const std::array<SmileyLook, 7> looks{{
        {Smiley::Smile, 152, res::SmilePicture, QStringLiteral("Smile")},
        {Smiley::Frown, 153, res::FrownPicture, QStringLiteral("Frown")},
        {Smiley::Wink, 154, res::WinkOpenPicture, QStringLiteral("Wink")},
        {Smiley::Possessed, 176, res::PossessedFirstFrame, QStringLiteral("Possessed")},
        {Smiley::Kiss, 204, res::KissRestPicture, QStringLiteral("Kiss")},
        {Smiley::Aahhh, 199, res::AahhhPicture, QStringLiteral("AAHHH!")},
        {Smiley::Oops, 205, res::OopsPicture, QStringLiteral("Oops!")},
    }};
    return looks.at(static_cast<std::size_t>(smiley));
}

} // namespace quibo
