#include "titleblockfields.h"

#include "savelogging.h"

#include <dxfdocument.h>

#include <QFileInfo>

#include <algorithm>

namespace {

// The value of the first attribute tagged tag that says something, or "".
QString valueOf(const QVector<DxfAttributes::Attribute> &attributes, const QString &tag)
{
    for (const DxfAttributes::Attribute &attribute : attributes) {
        if (attribute.tag.compare(tag, Qt::CaseInsensitive) != 0)
            continue;
        const QString value = TitleBlockFields::plainText(attribute.value);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

} // namespace

TitleBlockFields::Fields
TitleBlockFields::fromAttributes(const QVector<DxfAttributes::Attribute> &attributes,
                                 const TitleBlockMapping &mapping)
{
    Fields fields;
    if (attributes.isEmpty())
        return fields;
    // Model space first: a layout's title block stands in the drawing ahead of it when the
    // layout keeps its entities in a block of its own.
    QVector<DxfAttributes::Attribute> ordered = attributes;
    std::stable_partition(ordered.begin(), ordered.end(),
                          [](const DxfAttributes::Attribute &a) { return !a.paperSpace; });
    for (const auto &property : mapping.properties()) {
        for (const QString &tag : property.second) {
            QString value = valueOf(ordered, tag);
            if (value.isEmpty())
                continue;
            if (value.size() > kMaxValueLength) {
                qCInfo(lcSave) << "the title block's" << tag << "is" << value.size()
                               << "characters long; sent cut to" << kMaxValueLength;
                value.truncate(kMaxValueLength);
                // Half a character pair would not be text.
                if (value.at(value.size() - 1).isHighSurrogate())
                    value.chop(1);
            }
            fields.append({property.first, value});
            break;
        }
    }
    return fields;
}

TitleBlockFields::Fields TitleBlockFields::ofDrawing(const QString &path,
                                                     const TitleBlockMapping &mapping)
{
    if (mapping.isEmpty())
        return Fields();
    DxfDocument document;
    QString error;
    if (!document.read(path, &error)) {
        qCDebug(lcSave) << "no title block read from" << QFileInfo(path).fileName() << error;
        return Fields();
    }
    return fromAttributes(DxfAttributes(document).list(), mapping);
}

QString TitleBlockFields::plainText(const QString &value)
{
    QString text;
    text.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('%') && i + 2 < value.size() && value.at(i + 1) == c) {
            bool known = true;
            switch (value.at(i + 2).toLower().unicode()) {
            case 'd': text += QChar(0x00B0); break; // degree
            case 'p': text += QChar(0x00B1); break; // plus-minus
            case 'c': text += QChar(0x2300); break; // diameter
            case '%': text += c; break;
            case 'u': // underline, overline and strike-through toggles show no character
            case 'o':
            case 'k': break;
            default: known = false;
            }
            if (known) {
                i += 2;
                continue;
            }
        }
        // Tabs and line breaks read as a space between words; invisible formatting (a
        // direction override among them) is dropped.
        if (c.category() == QChar::Other_Control)
            text += QLatin1Char(' ');
        else if (c.category() != QChar::Other_Format)
            text += c;
    }
    return text.simplified();
}
