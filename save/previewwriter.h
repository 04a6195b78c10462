#pragma once

#include <QImage>
#include <QString>

// The preview of a drawing that goes to the platform with it: the host's preview bitmap of the
// drawing file as a JPEG named after the drawing's base name (up to its first dot) + ".jpg".
// Each drawing path gets its own sub-folder of folder, so drawings of the same name in
// different folders do not overwrite each other's previews; a copy goes where the file lists
// look for a drawing's preview (drawingPreviewPath).

// Where the preview of drawingPath is written below folder.
QString previewPath(const QString &drawingPath, const QString &folder);
// Removes a "NONAME_0.jpg" left in folder, then writes the preview, replacing an older one;
// returns the image, null when the drawing file
// does not exist, is not a readable drawing or the JPEG cannot be written.
QImage writePreview(const QString &drawingPath, const QString &folder);
