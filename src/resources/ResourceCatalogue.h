#pragma once

#include <QList>
#include <QString>

// Every picture id and installed file name the program uses, described as data.
// Code refers to these constants; the asset test checks that each one has an asset.
namespace quibo::res {

// Pictures, by the numbers the program's dialogs are known by.
inline constexpr int ProgramIcon = 128;
inline constexpr int OnlineOfflineImages = 137; // 16 px strip: 0 online, 1 offline
inline constexpr int ChannelListImage = 143;
inline constexpr int FrownPicture = 149;
inline constexpr int WinkClosedPicture = 150;
inline constexpr int SmilePicture = 151;
inline constexpr int StartupPicture = 155;
inline constexpr int MessageDialogPicture = 156;
inline constexpr int SendingSmallPicture = 157;
inline constexpr int OopsPicture = 169;
inline constexpr int ManageContactsPicture = 172;
inline constexpr int PossessedFirstFrame = 177;
inline constexpr int AahhhPicture = 202;
inline constexpr int KissRestPicture = 206;
inline constexpr int WinkOpenPicture = 207;
inline constexpr int KissPuckerPicture = 208;
inline constexpr int ChannelIcon = 214;
inline constexpr int MessageBoxIcon = 215;
inline constexpr int RegistrationPicture = 1000; // a number of our own: the dialog had none

// The 13 frames of the Possessed popup, in showing order.
QList<int> possessedFrames();
// The five frames of the "Sending ..." popup.
QList<int> sendingFrames();
// Every picture id above, for the asset check.
QList<int> allPictureIds();

// Installed files opened by name from the working directory.
inline const QString NotificationSound = QStringLiteral("mail.snd");
inline const QString KissSound = QStringLiteral("smootch.snd");
inline const QString PossessedSound = QStringLiteral("poss.snd");
QStringList allSoundFiles();
QStringList allInstallFiles(); // sounds plus page background, help and web-site page

QString picturePath(int id); // ":/pictures/<id>.svg"

} // namespace quibo::res
