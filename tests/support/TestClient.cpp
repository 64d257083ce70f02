#include "TestClient.h"

#include <QTest>

namespace quibo::test {

TestClient::TestClient(Config config, Timings timings)
{
    client =
        std::make_unique<Client>(std::move(config), timings, WorkingDirectory(QDir(dir.path())), ports());
}

Ports TestClient::ports()
{
    Ports p;
    p.connect = &ui;
    p.mainWindow = &mainWindow;
    p.notices = &ui;
    p.sound = &sound;
    p.shell = &shell;
    p.process = &process;
    p.messages = &messages;
    p.registration = &registration;
    p.broadcast = &broadcast;
    p.windowCloser = &windowCloser;
    p.consent = &consent;
    p.transfer = &transfer;
    p.channel = &channel;
    p.privateChat = &privateChat;
    return p;
}

bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}

} // namespace quibo::test
