#include "titleblockmapping.h"

#include "database.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSqlQuery>

namespace {

// The tags title blocks commonly use, most common first.
QStringList defaultTags(const QString &property)
{
    if (property == QLatin1String("number"))
        return {QStringLiteral("DWG_NO"), QStringLiteral("DRAWING_NUMBER"),
                QStringLiteral("DWGNO"), QStringLiteral("NUMBER")};
    if (property == QLatin1String("title"))
        return {QStringLiteral("TITLE"), QStringLiteral("DWG_TITLE")};
    if (property == QLatin1String("revision"))
        return {QStringLiteral("REV"), QStringLiteral("REVISION")};
    return {QStringLiteral("SHEET")};
}

} // namespace

const QStringList &TitleBlockMapping::properties()
{
    static const QStringList names{QStringLiteral("number"), QStringLiteral("title"),
                                   QStringLiteral("revision"), QStringLiteral("sheet")};
    return names;
}

QString TitleBlockMapping::tagProblem(const QString &tag)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_.-]{1,255}$"));
    if (pattern.match(tag).hasMatch())
        return QString();
    return QStringLiteral("\"%1\" is not an attribute tag: a tag is 1 to 255 letters, digits, "
                          "\"_\", \"-\" and \".\"")
        .arg(tag.left(300));
}

QJsonObject TitleBlockMapping::read(qint64 tenantId)
{
    QHash<QString, QStringList> set;
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT property, tags FROM titleblock_tags WHERE tenant_id = ?"),
        {tenantId});
    while (query.next()) {
        set.insert(query.value(0).toString(),
                   query.value(1).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
    QJsonObject mapping;
    for (const QString &property : properties()) {
        mapping.insert(property, QJsonArray::fromStringList(
                                     set.contains(property) ? set.value(property)
                                                            : defaultTags(property)));
    }
    return mapping;
}

void TitleBlockMapping::set(qint64 tenantId, const QString &property, const QStringList &tags)
{
    QStringList stored;
    for (const QString &tag : tags) {
        if (!stored.contains(tag.toUpper()))
            stored << tag.toUpper();
    }
    Database::exec(QStringLiteral("INSERT INTO titleblock_tags (tenant_id, property, tags) "
                                  "VALUES (?, ?, ?) ON CONFLICT (tenant_id, property) DO UPDATE "
                                  "SET tags = excluded.tags"),
                   {tenantId, property, stored.join(QLatin1Char(' '))});
}

void TitleBlockMapping::reset(qint64 tenantId)
{
    Database::exec(QStringLiteral("DELETE FROM titleblock_tags WHERE tenant_id = ?"), {tenantId});
}
