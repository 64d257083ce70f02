#include "transfer/FileOffers.h"

#include "directory/Logoff.h"
#include "directory/WorkingFiles.h"
#include "peer/Dispatcher.h"
#include "peer/ListenerMessage.h"

#include <QFile>

namespace quibo {

using peer::Code;

FileOffers::FileOffers(const WorkingDirectory &dir, Notices &notices, Dispatcher &dispatcher, Logoff &logoff)
    : m_dir(dir), m_notices(notices)
{
    dispatcher.on(Code::FileBusy, [this](Origin from, QString) {
        return listenerMessage(m_notices, from.name + QStringLiteral(" Is Busy Receiving Another File"),
                               QStringLiteral("Try To Send It Again Later"), true);
    });
    dispatcher.on(Code::FileDeclined, [this](Origin from, QString) {
        return listenerMessage(m_notices, from.name + QStringLiteral(" Does Not Want The File"),
                               QStringLiteral("File Transfer Cancelled"), true);
    });
    dispatcher.on(Code::FileReceived, [this](Origin from, QString body) {
        return listenerMessage(m_notices,
                               from.name + QStringLiteral(" Has Received ") +
                                   peer::payloadAfter(body, Code::FileReceived),
                               QStringLiteral("File Transfer Complete"), true);
    });
    logoff.onLoggingOff([this] { deleteOfferedFiles(); });
}

void FileOffers::deleteOfferedFiles()
{
    for (const QString &name : std::as_const(sentFiles)) {
        if (const std::optional<QString> path = offeredFilePath(m_dir, name))
            QFile::remove(*path);
    }
}

} // namespace quibo
