#pragma once

#include <QString>

namespace quibo {

// Asks a top-level window, found by its exact title, to close. Never waits; when no such
// window exists nothing happens.
class WindowCloser {
public:
    virtual ~WindowCloser();
    virtual void closeWindowTitled(const QString &title) = 0;
};

} // namespace quibo
