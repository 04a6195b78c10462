#include "listing.h"

#include "database.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString shown(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("-");
    if (value.type() == QVariant::Bool)
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    return value.toString();
}

QVariant shownValue(const QVariant &value, Listing::Column::Kind kind)
{
    // An SQL NULL comes typed, which JSON would show as 0 or "".
    if (value.isNull())
        return QVariant();
    if (kind == Listing::Column::YesNo)
        return value.toInt() != 0;
    if (kind == Listing::Column::Stamp)
        return QDateTime::fromSecsSinceEpoch(value.toLongLong(), Qt::UTC).toString(Qt::ISODate);
    return value;
}

} // namespace

Listing::Listing(const QStringList &keys) : m_keys(keys) {}

Listing Listing::fromQuery(std::initializer_list<Column> columns, const QString &sql,
                           const QVariantList &binds)
{
    QStringList keys;
    for (const Column &column : columns)
        keys << QLatin1String(column.key);
    Listing listing(keys);
    QSqlQuery query = Database::exec(sql, binds);
    while (query.next()) {
        QVariantList row;
        for (const Column &column : columns)
            row << shownValue(query.value(row.size()), column.kind);
        listing.append(row);
    }
    return listing;
}

void Listing::append(const QVariantList &row)
{
    Q_ASSERT(row.size() == m_keys.size());
    if (row.size() == m_keys.size())
        m_rows.append(row);
}

QString Listing::text() const
{
    QList<int> widths;
    for (const QString &key : m_keys)
        widths << key.size();
    for (const QVariantList &row : m_rows) {
        for (int i = 0; i < row.size(); ++i)
            widths[i] = qMax(widths[i], shown(row[i]).size());
    }
    const auto line = [&widths](const QStringList &cells) {
        QString text;
        for (int i = 0; i < cells.size(); ++i)
            text += i + 1 < cells.size() ? cells[i].leftJustified(widths[i] + 2) : cells[i];
        return text + QLatin1Char('\n');
    };
    QString text = line(m_keys);
    for (const QVariantList &row : m_rows) {
        QStringList cells;
        for (const QVariant &value : row)
            cells << shown(value);
        text += line(cells);
    }
    return text;
}

QByteArray Listing::json() const
{
    QJsonArray entries;
    for (const QVariantList &row : m_rows) {
        QJsonObject entry;
        for (int i = 0; i < row.size(); ++i)
            entry.insert(m_keys[i], QJsonValue::fromVariant(row[i]));
        entries.append(entry);
    }
    return QJsonDocument(entries).toJson(QJsonDocument::Indented);
}
