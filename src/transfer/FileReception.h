#pragma once

#include "peer/Origin.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace quibo {

// A file offered by a contact ("|600").
struct FileOffer {
    Origin from;
    QString sizeText; // the digits as they came, at most 9
    QString fileName;
};

// The listener's side of receiving files.
class FileReception {
public:
    // "|600" while no file is being received (the notification sound has started): the
    // receive-file dialog.
    QCoro::Task<> OnFileOffer(FileOffer offer);

    bool receiving = false;
};

} // namespace quibo
