#include "history/HistoryBrowser.h"

#include "history/HistoryRows.h"
#include "history/SearchQuery.h"
#include "platform/Preferences.h"
#include "ports/HistoryUi.h"

#include <algorithm>

namespace quibo {

namespace {
QList<HistoryRow> rowsOf(const QList<StoredEntry> &entries)
{
    QList<HistoryRow> rows;
    rows.reserve(entries.size());
    for (const StoredEntry &stored : entries)
        rows.append(historyRow(stored.entry));
    return rows;
}
} // namespace

HistoryBrowser::HistoryBrowser(HistoryStore &store, PreferencesFile &preferences, HistoryUi &ui, QObject *parent)
    : QObject(parent), m_store(store), m_preferences(preferences), m_ui(ui)
{
    connect(&m_store, &HistoryStore::recorded, this, &HistoryBrowser::added);
}

HistoryBrowser::~HistoryBrowser() = default;

void HistoryBrowser::open(std::optional<Party> party)
{
    if (!m_view) {
        m_view = m_ui.openHistory();
        HistoryView *view = m_view.get();
        connect(view, &HistoryView::searchEdited, this, &HistoryBrowser::search);
        connect(view, &HistoryView::earlierWanted, this, &HistoryBrowser::showEarlier);
        connect(view, &HistoryView::keepingToggled, this, &HistoryBrowser::setKeeping);
        connect(view, &HistoryView::clearConfirmed, this, &HistoryBrowser::clear);
        // The view goes after the signal that tells of its closing has returned.
        connect(view, &HistoryView::closed, this, [this] { m_view.release()->deleteLater(); });
    }
    m_party = std::move(party);
    m_typed.clear();
    m_view->setHeading(m_party ? QStringLiteral("History of ") + partyLabel(*m_party) : QStringLiteral("All history"));
    m_view->setKeeping(m_store.keeping());
    showLatest();
    m_view->bringForward();
}

void HistoryBrowser::showLatest()
{
    const QList<StoredEntry> entries = m_store.page(m_party, 0, PageSize);
    m_oldest = entries.isEmpty() ? 0 : entries.first().id;
    m_view->showRows(rowsOf(entries), entries.size() == PageSize);
}

void HistoryBrowser::showEarlier()
{
    if (!m_view || !m_typed.isEmpty() || m_oldest == 0)
        return;
    const QList<StoredEntry> entries = m_store.page(m_party, m_oldest, PageSize);
    if (!entries.isEmpty())
        m_oldest = entries.first().id;
    m_view->addEarlierRows(rowsOf(entries), entries.size() == PageSize);
}

void HistoryBrowser::search(const QString &typed)
{
    if (!m_view)
        return;
    m_typed = fts::query(typed).isEmpty() ? QString() : typed;
    if (m_typed.isEmpty()) {
        showLatest();
        return;
    }
    // The latest matches come first; the window lists them in order, the latest last.
    QList<FoundEntry> found = m_store.search(m_typed);
    std::reverse(found.begin(), found.end());
    QList<HistoryRow> rows;
    for (const FoundEntry &match : std::as_const(found))
        rows.append(historyRow(match.stored.entry, match.marks));
    m_view->showRows(rows, false);
}

void HistoryBrowser::setKeeping(bool keeping)
{
    m_store.setKeeping(keeping);
    Preferences preferences = m_preferences.values();
    preferences.keepHistory = keeping;
    m_preferences.save(preferences);
}

void HistoryBrowser::clear()
{
    m_store.clear(m_party);
    if (m_view)
        search(m_typed);
}

void HistoryBrowser::added(const StoredEntry &stored)
{
    if (!m_view || !m_typed.isEmpty() || !shows(stored.entry.party))
        return;
    if (m_oldest == 0)
        m_oldest = stored.id;
    m_view->appendRow(historyRow(stored.entry));
}

bool HistoryBrowser::shows(const Party &party) const
{
    return !m_party || *m_party == party;
}

} // namespace quibo
