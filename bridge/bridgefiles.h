#pragma once

#include <QByteArray>
#include <QString>

// The files through which the bridge meets the programs that send it requests: where they are,
// and how they are written. Shared by the module and the aurex-open client; any thread.
namespace BridgeFiles {

// The first generic configuration folder followed by relativePath ("" or starting with "/");
// "" when the system names no such folder.
QString location(const char *relativePath);

// Replaces the file's content with bytes, creating its folder when needed. The file is readable
// and writable by its owner only, also when an older copy was not. False (with the reason) when
// the file cannot be written.
bool writePrivate(const QString &path, const QByteArray &bytes, QString *errorMessage = nullptr);

} // namespace BridgeFiles
