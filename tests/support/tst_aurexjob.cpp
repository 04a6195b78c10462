// What the job shape promises beyond one job's result: the work of every running job is
// stopped and waited for when the module unloads, since its code goes with the module.

#include "support/aurexjob.h"

#include <QtTest>

#include <atomic>

namespace {

// A job whose work runs until it is told to stop.
class EndlessJob : public AurexJob
{
public:
    explicit EndlessJob(std::shared_ptr<std::atomic<bool>> stopped)
    {
        setWork([stopped](JobControl &control) {
            while (!control.isCancelled()) {
                control.alive();
                QThread::msleep(5);
            }
            stopped->store(true);
            return QString();
        });
    }
};

} // namespace

class TestAurexJob : public QObject
{
    Q_OBJECT

private slots:
    void runningWorkIsStoppedAndWaitedForAtUnload()
    {
        auto first = std::make_shared<std::atomic<bool>>(false);
        auto second = std::make_shared<std::atomic<bool>>(false);
        EndlessJob one(first);
        EndlessJob two(second);
        one.start();
        two.start();
        QVERIFY(!one.waitForWork(50));

        QVERIFY(AurexJob::stopAll(5000));
        // Both works have ended by the time it returns, not only been told to.
        QVERIFY(first->load() && second->load());
        QVERIFY(one.waitForWork(0) && two.waitForWork(0));
    }
};

QTEST_GUILESS_MAIN(TestAurexJob)
#include "tst_aurexjob.moc"
