#pragma once

#include <QString>

class FileChunks;
class PlatformConnection;

// Sends a file ahead of its check-in as an upload announced as chunks: only the chunks the
// platform lacks travel, in requests of a few MiB, and a connection that drops goes on with
// the chunks still missing. A platform of before chunks gets the file's bytes instead.
class ChunkedUpload
{
public:
    explicit ChunkedUpload(PlatformConnection &link) : m_link(link) {}

    // The upload's id, for the check-in to name; false with a reason when it failed.
    bool send(const FileChunks &file, QString *uploadId, QString *error);

private:
    PlatformConnection &m_link;
};
