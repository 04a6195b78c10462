// A flow of jobs read top to bottom: each step sees what the steps before it made, a step with
// nothing to do is passed over, and the flow ends once, at the first failure, at a then()'s
// word or at a cancel, without making the steps after it.

#include "support/calljob.h"
#include "support/dialogjobs.h"
#include "support/jobsequence.h"
#include "support/valuejob.h"

#include <QDialog>
#include <QtTest>

#include <memory>

namespace {

// How a step of the flow under test behaves.
enum class Does { Adds, Skips, FailsInWork, FailsInThen, StopsInThen, Waits };

struct Outcome
{
    QStringList trail; // what ran, in order: "make N", "then N"
    int error = -1;
    QString errorString;
    QString failedJob; // object name of the job that failed, "" when none
    int finishedCount = 0;
};

} // namespace

Q_DECLARE_METATYPE(QVector<Does>)

class JobSequenceTest : public QObject
{
    Q_OBJECT

private:
    // Builds the flow: step i adds i to a running total that the next step's work reads.
    JobSequence *build(const QVector<Does> &steps, Outcome *outcome,
                       std::shared_ptr<int> total, QObject *parent)
    {
        auto *flow = new JobSequence(parent);
        for (int i = 0; i < steps.size(); ++i) {
            const Does does = steps.at(i);
            flow->step(
                [=]() -> AurexJob * {
                    outcome->trail << QString("make %1 after %2").arg(i).arg(*total);
                    if (does == Does::Skips)
                        return nullptr;
                    auto *job = new ValueJob<int>([=](JobControl &control, int &value) {
                        while (does == Does::Waits && !control.isCancelled()) {
                            control.alive();
                            QThread::msleep(2);
                        }
                        if (does == Does::FailsInWork)
                            return QString("step %1 failed").arg(i);
                        value = *total + i;
                        return QString();
                    });
                    job->setObjectName(QString("job %1").arg(i));
                    QObject::connect(job, &AurexJob::result, job, [job, total] {
                        if (job->error() == AurexJob::NoError)
                            *total = job->value();
                    });
                    return job;
                },
                [=] {
                    outcome->trail << QString("then %1").arg(i);
                    if (does == Does::FailsInThen)
                        flow->fail(QString("then %1 said no").arg(i));
                    if (does == Does::StopsInThen)
                        flow->stop();
                });
        }
        connect(flow, &JobSequence::finished, this, [outcome](JobSequence *ended) {
            ++outcome->finishedCount;
            outcome->error = ended->error();
            outcome->errorString = ended->errorString();
            outcome->failedJob = ended->failedJob() ? ended->failedJob()->objectName() : "";
        });
        return flow;
    }

private slots:
    void stepsRunInOrderAndEndOnce_data()
    {
        QTest::addColumn<QVector<Does>>("steps");
        QTest::addColumn<QStringList>("trail");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("errorString");
        QTest::addColumn<QString>("failedJob");

        QTest::newRow("every step adds to what the one before made")
            << QVector<Does>{Does::Adds, Does::Adds, Does::Adds}
            << QStringList{"make 0 after 0", "then 0", "make 1 after 0", "then 1",
                           "make 2 after 1", "then 2"}
            << int(AurexJob::NoError) << "" << "";
        QTest::newRow("a step with nothing to do still runs its then")
            << QVector<Does>{Does::Adds, Does::Skips, Does::Adds}
            << QStringList{"make 0 after 0", "then 0", "make 1 after 0", "then 1",
                           "make 2 after 0", "then 2"}
            << int(AurexJob::NoError) << "" << "";
        QTest::newRow("a failed job ends the flow without its then or the steps after it")
            << QVector<Does>{Does::Adds, Does::FailsInWork, Does::Adds}
            << QStringList{"make 0 after 0", "then 0", "make 1 after 0"}
            << int(AurexJob::WorkError) << "step 1 failed" << "job 1";
        QTest::newRow("a then that says no ends the flow with its reason")
            << QVector<Does>{Does::Adds, Does::FailsInThen, Does::Adds}
            << QStringList{"make 0 after 0", "then 0", "make 1 after 0", "then 1"}
            << int(AurexJob::WorkError) << "then 1 said no" << "";
        QTest::newRow("a then that stops ends the flow well")
            << QVector<Does>{Does::Skips, Does::StopsInThen, Does::Adds}
            << QStringList{"make 0 after 0", "then 0", "make 1 after 0", "then 1"}
            << int(AurexJob::NoError) << "" << "";
        QTest::newRow("a flow of steps without jobs ends at once")
            << QVector<Does>{Does::Skips, Does::Skips}
            << QStringList{"make 0 after 0", "then 0", "make 1 after 0", "then 1"}
            << int(AurexJob::NoError) << "" << "";
    }

    void stepsRunInOrderAndEndOnce()
    {
        QFETCH(QVector<Does>, steps);
        Outcome outcome;
        auto total = std::make_shared<int>(0);
        JobSequence *flow = build(steps, &outcome, total, this);
        flow->start();
        QFETCH(QStringList, trail);
        QFETCH(int, error);
        QFETCH(QString, errorString);
        QFETCH(QString, failedJob);
        QTRY_VERIFY(!flow->isRunning());
        // The whole story at once: what ran, and how the flow ended, once.
        const QStringList got = outcome.trail
            + QStringList{QString::number(outcome.error), outcome.errorString, outcome.failedJob,
                          QString::number(outcome.finishedCount)};
        const QStringList expected =
            trail + QStringList{QString::number(error), errorString, failedJob, "1"};
        QCOMPARE(got, expected);
    }

    void cancelKillsTheRunningStep_data()
    {
        QTest::addColumn<bool>("underDialog");
        QTest::newRow("on its own") << false;
        QTest::newRow("under a dialog's box") << true;
    }

    // Cancelled by the caller, or by the Cancel of the box a dialog shows: the running job is
    // killed, and neither its then nor the steps after it run.
    void cancelKillsTheRunningStep()
    {
        QFETCH(bool, underDialog);
        QDialog dialog;
        Outcome outcome;
        auto total = std::make_shared<int>(0);
        JobSequence *flow = build({Does::Adds, Does::Waits, Does::Adds}, &outcome, total, &dialog);
        if (underDialog)
            flow->runUnder(new DialogJobs(&dialog));
        flow->start();
        QTRY_COMPARE(outcome.trail.size(), 3);
        QVERIFY(flow->isRunning());
        flow->cancel();
        QTRY_COMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.trail, (QStringList{"make 0 after 0", "then 0", "make 1 after 0"}));
        QCOMPARE(outcome.error, int(AurexJob::KilledError));
        QCOMPARE(outcome.failedJob, QString("job 1"));
        QVERIFY(!flow->isRunning());
    }
};

QTEST_MAIN(JobSequenceTest)
#include "tst_jobsequence.moc"
