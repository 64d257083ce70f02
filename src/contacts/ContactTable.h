#pragma once

#include "base/Config.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quibo {

class MainWindowView;

// One contact, as the table keeps it.
struct ContactRecord {
    QString handle;        // at most 11 UTF-8 bytes
    QString displayHandle; // always the same text as handle
    bool online = false;
    // Dotted IPv4, or for a secure contact without one its IPv6 address; at most 45 bytes; "0"
    // when unknown or offline. Features reach the contact by this text.
    QString address = QStringLiteral("0");
    int listIndex = -1; // position in the "Contacts Online" list; ContactTable::NotListed when not in it
    bool inChannel = false;
    bool deleted = false;
    // What the directory's secure look-up said: the account is bound to a key, and that key's
    // fingerprint (64 hex digits; empty when no key is known).
    bool secure = false;
    QByteArray keyFingerprint;
    // What a secure account published beside its address: a global IPv6 address (empty: none),
    // dialled first, and its ports (none: the fixed ones, as for every classic contact).
    QString address6;
    std::optional<ClientPorts> ports;

    // True when a connection from `source` comes from this contact's client.
    [[nodiscard]] bool isAt(const QHostAddress &source) const;
    // The look-up gave another key than the one the user accepted (or none): nothing is sent
    // to this contact or taken from it until the user accepts the new one.
    bool keyHeld = false;

    // Spoken to over TLS with a key the user accepted: what the list marks.
    [[nodiscard]] bool reachedSecurely() const { return secure && !keyHeld; }
};

// The "Contacts Online" list as the table changes it.
class OnlineList {
public:
    virtual ~OnlineList() = default;
    virtual void insertContactItem(int position, const QString &displayHandle) = 0;
    virtual void removeContactItem(int position) = 0;
    // Marks the item of a contact reached securely, or takes the mark away.
    virtual void markContactItem(int /*position*/, bool /*securely*/) {}
};

// The main window's list, as the table's OnlineList.
class MainWindowOnlineList final : public OnlineList {
public:
    explicit MainWindowOnlineList(MainWindowView &view) : m_view(view) {}
    void insertContactItem(int position, const QString &displayHandle) override;
    void removeContactItem(int position) override;
    void markContactItem(int position, bool securely) override;

private:
    MainWindowView &m_view;
};

// The contact table: at most 100 records, never shrunk during a run. Invariant: the online
// records with listIndex != NotListed carry the list positions 0 .. onlineCount()-1, and list
// item k shows the displayHandle of the record whose listIndex is k.
class ContactTable {
public:
    static constexpr int Capacity = 100;
    // Not 99: with 100 records, 99 is a real list position.
    static constexpr int NotListed = -1;

    explicit ContactTable(OnlineList &list);
    // Called after a contact's address or key changed, or it went offline.
    void onReachChanged(std::function<void()> changed) { m_reachChanged = std::move(changed); }

    [[nodiscard]] int contactCount() const { return static_cast<int>(m_records.size()); }
    [[nodiscard]] int onlineCount() const { return m_onlineCount; }
    [[nodiscard]] bool isValid(int index) const { return index >= 0 && index < contactCount(); }
    // The record at a valid index.
    [[nodiscard]] const ContactRecord &contact(int index) const;
    [[nodiscard]] const QList<ContactRecord> &records() const { return m_records; }
    // The address of the record at `index`, "0" when there is no such record.
    [[nodiscard]] QString addressOf(int index) const;

    // Replaces the table with these handles (file order; at most Capacity are taken, the
    // rest ignored), each offline with address "0". The list is not touched.
    void load(const QStringList &handles);
    // The directory's answer for record `index` at logon: online with that address unless
    // the answer is empty or "0"; online at `address6` alone when that is all it has.
    void applyLookup(int index, const QString &answer, const QString &address6 = {});
    // What a secure look-up gave beside the address (see ContactRecord).
    void setReach(int index, const QString &address6, std::optional<ClientPorts> ports);
    // The address of the contact a connection from `source` came from, as the features know
    // it: a contact's IPv6 source is named by its address; anyone else by the source's text.
    [[nodiscard]] QHostAddress knownAs(const QHostAddress &source) const;
    void setAddress(int index, const QString &address);
    void setKey(int index, bool secure, const QByteArray &fingerprint);
    void setKeyHeld(int index, bool held);
    // Marks or unmarks a member of the channel this client hosts.
    void setInChannel(int index, bool member = true);
    void markDeleted(int index);
    [[nodiscard]] int notDeletedCount() const;
    // Handles of the records not deleted, in table order, leaving out record `except` too.
    [[nodiscard]] QStringList keptHandles(int except = -1) const;

    // Lists every online record that is not yet listed, in table order.
    void FillOnlineList();
    // Lists the record at the end and takes the address, unless it is listed already (then
    // nothing changes, its address included).
    void MarkContactOnline(int index, const QString &address);
    // Unlists the record (closing the gap in the list) and sets it offline with address "0".
    void MarkContactOffline(int index);
    // The last record whose handle equals `handle` exactly; deleted records take part.
    [[nodiscard]] std::optional<int> FindContactByHandle(const QString &handle) const;
    // The last record listed at `position`; nothing for a negative position or no match.
    [[nodiscard]] std::optional<int> ContactFromListItem(int position) const;
    // Appends a record (listed at once when online). Nothing when the table is full.
    std::optional<int> AddContactRecord(const QString &handle, const QString &address, bool online);

private:
    void list(ContactRecord &record);
    void markListed(const ContactRecord &record);

    OnlineList &m_list;
    QList<ContactRecord> m_records;
    int m_onlineCount = 0;
    std::function<void()> m_reachChanged;
};

} // namespace quibo
