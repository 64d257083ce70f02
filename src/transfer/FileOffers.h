#pragma once

#include <QStringList>

namespace quibo {

class Dispatcher;
class Logoff;
class Notices;
class WorkingDirectory;

// The sender's side of file transfer: the files offered during the run, deleted at logoff,
// and the answers to the offers ("|601", "|602", "|603").
class FileOffers {
public:
    FileOffers(const WorkingDirectory &dir, Notices &notices, Dispatcher &dispatcher, Logoff &logoff);

    // SentFileList: names of the files offered during this run, inside "html/tmp".
    QStringList sentFiles;

private:
    void deleteOfferedFiles();

    const WorkingDirectory &m_dir;
    Notices &m_notices;
};

} // namespace quibo
