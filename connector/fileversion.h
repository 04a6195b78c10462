#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class FzFileInfo;

// One version of a platform file as its history lists it: the revision, when and by whom it
// was saved (the platform stamp and login), the check-in's comment as it was typed, and the
// size and SHA-256 (hex) of its bytes. A plain value, copied freely between threads.
struct FileVersion
{
    int revision = 0;
    QString modified; // platform stamp, see platformstamp.h
    QString user;
    QString comment;
    qint64 size = -1; // unknown
    QByteArray sha256;

    // The version a record of the connector's versions list describes.
    static FileVersion fromRecord(const FzFileInfo &record);

    bool operator==(const FileVersion &other) const;
    bool operator!=(const FileVersion &other) const { return !(*this == other); }
};

using FileVersionList = QList<FileVersion>;
