#include "directory/Registration.h"

#include "base/Config.h"
#include "base/Limits.h"
#include "base/LogonState.h"
#include "base/WorkingDirectory.h"
#include "directory/DirectoryClient.h"
#include "directory/Pages.h"
#include "directory/WorkingFiles.h"
#include "notices/Notices.h"

namespace quibo {

namespace {

const QString userInfoFileName = QStringLiteral("userinfo.dat");

bool hasRequiredFields(const RegistrationFields &fields)
{
    return !fields.handle.isEmpty() && !fields.info.password.isEmpty() && !fields.info.email.isEmpty();
}

MessageLines savingFailed()
{
    return {QStringLiteral("Error Saving Your Info"), QStringLiteral("Check That The Disk Is Not Full")};
}

} // namespace

std::optional<MessageLines> handleRefusal(const QString &handle)
{
    if (handle.toUtf8().size() > limits::HandleBytes)
        return MessageLines{QStringLiteral("That Handle Is Too Long - At Most 10 Characters"),
                            QStringLiteral("(Accented Letters Count As Two Or More)")};
    for (const QChar c : handle) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c == u'|' || c == u'<' || c == u'/' ||
            c == u'\\')
            return MessageLines{QStringLiteral("Handles Can't Contain Spaces"),
                                QStringLiteral("Or Any Of These Characters: | < / \\")};
    }
    return std::nullopt;
}

Registration::Registration(const WorkingDirectory &dir, const Config &config, DirectoryClient &directory,
                           RegistrationUi &ui, Notices &notices, QObject *parent)
    : QObject(parent), m_dir(dir), m_config(config), m_directory(directory), m_ui(ui), m_notices(notices)
{
}

QCoro::Task<RegistrationOutcome> Registration::run()
{
    DialogView *opened = m_view.open([this] {
        m_fields = {};
        return m_ui.openRegistration(m_fields);
    });
    if (!opened)
        co_return RegistrationOutcome::Cancelled;
    DialogView &view = *opened;
    RegistrationOutcome outcome = RegistrationOutcome::Cancelled;
    for (;;) {
        const int action = co_await nextAction(view);
        if (action == DialogView::Closed || action == RegistrationUi::CancelButton)
            break;
        if (action != RegistrationUi::RegisterButton)
            continue;
        view.setButtonsEnabled(false);
        if (co_await submit()) {
            outcome = RegistrationOutcome::Registered;
            break;
        }
        view.setButtonsEnabled(true);
    }
    view.close();
    m_view.reset();
    co_return outcome;
}

QCoro::Task<bool> Registration::submit()
{
    const QString handle = m_fields.handle;
    const UserInfo info = cleanedUserInfo(m_fields.info);
    if (!hasRequiredFields({handle, info})) {
        co_await tell(QStringLiteral("You Must Enter All Required Fields"), {});
        co_return false;
    }
    if (const std::optional<MessageLines> refusal = handleRefusal(handle)) {
        co_await tell(refusal->first, refusal->second);
        co_return false;
    }

    const MessageLines notConnected{QStringLiteral("Error Registering - Make Sure You"),
                                    QStringLiteral("Are Logged On To The Internet")};
    if (const std::optional<MessageLines> stop =
            co_await openDirectory(m_directory, m_notices, DialogOwner::Desktop, notConnected)) {
        co_await tell(stop->first, stop->second);
        co_return false;
    }
    // Only the directory's error page ("<") says the handle is free. An empty answer says
    // nothing either way, so it counts as a failed check.
    const DirectoryReply check = co_await m_directory.infoPage(handle);
    if (!check.ok || check.body.isEmpty()) {
        co_await tell(notConnected.first, notConnected.second);
        co_return false;
    }
    if (!check.body.startsWith('<')) {
        co_await m_ui.showHandleInUse();
        co_return false;
    }

    // The local files first: should one fail, nothing has been sent yet.
    if (!writeUserInfoFile(m_dir.file(userInfoFileName), info) ||
        !pages::writeUserInfoPage(m_dir, pages::UserInfoForm::Registration, handle, info,
                                  m_config.directoryOrigin()) ||
        !pages::writePersonalWebPage(m_dir, handle)) {
        co_await tell(savingFailed().first, savingFailed().second);
        co_return false;
    }
    const bool secure = m_directory.isSecure();
    const DirectoryReply registered = co_await m_directory.registerAccount(handle, requestFields(info));
    if (secure && registered.ok && registered.status == 409) {
        // Taken since the check: the user chooses another handle.
        co_await m_ui.showHandleInUse();
        co_return false;
    }
    if (!registered.ok || (secure && registered.status != 200))
        co_await tell(QStringLiteral("Error Registering"), QStringLiteral("Please Try Again Later"));
    if (!writeSettingsFile(m_dir, handle)) {
        co_await tell(savingFailed().first, savingFailed().second);
        co_return false;
    }
    co_return true;
}

QCoro::Task<> Registration::tell(QString line1, QString line2)
{
    co_await m_notices.showSystemMessage(DialogOwner::Desktop, std::move(line1), std::move(line2));
}

ChangeInfo::ChangeInfo(const LogonState &session, const WorkingDirectory &dir, const Config &config,
                       DirectoryClient &directory, RegistrationUi &ui, Notices &notices, QObject *parent)
    : QObject(parent), m_session(session), m_dir(dir), m_config(config), m_directory(directory), m_ui(ui),
      m_notices(notices)
{
}

QCoro::Task<> ChangeInfo::run()
{
    if (m_session.notLoggedOn) {
        co_await tell(QStringLiteral("You Can't Change Your Info"),
                      QStringLiteral("You Are Not Logged On Yet"));
        co_return;
    }
    if (m_view) // already open
        co_return;
    const std::optional<UserInfo> stored = readUserInfoFile(m_dir.file(userInfoFileName));
    if (!stored) {
        co_await tell(QStringLiteral("Error Reading Your User Info"),
                      QStringLiteral("userinfo.dat Is Missing"));
        co_return;
    }
    DialogView *opened = m_view.open([&] {
        m_fields = {m_session.ownHandle, m_session.ownAddress, *stored};
        return m_ui.openChangeInfo(m_fields);
    });
    if (!opened)
        co_return;
    DialogView &view = *opened;
    for (;;) {
        const int action = co_await nextAction(view);
        if (action == DialogView::Closed || action == RegistrationUi::CancelButton)
            break;
        if (action != RegistrationUi::ChangeButton)
            continue;
        view.setButtonsEnabled(false);
        if (co_await submit(*stored))
            break;
        view.setButtonsEnabled(true);
    }
    view.close();
    m_view.reset();
}

QCoro::Task<bool> ChangeInfo::submit(UserInfo readBack)
{
    UserInfo info = cleanedUserInfo(m_fields.info);
    // The password is not the dialog's to change: the line read from the file goes back as it was.
    info.password = readBack.password;
    if (!writeUserInfoFile(m_dir.file(userInfoFileName), info) ||
        !pages::writeUserInfoPage(m_dir, pages::UserInfoForm::Change, m_session.ownHandle, info,
                                  m_config.directoryOrigin())) {
        co_await tell(savingFailed().first, savingFailed().second);
        co_return false;
    }
    const bool secure = m_directory.isSecure();
    const DirectoryReply registered =
        co_await m_directory.changeInfo(m_session.ownHandle, requestFields(info));
    if (!registered.ok || (secure && registered.status != 200))
        co_await tell(QStringLiteral("Error Changing Info On Server"),
                      QStringLiteral("Please Try Again Later"));
    co_return true;
}

QCoro::Task<> ChangeInfo::tell(QString line1, QString line2)
{
    co_await m_notices.showSystemMessage(DialogOwner::MainWindow, std::move(line1), std::move(line2));
}

} // namespace quibo
