#include "messaging/Smileys.h"

namespace quibo::messaging {

const QList<SmileyRow> &smileys()
{
    static const QList<SmileyRow> rows{
        {{u"|300"}, Command::Smile, Smiley::Smile},
        {{u"|301"}, Command::Frown, Smiley::Frown},
        {{u"|302"}, Command::Wink, Smiley::Wink},
        {{u"|303"}, Command::Possessed, Smiley::Possessed},
        {{u"|304"}, Command::Kiss, Smiley::Kiss},
        {{u"|305"}, Command::Aahhh, Smiley::Aahhh},
        {{u"|306"}, Command::Oops, Smiley::Oops},
    };
    return rows;
}

const QList<SoundRow> &sounds()
{
    const auto clip = [](const char16_t *name) { return QStringList{QString::fromUtf16(name)}; };
    const QString sys1 = QStringLiteral("sys1.snd");
    const QString sys2 = QStringLiteral("sys2.snd");
    static const QList<SoundRow> rows{
        {{u"|400"}, Command::SoundLol, clip(u"lol.snd")},
        {{u"|401"}, Command::SoundApplause, clip(u"applause.snd")},
        {{u"|402"}, Command::SoundCatFight, clip(u"catfight.snd")},
        {{u"|403"}, Command::SoundHurl, clip(u"hurl.snd")},
        {{u"|404"}, Command::SoundIncoming, clip(u"incoming.snd")},
        {{u"|405"}, Command::SoundKiss, clip(u"smootch.snd")},
        {{u"|406"}, Command::SoundWhip, clip(u"whip.snd")},
        {{u"|407"}, Command::SoundWoof, clip(u"woof.snd")},
        {{u"|408"}, Command::SoundBoing, clip(u"boing.snd")},
        {{u"|409"}, Command::SoundShoot, clip(u"shoot.snd")},
        {{u"|FART"}, std::nullopt, {sys1}},
        {{u"|SICK"}, std::nullopt, {sys1, sys1, sys2, sys1, sys2, sys1, QStringLiteral("hurl.snd"), sys1, sys1, sys2, sys1}},
        {{u"|BURP"}, std::nullopt, {sys2}},
        {{u"|JAM"}, std::nullopt, clip(u"quibocfg.dat")},
    };
    return rows;
}

} // namespace quibo::messaging
