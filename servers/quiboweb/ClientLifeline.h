#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace quibo::web {

// The lifeline the client hands this program (base/Lifeline.h): once the pipe reaches end of
// file, the client has ended, even by SIGKILL or a crash, and so should this server, so that
// the files it offered are not served after it.
class ClientLifeline : public QObject {
    Q_OBJECT
public:
    explicit ClientLifeline(QObject *parent = nullptr);
    ~ClientLifeline() override;

    // Takes the descriptor named in the environment, and removes the name so that nothing this
    // program starts inherits it. False when there is none (started by hand) or it is not a
    // pipe's read end.
    bool watchFromEnvironment();

signals:
    void clientEnded();

private:
    void readAvailable();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace quibo::web
