#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

namespace quibo {

class ContactTable;
class Notices;
class WorkingDirectory;

namespace contact_keys {
inline const QString FileName = QStringLiteral("known_keys");
// A handle as a name of the known_keys file, which takes no spaces: percent-encoded.
QString fileName(const QString &handle);
} // namespace contact_keys

// The contacts' keys as the user accepted them, pinned in "known_keys" (0600) the first time a
// look-up gives one, as ssh pins a host's key. A look-up that later gives another key, or none,
// holds the contact (ContactRecord::keyHeld: nothing is sent to it or taken from it) and shows
// the user both fingerprints; only the user's acceptance pins the new key and lets it go.
class ContactKeys : public QObject {
    Q_OBJECT
public:
    ContactKeys(ContactTable &table, const WorkingDirectory &dir, Notices &notices,
                QObject *parent = nullptr);

    // What a look-up found for record `index`: the account is secure with `fingerprint`, or not.
    void learn(int index, bool secure, const QByteArray &fingerprint);
    // The key the user accepted for `handle`; empty when none is pinned.
    [[nodiscard]] QByteArray pinned(const QString &handle) const;

private:
    [[nodiscard]] QMap<QString, QByteArray> pins() const;
    bool pin(const QString &handle, const QByteArray &fingerprint);
    QCoro::Task<> ask(QString handle, QByteArray before, QByteArray now);

    ContactTable &m_table;
    const WorkingDirectory &m_dir;
    Notices &m_notices;
    QStringList m_asking; // handles whose question is open
};

} // namespace quibo
