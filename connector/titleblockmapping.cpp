#include "titleblockmapping.h"

#include "recordconstants.h"

namespace {

// The platform's name of each property and its record key, in the order records list them.
const QList<QPair<QString, const char *>> &propertyKeys()
{
    static const QList<QPair<QString, const char *>> keys = {
        {QStringLiteral("number"), kKeyDrawingNumber},
        {QStringLiteral("title"), kKeyDrawingTitle},
        {QStringLiteral("revision"), kKeyDrawingRevision},
        {QStringLiteral("sheet"), kKeyDrawingSheet},
    };
    return keys;
}

} // namespace

TitleBlockMapping TitleBlockMapping::usual()
{
    return fromPlatform({
        {QStringLiteral("number"),
         {QStringLiteral("DWG_NO"), QStringLiteral("DRAWING_NUMBER"), QStringLiteral("DWGNO"),
          QStringLiteral("NUMBER")}},
        {QStringLiteral("title"), {QStringLiteral("TITLE"), QStringLiteral("DWG_TITLE")}},
        {QStringLiteral("revision"), {QStringLiteral("REV"), QStringLiteral("REVISION")}},
        {QStringLiteral("sheet"), {QStringLiteral("SHEET")}},
    });
}

TitleBlockMapping TitleBlockMapping::fromPlatform(
    const QList<QPair<QString, QStringList>> &answer)
{
    TitleBlockMapping mapping;
    for (const auto &property : propertyKeys()) {
        QStringList tags;
        for (const auto &given : answer) {
            if (given.first != property.first)
                continue;
            for (const QString &tag : given.second) {
                if (!tag.trimmed().isEmpty())
                    tags.append(tag.trimmed().toUpper());
            }
        }
        mapping.m_properties.append({property.second, tags});
    }
    return mapping;
}

bool TitleBlockMapping::isEmpty() const
{
    for (const auto &property : m_properties) {
        if (!property.second.isEmpty())
            return false;
    }
    return true;
}
