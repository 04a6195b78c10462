#include "diskwork.h"

#include <QThreadPool>

namespace {
// Steps under way at once.
const int kDiskThreads = 8;
} // namespace

QVector<QString> onDiskThreads(int count, const std::function<QString(int)> &step)
{
    QVector<QString> failed(count);
    QThreadPool pool;
    pool.setMaxThreadCount(kDiskThreads);
    for (int i = 0; i < count; ++i)
        pool.start(QRunnable::create([&step, &failed, i] { failed[i] = step(i); }));
    pool.waitForDone();
    return failed;
}
