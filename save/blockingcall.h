#pragma once

#include <functional>

class QWidget;

// Runs work, a blocking platform call, on a thread of its own while the "Please wait" box shows
// over parent and the main thread keeps painting; returns when work has finished. work must not
// touch widgets. Main thread.
void runShowingProgress(QWidget *parent, const std::function<void()> &work);
