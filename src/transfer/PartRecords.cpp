#include "transfer/PartRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quibo::transfer {

QByteArray writePartRecords(const QList<PartRecord> &records)
{
    QJsonArray array;
    for (const PartRecord &r : records)
        array.append(QJsonObject{{QStringLiteral("handle"), r.handle},
                                 {QStringLiteral("size"), r.sizeText},
                                 {QStringLiteral("name"), r.fileName},
                                 {QStringLiteral("path"), r.path}});
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QList<PartRecord> readPartRecords(const QByteArray &bytes)
{
    QList<PartRecord> records;
    const QJsonArray array = QJsonDocument::fromJson(bytes).array();
    for (const QJsonValue &value : array) {
        const QJsonObject o = value.toObject();
        PartRecord r{o.value(QLatin1String("handle")).toString(), o.value(QLatin1String("size")).toString(),
                     o.value(QLatin1String("name")).toString(), o.value(QLatin1String("path")).toString()};
        if (!r.handle.isEmpty() && !r.fileName.isEmpty() && !r.path.isEmpty())
            records.append(std::move(r));
    }
    return records;
}

QList<PartRecord> withRecord(QList<PartRecord> records, const PartRecord &record)
{
    records = withoutPath(std::move(records), record.path);
    records.append(record);
    if (records.size() > MostPartRecords)
        records.remove(0, records.size() - MostPartRecords);
    return records;
}

QList<PartRecord> withoutPath(QList<PartRecord> records, const QString &path)
{
    records.removeIf([&](const PartRecord &r) { return r.path == path; });
    return records;
}

std::optional<PartRecord> findRecord(const QList<PartRecord> &records, const QString &handle,
                                     const QString &sizeText, const QString &fileName)
{
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        if (it->handle == handle && it->sizeText == sizeText && it->fileName == fileName)
            return *it;
    }
    return std::nullopt;
}

} // namespace quibo::transfer
