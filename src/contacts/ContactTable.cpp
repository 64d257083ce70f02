#include "contacts/ContactTable.h"

#include "base/Limits.h"
#include "base/Utf8.h"
#include "ports/MainWindowUi.h"

#include <algorithm>

namespace quibo {

namespace {
const QString Offline = QStringLiteral("0");

ContactRecord freshRecord(const QString &handle)
{
    ContactRecord record;
    record.handle = utf8::cut(handle, limits::HandleFieldBytes);
    record.displayHandle = record.handle;
    return record;
}
} // namespace

void MainWindowOnlineList::insertContactItem(int position, const QString &displayHandle)
{
    m_view.insertContactItem(position, displayHandle);
}

void MainWindowOnlineList::removeContactItem(int position)
{
    m_view.removeContactItem(position);
}

void MainWindowOnlineList::markContactItem(int position, bool securely)
{
    m_view.markContactItem(position, securely);
}

ContactTable::ContactTable(OnlineList &list) : m_list(list)
{
}

const ContactRecord &ContactTable::contact(int index) const
{
    Q_ASSERT(isValid(index));
    return m_records.at(index);
}

QString ContactTable::addressOf(int index) const
{
    return isValid(index) ? m_records.at(index).address : Offline;
}

void ContactTable::load(const QStringList &handles)
{
    m_records.clear();
    m_onlineCount = 0;
    for (const QString &handle : handles) {
        if (m_records.size() == Capacity)
            break;
        m_records.append(freshRecord(handle));
    }
}

bool ContactRecord::isAt(const QHostAddress &source) const
{
    for (const QString &at : {address, address6}) {
        if (at != Offline && !at.isEmpty() && QHostAddress(at).isEqual(source, QHostAddress::ConvertV4MappedToIPv4))
            return true;
    }
    return false;
}

void ContactTable::applyLookup(int index, const QString &answer, const QString &address6)
{
    if (!isValid(index))
        return;
    ContactRecord &record = m_records[index];
    const QString reached = answer.isEmpty() || answer == Offline ? address6 : answer;
    if (reached.isEmpty()) {
        record.online = false;
        return;
    }
    record.online = true;
    record.address = utf8::cut(reached, limits::AddressFieldBytes);
}

void ContactTable::setReach(int index, const QString &address6, std::optional<ClientPorts> ports)
{
    if (!isValid(index))
        return;
    m_records[index].address6 = utf8::cut(address6, limits::AddressFieldBytes);
    m_records[index].ports = ports;
}

QHostAddress ContactTable::knownAs(const QHostAddress &source) const
{
    // The last record at that address speaks for it, as the last match does for a handle.
    for (auto it = m_records.crbegin(); it != m_records.crend(); ++it) {
        if (!it->address6.isEmpty() && it->address != Offline && it->isAt(source))
            return QHostAddress(it->address);
    }
    return source;
}

void ContactTable::setAddress(int index, const QString &address)
{
    if (isValid(index))
        m_records[index].address = utf8::cut(address, limits::AddressFieldBytes);
    if (m_reachChanged)
        m_reachChanged();
}

void ContactTable::setKey(int index, bool secure, const QByteArray &fingerprint)
{
    if (!isValid(index))
        return;
    m_records[index].secure = secure;
    m_records[index].keyFingerprint = fingerprint;
    markListed(m_records[index]);
    if (m_reachChanged)
        m_reachChanged();
}

void ContactTable::setKeyHeld(int index, bool held)
{
    if (!isValid(index))
        return;
    m_records[index].keyHeld = held;
    markListed(m_records[index]);
    if (m_reachChanged)
        m_reachChanged();
}

void ContactTable::markListed(const ContactRecord &record)
{
    if (record.listIndex != NotListed)
        m_list.markContactItem(record.listIndex, record.reachedSecurely());
}

void ContactTable::setInChannel(int index, bool member)
{
    if (isValid(index))
        m_records[index].inChannel = member;
}

void ContactTable::markDeleted(int index)
{
    if (isValid(index))
        m_records[index].deleted = true;
}

int ContactTable::notDeletedCount() const
{
    return static_cast<int>(std::count_if(m_records.cbegin(), m_records.cend(),
                                          [](const ContactRecord &r) { return !r.deleted; }));
}

QStringList ContactTable::keptHandles(int except) const
{
    QStringList handles;
    for (int i = 0; i < contactCount(); ++i) {
        if (!m_records.at(i).deleted && i != except)
            handles.append(m_records.at(i).handle);
    }
    return handles;
}

void ContactTable::list(ContactRecord &record)
{
    record.listIndex = m_onlineCount;
    ++m_onlineCount;
    m_list.insertContactItem(record.listIndex, record.displayHandle);
    if (record.reachedSecurely())
        m_list.markContactItem(record.listIndex, true);
}

void ContactTable::FillOnlineList()
{
    for (ContactRecord &record : m_records) {
        if (record.online && record.listIndex == NotListed)
            list(record);
    }
}

void ContactTable::MarkContactOnline(int index, const QString &address)
{
    if (!isValid(index))
        return;
    ContactRecord &record = m_records[index];
    if (record.listIndex != NotListed)
        return;
    record.online = true;
    record.address = utf8::cut(address, limits::AddressFieldBytes);
    list(record);
}

void ContactTable::MarkContactOffline(int index)
{
    if (!isValid(index))
        return;
    ContactRecord &record = m_records[index];
    const int gone = record.listIndex;
    if (gone != NotListed) {
        m_list.removeContactItem(gone);
        for (ContactRecord &other : m_records) {
            if (other.online && other.listIndex != NotListed && other.listIndex > gone)
                --other.listIndex;
        }
        --m_onlineCount;
    }
    record.online = false;
    record.listIndex = NotListed;
    record.address = Offline;
    record.address6.clear(); // logging off clears it at the directory too
    if (m_reachChanged)
        m_reachChanged();
}

std::optional<int> ContactTable::FindContactByHandle(const QString &handle) const
{
    for (int i = contactCount() - 1; i >= 0; --i) {
        if (m_records.at(i).handle == handle)
            return i;
    }
    return std::nullopt;
}

std::optional<int> ContactTable::ContactFromListItem(int position) const
{
    if (position < 0)
        return std::nullopt;
    for (int i = contactCount() - 1; i >= 0; --i) {
        if (m_records.at(i).listIndex == position)
            return i;
    }
    return std::nullopt;
}

std::optional<int> ContactTable::AddContactRecord(const QString &handle, const QString &address, bool online)
{
    if (contactCount() >= Capacity)
        return std::nullopt;
    ContactRecord record = freshRecord(handle);
    record.address = utf8::cut(address, limits::AddressFieldBytes);
    if (online)
        list(record); // the record counts only once complete
    record.online = online;
    m_records.append(record);
    return contactCount() - 1;
}

} // namespace quibo
