#include "messaging/Smileys.h"

#include "resources/ResourceCatalogue.h"

namespace quibo::messaging {

namespace {
using namespace Qt::StringLiterals;

// 13 frames; held still before the second, laughing at the ninth, and nothing new on the
// very first tick of the run.
PopupAnimation possessed()
{
    QList<PopupTick> ticks = frames(res::possessedFrames());
    ticks[1].freezeBefore = true;
    ticks[8].sound = res::PossessedSound;
    return {&Timings::possessedTick, ticks, 0};
}

// The kiss with its sound for 3 ticks, then 19 at rest.
PopupAnimation kiss()
{
    QList<PopupTick> ticks = holding(res::KissPuckerPicture, 3) + holding(res::KissRestPicture, 19);
    ticks[0].sound = res::KissSound;
    return {&Timings::kissTick, ticks};
}
} // namespace

const QList<SmileyRow> &smileys()
{
    static const QList<SmileyRow> rows{
        {{u"|300"}, Command{32791}, {{152, u"Smile"_s}, res::SmilePicture, {}}},
        {{u"|301"}, Command{32792}, {{153, u"Frown"_s}, res::FrownPicture, {}}},
        {{u"|302"},
         Command{32793},
         {{154, u"Wink"_s},
          res::WinkOpenPicture,
          {&Timings::winkTick, holding(res::WinkClosedPicture, 2) + holding(res::WinkOpenPicture, 14)}}},
        {{u"|304"}, Command{32800}, {{204, u"Kiss"_s}, res::KissRestPicture, kiss()}},
        {{u"|305"}, Command{32798}, {{199, u"AAHHH!"_s}, res::AahhhPicture, {}}},
        {{u"|303"}, Command{32799}, {{176, u"Possessed"_s}, res::PossessedFirstFrame, possessed()}},
        {{u"|306"}, Command{32801}, {{205, u"Oops!"_s}, res::OopsPicture, {}}},
    };
    return rows;
}

const QList<SoundRow> &sounds()
{
    const QString sys1 = u"sys1.snd"_s;
    const QString sys2 = u"sys2.snd"_s;
    static const QList<SoundRow> rows{
        {{u"|400"}, Command{32794}, u"LOL"_s, {u"lol.snd"_s}},
        {{u"|404"}, Command{32808}, u"Incoming!"_s, {u"incoming.snd"_s}},
        {{u"|401"}, Command{32796}, u"Applause"_s, {u"applause.snd"_s}},
        {{u"|405"}, Command{32797}, u"Kiss"_s, {u"smootch.snd"_s}},
        {{u"|409"}, Command{32802}, u"Shoot 'Em"_s, {u"shoot.snd"_s}},
        {{u"|408"}, Command{32803}, u"Boing!"_s, {u"boing.snd"_s}},
        {{u"|406"}, Command{32805}, u"Whip It!"_s, {u"whip.snd"_s}},
        {{u"|407"}, Command{32824}, u"Woof!"_s, {u"woof.snd"_s}},
        {{u"|403"}, Command{32810}, u"Hurl"_s, {u"hurl.snd"_s}},
        {{u"|402"}, Command{32823}, u"Cat Fight"_s, {u"catfight.snd"_s}},
        {{u"|FART"}, {}, {}, {sys1}},
        {{u"|SICK"}, {}, {}, {sys1, sys1, sys2, sys1, sys2, sys1, u"hurl.snd"_s, sys1, sys1, sys2, sys1}},
        {{u"|BURP"}, {}, {}, {sys2}},
        {{u"|JAM"}, {}, {}, {u"quibocfg.dat"_s}},
    };
    return rows;
}

QString soundName(const SoundRow &row)
{
    if (row.menuText.isEmpty())
        return row.clips.value(0);
    QString name = row.menuText;
    return name.remove(u'&');
}

} // namespace quibo::messaging
