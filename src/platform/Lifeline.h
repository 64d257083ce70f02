#pragma once

#include <QProcessEnvironment>

namespace quibo {

// This process's end of a lifeline (base/Lifeline.h): a pipe whose write end only this
// process holds, so the programs given the read end see end of file once it has gone, even
// after SIGKILL or a crash.
class Lifeline {
public:
    Lifeline();
    ~Lifeline();
    Lifeline(const Lifeline &) = delete;
    Lifeline &operator=(const Lifeline &) = delete;

    // `environment` with the read end named in it; unchanged when the pipe could not be made.
    [[nodiscard]] QProcessEnvironment handedTo(QProcessEnvironment environment) const;

    // While one exists, the read end is inherited by programs started from this process; at
    // other times it is closed on exec, so no other child holds it.
    class Inherited {
    public:
        explicit Inherited(const Lifeline &lifeline);
        ~Inherited();
        Inherited(const Inherited &) = delete;
        Inherited &operator=(const Inherited &) = delete;

    private:
        int m_fd;
    };

private:
    int m_read = -1;
    int m_write = -1;
};

// Bytes handed to the next program started from this process: a pipe that holds them whole,
// its write end closed, its read end inherited while this object exists. Nothing is handed when
// `bytes` is empty or more than a pipe holds.
class HandedBytes {
public:
    explicit HandedBytes(const QByteArray &bytes);
    ~HandedBytes();
    HandedBytes(const HandedBytes &) = delete;
    HandedBytes &operator=(const HandedBytes &) = delete;

    // `environment` with the read end named as `variable`; unchanged when nothing is handed.
    [[nodiscard]] QProcessEnvironment handedTo(QProcessEnvironment environment, const char *variable) const;

private:
    int m_read = -1;
};

} // namespace quibo
