#include "blockingcall.h"

#include "support/progressdialog.h"

#include <QEventLoop>
#include <QThread>

#include <memory>

void runShowingProgress(QWidget *parent, const std::function<void()> &work)
{
    ProgressDialog progress(parent);
    progress.show();
    std::unique_ptr<QThread> thread(QThread::create(work));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    // Input goes nowhere while the call runs: the box is modal and the caller waits here.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    progress.close();
}
