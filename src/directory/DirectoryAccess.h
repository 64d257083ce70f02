#pragma once

#include "directory/DirectoryClient.h"
#include "ports/DialogOwner.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <optional>
#include <utility>

namespace quibo {

class Notices;

// The two lines of a message box.
using MessageLines = std::pair<QString, QString>;

namespace access_messages {
// Why the directory cannot be used, for every problem but None and Unreachable (the callers
// word that one as they always have).
MessageLines problem(LinkProblem problem);
// Once per run against a classic directory.
MessageLines classicDirectory();
// Too many wrong passwords for the handle or from this address: try again after `seconds`.
MessageLines tooManyGuesses(int seconds);
} // namespace access_messages

// Settles the link before a logon or a registration. The lines of the message that stops the
// caller (`unreachable` when no answer came), or nothing when the directory can be used, after
// telling the user, once per run, that a classic one does not protect the password.
QCoro::Task<std::optional<MessageLines>> openDirectory(DirectoryClient &directory, Notices &notices,
                                                       DialogOwner owner, MessageLines unreachable);

} // namespace quibo
