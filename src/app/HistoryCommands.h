#pragma once

#include "history/HistoryBrowser.h"
#include "history/HistoryStore.h"
#include "platform/Preferences.h"

#include <QCoro/QCoroTask>

namespace quibo {

struct Selection;
struct Timings;
class CommandHandlers;
class ContactTable;
class HistoryUi;
class MainWindowView;
class Notices;
class WorkingDirectory;

// The history and the program's own settings: the store the features write to, its window
// from the menu bar ("History") and the contact menu (one contact's), and "Start at Login".
class HistoryCommands {
public:
    struct Parts {
        const WorkingDirectory &workDir;
        const Timings &timings;
        const Selection &selection;
        const ContactTable &contacts;
        Notices &notices;
        MainWindowView &mainWindow;
        HistoryUi &ui;
    };
    HistoryCommands(Parts parts, CommandHandlers &commands);

    [[nodiscard]] Journal &journal() { return m_store; }
    [[nodiscard]] HistoryStore &store() { return m_store; }
    [[nodiscard]] const HistoryStore &store() const { return m_store; }
    [[nodiscard]] HistoryBrowser &browser() { return m_browser; }
    [[nodiscard]] const HistoryBrowser &browser() const { return m_browser; }

private:
    void openContactHistory();
    QCoro::Task<> toggleStartAtLogin();

    Parts m_parts;
    PreferencesFile m_preferences;
    HistoryStore m_store;
    HistoryBrowser m_browser;
};

} // namespace quibo
