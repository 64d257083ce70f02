#include "directory/DirectoryAccess.h"

#include "notices/Notices.h"

namespace quibo::access_messages {

MessageLines problem(LinkProblem problem)
{
    switch (problem) {
    case LinkProblem::KeyMismatch:
        return {QStringLiteral("Directory Key Mismatch - Error Code 11"),
                QStringLiteral("It May Not Be Your Directory Server")};
    case LinkProblem::NotSecure:
        return {QStringLiteral("Directory Not Secure - Error Code 12"),
                QStringLiteral("Logon Stopped To Protect Your Password")};
    case LinkProblem::NotTrusted:
        return {QStringLiteral("Directory Not Trusted - Error Code 13"),
                QStringLiteral("Its Certificate Could Not Be Verified")};
    case LinkProblem::NoKey:
        return {QStringLiteral("Error Saving Your Key - Error Code 14"),
                QStringLiteral("Check That The Disk Is Not Full")};
    case LinkProblem::None:
    case LinkProblem::Unreachable:
        break;
    }
    return {};
}

MessageLines classicDirectory()
{
    return {QStringLiteral("Directory Is Classic - Not Encrypted"),
            QStringLiteral("Your Password Travels In Clear Text")};
}

MessageLines tooManyGuesses(int seconds)
{
    const QString wait = seconds <= 90 ? QStringLiteral("%1 Seconds").arg(std::max(seconds, 1))
                                       : QStringLiteral("%1 Minutes").arg((seconds + 59) / 60);
    return {QStringLiteral("Too Many Wrong Passwords - Error Code 15"),
            QStringLiteral("Try Again In ") + wait};
}

} // namespace quibo::access_messages

namespace quibo {

QCoro::Task<std::optional<MessageLines>> openDirectory(DirectoryClient &directory, Notices &notices,
                                                       DialogOwner owner, MessageLines unreachable)
{
    const LinkProblem problem = co_await directory.settleLink();
    if (problem == LinkProblem::Unreachable)
        co_return unreachable;
    if (problem != LinkProblem::None)
        co_return access_messages::problem(problem);
    if (directory.takeClassicNotice()) {
        const MessageLines notice = access_messages::classicDirectory();
        co_await notices.showSystemMessage(owner, notice.first, notice.second);
    }
    co_return std::nullopt;
}

} // namespace quibo
