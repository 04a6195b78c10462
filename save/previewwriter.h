#pragma once

#include <QByteArray>
#include <QString>

// The preview of a drawing that goes to the platform with it: the host's preview bitmap of the
// drawing file as a JPEG titled after the drawing's base name (up to its first dot) + ".jpg".
// In folder, the file's name starts with a key of the drawing's whole path, so drawings of the
// same name in different folders do not overwrite each other's previews (a check-in waiting to
// be sent keeps its own); a copy goes where the file lists look for a drawing's preview
// (drawingPreviewPath).

// Where the preview of drawingPath is written in folder.
QString previewPath(const QString &drawingPath, const QString &folder);
// The title the preview of drawingPath has on the platform.
QString previewTitle(const QString &drawingPath);
// Removes a "NONAME_0.jpg" left in folder, then writes the preview, replacing an older one;
// returns the JPEG's bytes, empty when the drawing file does not exist, is not a readable
// drawing or the JPEG cannot be written.
QByteArray writePreview(const QString &drawingPath, const QString &folder);
// Writes a preview's bytes where the lists' rows and tiles look for the drawing's preview;
// false when it cannot be written.
bool writeListedPreview(const QString &drawingPath, const QByteArray &jpeg);
