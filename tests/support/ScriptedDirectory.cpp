#include "ScriptedDirectory.h"

namespace quibo::test {

QCoro::Task<> ScriptedBroadcast::showBroadcastMessage(BroadcastMessageFields fields)
{
    QStringList line{QStringLiteral("broadcast")};
    for (const QString &text : fields.lines)
        line.append(text);
    m_log.append(line.join(u'|'));
    co_return;
}

} // namespace quibo::test
