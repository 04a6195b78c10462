#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>

// A list an administration command prints: a heading per column, then one row per entry, as
// aligned text for people or as a JSON array of objects (one key per column) for scripts. A
// null value is "-" in text and null in JSON.
class Listing
{
public:
    // A column of a list read from a statement: its key, and how the statement's value shows.
    struct Column {
        enum Kind { AsIs, YesNo, Stamp };
        const char *key;
        Kind kind = AsIs;
    };

    // keys: the JSON keys, which are also the text's headings.
    explicit Listing(const QStringList &keys);
    // The statement's rows, a column of the statement per column of the list; a stamp (seconds
    // since the epoch) shows as UTC date and time.
    static Listing fromQuery(std::initializer_list<Column> columns, const QString &sql,
                             const QVariantList &binds = {});

    void append(const QVariantList &row);
    bool isEmpty() const { return m_rows.isEmpty(); }
    QString text() const;
    QByteArray json() const;

private:
    QStringList m_keys;
    QList<QVariantList> m_rows;
};
