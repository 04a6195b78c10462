#pragma once

#include <QJsonObject>
#include <QString>

#include <array>

class JsonText;

// What a drawing's title block says of it (its drawing number, title, revision and sheet), as
// the module reads the block's attributes and sends them with a check-in. Stored per version
// and for the object's current version; records carry each value only when it is not empty.
class DrawingProperties
{
public:
    enum Field { Number, Title, Revision, Sheet, FieldCount };
    // The longest value kept, in characters.
    static constexpr int kMaxCharacters = 1024;

    // The record property that carries a field ("_DrawingNumber", ...).
    static const char *key(int field);
    // The values a check-in record sends (a key absent: empty); 400 naming the file when one
    // is too long or holds a control character.
    static DrawingProperties fromRecord(const QJsonObject &record, const QString &fileName);

    const QString &value(int field) const { return m_values[field]; }
    void setValue(int field, const QString &value) { m_values[field] = value; }
    // The non-empty values as record properties.
    void addTo(QJsonObject *record) const;
    // For a version listed beside its object's record: each value that the version has or
    // that the object has now, so that the version's own (empty too) wins over the object's.
    void writeBeside(JsonText *text, const DrawingProperties &current) const;

private:
    std::array<QString, FieldCount> m_values;
};
