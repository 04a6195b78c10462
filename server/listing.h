#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// A list an administration command prints: a heading per column, then one row per entry, as
// aligned text for people or as a JSON array of objects (one key per column) for scripts. A
// null value is "-" in text and null in JSON.
class Listing
{
public:
    // keys: the JSON keys, which are also the text's headings.
    explicit Listing(const QStringList &keys);

    void append(const QVariantList &row);
    bool isEmpty() const { return m_rows.isEmpty(); }
    QString text() const;
    QByteArray json() const;

private:
    QStringList m_keys;
    QList<QVariantList> m_rows;
};
