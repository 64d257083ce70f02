#include "resources/ResourceCatalogue.h"

namespace quibo::res {

QList<int> possessedFrames()
{
    return {177, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190};
}

QList<int> sendingFrames()
{
    return {194, 195, 196, 197, 198};
}

QList<int> allPictureIds()
{
    QList<int> ids{ProgramIcon,       OnlineOfflineImages, ChannelListImage,    FrownPicture,
                   WinkClosedPicture, SmilePicture,        StartupPicture,      MessageDialogPicture,
                   SendingSmallPicture, OopsPicture,       ManageContactsPicture, AahhhPicture,
                   KissRestPicture,   WinkOpenPicture,     KissPuckerPicture,   ChannelIcon,
                   MessageBoxIcon,    RegistrationPicture};
    ids += possessedFrames();
    ids += sendingFrames();
    return ids;
}

QStringList allSoundFiles()
{
    return {QStringLiteral("lol.snd"),     QStringLiteral("applause.snd"), QStringLiteral("catfight.snd"),
            QStringLiteral("hurl.snd"),    QStringLiteral("incoming.snd"), QStringLiteral("smootch.snd"),
            QStringLiteral("whip.snd"),    QStringLiteral("woof.snd"),     QStringLiteral("boing.snd"),
            QStringLiteral("shoot.snd"),   QStringLiteral("sys1.snd"),     QStringLiteral("sys2.snd"),
            QStringLiteral("quibocfg.dat"), QStringLiteral("mail.snd"),    QStringLiteral("poss.snd")};
}

QStringList allInstallFiles()
{
    return allSoundFiles() + QStringList{QStringLiteral("bg.gif"), QStringLiteral("chathelp.hlp"),
                                         QStringLiteral("quibo32.htm")};
}

QString picturePath(int id)
{
    return QStringLiteral(":/pictures/%1.svg").arg(id);
}

} // namespace quibo::res
