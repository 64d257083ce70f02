#include "peer/ContactKeys.h"

#include "base/AtomicFile.h"
#include "base/Tasks.h"
#include "base/WorkingDirectory.h"
#include "contacts/ContactTable.h"
#include "keys/KeyMaking.h"
#include "keys/KnownKeys.h"
#include "notices/Notices.h"

#include <QFile>
#include <QUrl>

namespace quibo {

namespace contact_keys {
QString fileName(const QString &handle)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(handle));
}
} // namespace contact_keys

ContactKeys::ContactKeys(ContactTable &table, const WorkingDirectory &dir, Notices &notices, QObject *parent)
    : QObject(parent), m_table(table), m_dir(dir), m_notices(notices)
{
}

QMap<QString, QByteArray> ContactKeys::pins() const
{
    QFile file(m_dir.file(contact_keys::FileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return known_keys::parse(file.readAll());
}

QByteArray ContactKeys::pinned(const QString &handle) const
{
    return pins().value(contact_keys::fileName(handle));
}

bool ContactKeys::pin(const QString &handle, const QByteArray &fingerprint)
{
    QMap<QString, QByteArray> pinned = pins();
    if (fingerprint.isEmpty())
        pinned.remove(contact_keys::fileName(handle));
    else
        pinned.insert(contact_keys::fileName(handle), fingerprint);
    if (writeFileAtomically(m_dir.file(contact_keys::FileName), known_keys::format(pinned), OwnerOnly))
        return true;
    qWarning("keys: could not write %s", qPrintable(contact_keys::FileName));
    return false;
}

void ContactKeys::learn(int index, bool secure, const QByteArray &fingerprint)
{
    m_table.setKey(index, secure, fingerprint);
    const QString handle = m_table.contact(index).handle;
    const QByteArray before = pinned(handle);
    const QByteArray now = secure ? fingerprint : QByteArray();
    if (before.isEmpty()) {
        // First seen: pinned, so that a later change is noticed.
        if (!now.isEmpty())
            pin(handle, now);
        m_table.setKeyHeld(index, false);
        return;
    }
    if (before == now) {
        m_table.setKeyHeld(index, false);
        return;
    }
    // Another key, or an account that no longer has one (no silent fall back to clear text).
    qWarning("keys: %s now has another key than the one accepted; nothing goes either way until the user "
             "accepts it",
             qPrintable(handle));
    m_table.setKeyHeld(index, true);
    if (m_asking.contains(handle))
        return;
    m_asking.append(handle);
    startTask(this, "new key", [this, handle, before, now] { return ask(handle, before, now); });
}

QCoro::Task<> ContactKeys::ask(QString handle, QByteArray before, QByteArray now)
{
    const bool accepted = co_await m_notices.askNewKey(handle, keys::readableFingerprint(before),
                                                       keys::readableFingerprint(now));
    m_asking.removeOne(handle);
    if (accepted) {
        pin(handle, now);
        // Only the records that still have the key the user saw go free.
        const QList<ContactRecord> &records = m_table.records();
        for (int i = 0; i < records.size(); ++i) {
            const ContactRecord &record = records.at(i);
            if (record.handle == handle && (record.secure ? record.keyFingerprint : QByteArray()) == now)
                m_table.setKeyHeld(i, false);
        }
    }
}

} // namespace quibo
