#pragma once

#include "base/Wakeup.h"
#include "ports/DesktopNotifier.h"
#include "ports/HistoryUi.h"
#include "ports/ProcessControl.h"
#include "ports/Shell.h"
#include "ports/SoundPlayer.h"
#include "ports/TrayView.h"
#include "ports/WindowCloser.h"

#include <QObject>
#include <QStringList>

namespace quibo::test {

// The user's ears: records every clip. A clip ends at once, or at finishClips() when holding.
class FakeSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    QCoro::Task<> play(QString fileName) override
    {
        played.append(QStringLiteral("sync:") + fileName);
        if (m_hold)
            co_await nextSignal(this, &FakeSoundPlayer::clipsFinished);
        finished.append(fileName);
    }
    void playAsync(QString fileName) override { played.append(QStringLiteral("async:") + fileName); }

    void holdClips(bool hold) { m_hold = hold; }
    void finishClips() { Q_EMIT clipsFinished(); }

    QStringList played;   // "sync:lol.snd", "async:mail.snd"
    QStringList finished; // clips played to their end, in order

Q_SIGNALS:
    void clipsFinished();

private:
    bool m_hold = false;
};

class FakeShell : public Shell {
public:
    void openDocument(const QString &absolutePath) override { opened.append(absolutePath); }
    void startProgram(const QString &program, const QStringList &arguments,
                      const QString &workingDirectory) override
    {
        started.append(
            QStringLiteral("%1 %2 @ %3").arg(program, arguments.join(u' '), workingDirectory).simplified());
    }

    QStringList opened;
    QStringList started; // "program arg1 arg2 @ workdir"
};

class FakeProcess : public ProcessControl {
public:
    void exitProcess(int code) override { exitCodes.append(code); }
    [[nodiscard]] bool ended() const { return !exitCodes.isEmpty(); }
    QList<int> exitCodes;
};

// The desktop's windows: records every close request by title.
class FakeWindowCloser : public WindowCloser {
public:
    void closeWindowTitled(const QString &title) override { closed.append(title); }
    QStringList closed;
};

// Notifications nobody sees (tests/desktop has a real bus); the tray icon's tooltip.
class FakeNotifier : public DesktopNotifier {
public:
    quint32 notify(const QString &, const QString &) override { return 0; }
};
class FakeTray : public TrayView {
public:
    void setToolTip(const QString &text) override { toolTip = text; }
    QString toolTip;
};

// The history window, unseen: tests read the store itself.
class ScriptedHistory : public HistoryUi {
    struct View : HistoryView {
        void setHeading(const QString &) override {}
        void setKeeping(bool) override {}
        void showRows(const QList<HistoryRow> &, bool) override {}
        void addEarlierRows(const QList<HistoryRow> &, bool) override {}
        void appendRow(const HistoryRow &) override {}
        void bringForward() override {}
        [[nodiscard]] bool isOpen() const override { return true; }
    };

public:
    std::unique_ptr<HistoryView> openHistory() override { return std::make_unique<View>(); }
};

} // namespace quibo::test
