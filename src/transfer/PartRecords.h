#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace quibo::transfer {

// Where the part of an offered file was being saved. A part's extended attribute names its offer;
// these records go the other way, from an offer to its part ("parts.json" in the working folder).
struct PartRecord {
    QString handle;   // the sender's
    QString sizeText; // as offered
    QString fileName; // as offered
    QString path;     // the chosen path; the part is its ".part"
    friend bool operator==(const PartRecord &, const PartRecord &) = default;
};

inline constexpr qsizetype MostPartRecords = 100; // the oldest go first

QByteArray writePartRecords(const QList<PartRecord> &records);
// What can be read of `bytes`: records without a handle, a name or a path are skipped.
QList<PartRecord> readPartRecords(const QByteArray &bytes);

// `records` with the one for the same offer and path replaced by `record` at the end.
QList<PartRecord> withRecord(QList<PartRecord> records, const PartRecord &record);
// `records` without any for `path`.
QList<PartRecord> withoutPath(QList<PartRecord> records, const QString &path);
// The newest record for this offer, if any.
std::optional<PartRecord> findRecord(const QList<PartRecord> &records, const QString &handle,
                                     const QString &sizeText, const QString &fileName);

} // namespace quibo::transfer
