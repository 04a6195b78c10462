#include "drawingproperties.h"

#include "database.h"
#include "jsontext.h"

namespace {

const char *const kKeys[DrawingProperties::FieldCount] = {"_DrawingNumber", "_DrawingTitle",
                                                          "_DrawingRevision", "_DrawingSheet"};

bool holdsControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

const char *DrawingProperties::key(int field) { return kKeys[field]; }

DrawingProperties DrawingProperties::fromRecord(const QJsonObject &record,
                                                const QString &fileName)
{
    DrawingProperties properties;
    for (int field = 0; field < FieldCount; ++field) {
        const QString value = record.value(QLatin1String(kKeys[field])).toString();
        // Characters as users count them, not UTF-16 units.
        if (value.toUcs4().size() > kMaxCharacters)
            throw ApiError(400, QStringLiteral("the %1 of %2 is longer than %3 characters")
                                    .arg(QLatin1String(kKeys[field]), fileName)
                                    .arg(kMaxCharacters));
        if (holdsControlCharacter(value))
            throw ApiError(400, QStringLiteral("the %1 of %2 holds a control character")
                                    .arg(QLatin1String(kKeys[field]), fileName));
        properties.m_values[field] = value;
    }
    return properties;
}

void DrawingProperties::addTo(QJsonObject *record) const
{
    for (int field = 0; field < FieldCount; ++field) {
        if (!m_values[field].isEmpty())
            record->insert(QLatin1String(kKeys[field]), m_values[field]);
    }
}

void DrawingProperties::writeBeside(JsonText *text, const DrawingProperties &current) const
{
    for (int field = 0; field < FieldCount; ++field) {
        if (!m_values[field].isEmpty() || !current.m_values[field].isEmpty())
            text->field(kKeys[field], m_values[field]);
    }
}
