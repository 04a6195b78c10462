#pragma once

#include <QString>

#include <functional>

class AurexPlatform;

// Downloads the platform model with that id into folder and asks the host to open it: the one
// step that the launcher's start-up and the local bridge share. The download is a job, so the
// host goes on meanwhile; this returns at once. beforeOpen, when given, runs with the local path
// after the download and before the host opens the drawing (the host activates it while
// opening). done runs on the main thread at the end with the local path of the opened drawing,
// or "" and the reason in words for the user. platform outlives the download.
void openPlatformModel(AurexPlatform *platform, const QString &modelId, const QString &folder,
                       std::function<void(const QString &localPath)> beforeOpen,
                       std::function<void(const QString &localPath, const QString &error)> done);
