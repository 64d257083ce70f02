// Records numbered messages into the history of the folder given, one per turn of the event
// loop until killed, and prints each number once its turn has ended.
#include "base/Timings.h"
#include "history/HistoryStore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    quibo::HistoryStore store(QString::fromLocal8Bit(argc == 2 ? argv[1] : "."), quibo::Timings{});
    if (!store.isOpen())
        return 1;
    for (qint64 n = 1;; ++n) {
        store.record({{}, quibo::Direction::In, quibo::EntryKind::Message, quibo::Party::contact(QStringLiteral("bob")),
                      QStringLiteral("entry %1").arg(n), -1, quibo::FileOutcome::None});
        QCoreApplication::processEvents();
        std::printf("%lld\n", static_cast<long long>(n));
        std::fflush(stdout);
    }
}
