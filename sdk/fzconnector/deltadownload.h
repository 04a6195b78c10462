#pragma once

#include <QString>

#include <string>

class PartialDownload;
class PlatformConnection;

// Brings a version of a file whose earlier version (or any file of that name) is on disk: the
// chunks the local file has are copied from it, and only the others are fetched, as ranges of
// the content. The bytes go into the partial download in order, whose checksum the caller
// checks before the file replaces anything.
class DeltaDownload
{
public:
    enum class Outcome {
        Assembled,   // every byte is in the partial download
        Unavailable, // not done (no chunk list, an unreadable local file, a transfer that
                     // failed): the caller downloads the whole content instead
        Failed       // cancelled, or the partial download could not be written: *error says
    };

    // object: "/objects/PHID" or "/objects/PHID/versions/N"; target: the file the download
    // is for, as failures name it.
    DeltaDownload(PlatformConnection &link, const QString &object, const QString &target)
        : m_link(link), m_object(object), m_target(target)
    {
    }

    // Reuses the chunks of the local file basis. *expected: the content's SHA-256; *stamp:
    // the platform's modification stamp.
    Outcome fetch(const QString &basis, PartialDownload *part, std::string *expected,
                  QString *stamp, QString *error);

private:
    // Appends bytes first to last of the content, going on where a dropped connection left.
    Outcome fetchRange(qint64 first, qint64 last, PartialDownload *part, QString *error);

    PlatformConnection &m_link;
    QString m_object;
    QString m_target;
};
