#pragma once

#include <QString>

#include <functional>

namespace quibo {

// What the features tell the desktop of what arrives: a desktop notification while the user
// works elsewhere, and the count of received messages not yet read.
class Attention {
public:
    // Returns false when the window it would raise is gone; the main window comes forward then.
    using BringForward = std::function<bool()>;

    virtual ~Attention() = default;
    // Something from `contact` arrived; `text` is what it says. A click on the notification
    // calls `bringForward`.
    virtual void arrived(const QString &contact, const QString &text, BringForward bringForward) = 0;
    // A received message is shown, and later read (its window closed).
    virtual void messageShown() = 0;
    virtual void messageRead() = 0;
};

} // namespace quibo
