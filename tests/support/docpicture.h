#pragma once

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QWidget>

// With AUREX_DOC_PICTURES naming a folder, a test that reaches a state worth showing in the
// documentation leaves a picture of the widget there under fileName; otherwise nothing.
inline void saveDocPicture(QWidget *widget, const QString &fileName)
{
    const QString folder = qEnvironmentVariable("AUREX_DOC_PICTURES");
    if (!folder.isEmpty() && widget)
        widget->grab().save(QDir(folder).absoluteFilePath(fileName));
}
