#pragma once

#include <QString>
#include <QStringList>

namespace quibo {

// The process-wide session fields. All tasks run on one thread, so they share it without locks.
struct SessionState {
    QString ownHandle;
    QString ownAddress;
    bool notLoggedOn = true;
    bool contactsResolved = false;
    bool logoffFailed = false;
    bool connecting = false;
    QString statusText;
    int selectedContact = 0;
    int clickedItem = 0;
    bool replyPending = false;
    bool sendDialogOpen = false;
    // SentFileList: names of the files offered during this run, inside "html/tmp".
    QStringList sentFiles;
};

// Frame counters of the animated popups: one per popup, kept across showings.
struct PopupCounters {
    int wink = 1;
    int kiss = 1;
    int possessed = 0;
};

} // namespace quibo
