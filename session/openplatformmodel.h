#pragma once

#include <QString>

#include <functional>

class AurexPlatform;

// Downloads the platform model with that id into folder and asks the host to open it: the one
// step that the launcher's start-up, the local bridge and the open dialog share. beforeOpen, when
// given, runs with the local path after the download and before the host opens the drawing (the
// host activates it while opening). Returns the local path of the opened drawing, or "" with
// *errorMessage saying why for the user. Blocks the main thread, under a wait cursor, while the
// model downloads.
QString openPlatformModel(AurexPlatform &platform, const QString &modelId, const QString &folder,
                          QString *errorMessage,
                          const std::function<void(const QString &localPath)> &beforeOpen = {});
