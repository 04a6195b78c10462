#pragma once

#include "connector/titleblockmapping.h"

#include <dxfattributes.h>

#include <QList>
#include <QPair>
#include <QString>
#include <QVector>

// What a drawing's title block says, as the platform's properties: for each property of the
// mapping, the value of the first attribute (model space before the layouts, else in the
// drawing's order) whose tag is the property's most preferred tag present with a value. Values are made plain text: the drawing's special
// character codes (%%d, %%p, %%c, %%%) become their characters, underline and overline toggles
// and control characters go, spaces are folded, and a value past kMaxValueLength is cut (said
// in the log). A drawing without attributes, or one that cannot be read, says nothing.
class TitleBlockFields
{
public:
    using Fields = QList<QPair<const char *, QString>>; // record key, value

    static constexpr int kMaxValueLength = 1024;

    static Fields fromAttributes(const QVector<DxfAttributes::Attribute> &attributes,
                                 const TitleBlockMapping &mapping);
    // Reads the drawing file; thread-safe.
    static Fields ofDrawing(const QString &path, const TitleBlockMapping &mapping);
    static QString plainText(const QString &value);
};
