#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// Which attributes of a drawing's title block give its drawing properties, per tenant: for each
// property (number, title, revision, sheet) the attribute tags in order of preference. The
// module reads the mapping and sends what the first tag present says. Tags are stored
// upper-cased; a property the administrator never set has the default tags. Failures throw
// ApiError.
class TitleBlockMapping
{
public:
    // number, title, revision, sheet: the order answers list them in.
    static const QStringList &properties();
    // Why tag cannot name a title block attribute, or an empty string when it can.
    static QString tagProblem(const QString &tag);

    // {"number": [tags], "title": [...], "revision": [...], "sheet": [...]}
    static QJsonObject read(qint64 tenantId);
    // The property maps these tags (none: no tag) from now on. The caller checked the property
    // and the tags.
    static void set(qint64 tenantId, const QString &property, const QStringList &tags);
    // Every property back to its default tags.
    static void reset(qint64 tenantId);
};
