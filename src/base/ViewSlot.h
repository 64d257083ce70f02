#pragma once

#include <QDebug>

#include <memory>
#include <utility>

namespace quibo {

// Holds a feature's one open view of a kind (a dialog, a chat window, a popup). A second open
// while one is open is refused and logged, and the first stays: replacing it would destroy the
// view under the task that runs it.
template <typename View>
class ViewSlot {
public:
    explicit ViewSlot(const char *name) : m_name(name) {}

    // Opens the view with `open` (which returns a unique_ptr<View>); null when one is open.
    template <typename Open>
    View *open(Open &&open)
    {
        if (m_view) {
            qCritical("%s is open already: a second one is refused", m_name);
            return nullptr;
        }
        m_view = std::forward<Open>(open)();
        return m_view.get();
    }
    void reset() { m_view.reset(); }

    [[nodiscard]] View *get() const { return m_view.get(); }
    View *operator->() const { return m_view.get(); }
    explicit operator bool() const { return m_view != nullptr; }

private:
    const char *m_name;
    std::unique_ptr<View> m_view;
};

} // namespace quibo
