#pragma once

#include "tddbexport.h"

#include <QByteArray>
#include <QString>

class QTextCodec;

// Turns DXF string values into text and back. Drawings of release 2007 and later store UTF-8;
// older ones store their $DWGCODEPAGE code page, with characters outside it written as \U+XXXX.
// Both forms decode here; encoding writes what the drawing's own release expects.
class TD_DB_EXPORT DxfText
{
public:
    DxfText();
    // acadVersion as in $ACADVER ("AC1015"), codePage as in $DWGCODEPAGE ("ANSI_1252").
    void configure(const QByteArray &acadVersion, const QByteArray &codePage);

    QString decode(const QByteArray &raw) const;
    QByteArray encode(const QString &text) const;
    bool isUtf8() const { return m_utf8; }

    static QByteArray codecNameForCodePage(const QByteArray &codePage);

private:
    QTextCodec *m_codec = nullptr; // owned by Qt
    bool m_utf8 = false;
    bool m_printableAsIs = false; // the codec reads printable ASCII bytes as themselves
};
