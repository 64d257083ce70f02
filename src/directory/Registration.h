#pragma once

#include "base/ViewSlot.h"
#include "directory/DirectoryAccess.h"
#include "ports/RegistrationUi.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

namespace quibo {

struct Config;
struct LogonState;
class DirectoryClient;
class Notices;
class WorkingDirectory;

// Why a handle cannot be registered, as a message for the user; nullopt when it can. A handle
// has to fit the 10-byte field of the peer records and "settings", and may hold no space,
// "|" (separates it in peer records), "<" (starts the directory's error pages), "/" or "\"
// (it is a path on the directory server) or control character.
std::optional<MessageLines> handleRefusal(const QString &handle);

enum class RegistrationOutcome { Registered, Cancelled };

// The first-run registration: the dialog, the handle check with the directory server, and on
// success "userinfo.dat", the two pages, the register request and "settings".
class Registration : public QObject {
    Q_OBJECT
public:
    Registration(const WorkingDirectory &dir, const Config &config, DirectoryClient &directory,
                 RegistrationUi &ui, Notices &notices, QObject *parent = nullptr);

    // Shows the dialog until the user has registered or cancelled. Cancelling does not end
    // the program: the caller does.
    QCoro::Task<RegistrationOutcome> run();

private:
    // One press of "&Register": true when the user is registered and the dialog may close.
    QCoro::Task<bool> submit();
    QCoro::Task<> tell(QString line1, QString line2);

    const WorkingDirectory &m_dir;
    const Config &m_config;
    DirectoryClient &m_directory;
    RegistrationUi &m_ui;
    Notices &m_notices;
    RegistrationFields m_fields;
    // Owned here, not by the task, so a task is never resumed once this object has gone.
    ViewSlot<DialogView> m_view{"Registration"};
};

// "&Change Your Info": edit the record except the handle and the password, then save and
// register it again.
class ChangeInfo : public QObject {
    Q_OBJECT
public:
    ChangeInfo(const LogonState &session, const WorkingDirectory &dir, const Config &config,
               DirectoryClient &directory, RegistrationUi &ui, Notices &notices, QObject *parent = nullptr);

    // Completes when the dialog has closed.
    QCoro::Task<> run();

private:
    // One press of "C&hange": true when the dialog may close.
    QCoro::Task<bool> submit(UserInfo readBack);
    QCoro::Task<> tell(QString line1, QString line2);

    const LogonState &m_session;
    const WorkingDirectory &m_dir;
    const Config &m_config;
    DirectoryClient &m_directory;
    RegistrationUi &m_ui;
    Notices &m_notices;
    ChangeInfoFields m_fields;
    ViewSlot<DialogView> m_view{"Change Your Info"};
};

} // namespace quibo
