#pragma once

#include "history/HistoryStore.h"

#include <QObject>

#include <memory>
#include <optional>

namespace quibo {

class HistoryUi;
class HistoryView;
class PreferencesFile;

// The history window's behaviour: a contact's, a channel's or everyone's history in pages,
// entries added as they are recorded, the search as the user types, "Keep history" and
// "Clear".
class HistoryBrowser : public QObject {
    Q_OBJECT
public:
    static constexpr int PageSize = 200;

    HistoryBrowser(HistoryStore &store, PreferencesFile &preferences, HistoryUi &ui, QObject *parent = nullptr);
    ~HistoryBrowser() override;

    // Opens the window on the history of `party`, or of everyone; an open window turns to it
    // and comes forward.
    void open(std::optional<Party> party);
    [[nodiscard]] bool isOpen() const { return m_view != nullptr; }

private:
    void showLatest();
    void showEarlier();
    void search(const QString &typed);
    void setKeeping(bool keeping);
    void clear();
    void added(const StoredEntry &stored);
    [[nodiscard]] bool shows(const Party &party) const;

    HistoryStore &m_store;
    PreferencesFile &m_preferences;
    HistoryUi &m_ui;
    std::unique_ptr<HistoryView> m_view;
    std::optional<Party> m_party;
    QString m_typed;  // the search shown, empty for the history itself
    qint64 m_oldest = 0; // the earliest entry shown, 0 for none
};

} // namespace quibo
