#include "FakePlatform.h"

#include "base/Wakeup.h"

namespace quibo::test {

QCoro::Task<> FakeSoundPlayer::play(QString fileName)
{
    played.append(QStringLiteral("sync:") + fileName);
    if (m_hold)
        co_await nextSignal(this, &FakeSoundPlayer::clipsFinished);
    finished.append(fileName);
}

void FakeSoundPlayer::playAsync(QString fileName)
{
    played.append(QStringLiteral("async:") + fileName);
}

void FakeShell::startProgram(const QString &program, const QStringList &arguments,
                             const QString &workingDirectory)
{
    started.append(
        QStringLiteral("%1 %2 @ %3").arg(program, arguments.join(u' '), workingDirectory).simplified());
}

} // namespace quibo::test
