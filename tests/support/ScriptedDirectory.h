#pragma once

#include "ports/BroadcastUi.h"
#include "ports/WindowCloser.h"

#include <QStringList>

namespace quibo::test {

// The user's eyes on the broadcast dialog: logs "broadcast|line1|...|line5" into the scripted
// user's log and closes it at once.
class ScriptedBroadcast : public BroadcastUi {
public:
    explicit ScriptedBroadcast(QStringList &log) : m_log(log) {}
    QCoro::Task<> showBroadcastMessage(BroadcastMessageFields fields) override
    {
        m_log.append(QStringLiteral("broadcast|") +
                     QStringList(fields.lines.begin(), fields.lines.end()).join(u'|'));
        co_return;
    }

private:
    QStringList &m_log;
};

// The desktop's windows: records every close request by title.
class FakeWindowCloser : public WindowCloser {
public:
    void closeWindowTitled(const QString &title) override { closed.append(title); }
    QStringList closed;
};

} // namespace quibo::test
