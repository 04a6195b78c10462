// What the job shape promises beyond one job's result: the work of every running job is
// stopped and waited for when the module unloads, since its code goes with the module; and the
// transfer box says how far a job has come in units that fit.

#include "approvedstate.h"
#include "support/aurexjob.h"
#include "support/calljob.h"
#include "support/dialogjobs.h"
#include "support/progressdialog.h"
#include "support/transferprogressdialog.h"

#include <QLabel>
#include <QPushButton>
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

// A job that has done one file of three, done of total bytes, and waits.
class HalfwayJob : public AurexJob
{
public:
    HalfwayJob(qint64 done, qint64 total)
    {
        setWork([done, total](JobControl &control) {
            control.setTotals(3, total);
            control.setCurrentName(QStringLiteral("deck.dwg"));
            control.addProcessed(1, done);
            while (!control.isCancelled())
                QThread::msleep(5);
            return QString();
        });
    }
};

} // namespace

// A job whose work ends as told: "done", "fails", or "waits" until it is stopped, without a
// sign of life.
class ToldJob : public AurexJob
{
public:
    explicit ToldJob(const QString &how)
    {
        setWork([how](JobControl &control) {
            while (how == QLatin1String("waits") && !control.isCancelled())
                QThread::msleep(5);
            return how == QLatin1String("fails") ? QStringLiteral("no room on the disk") : QString();
        });
    }
};

class TestAurexJob : public QObject
{
    Q_OBJECT

private slots:
    // However a job ends, it says so once, with why.
    void everyEndIsReportedOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("killed");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("errorText");
        QTest::newRow("done") << "done" << false << int(AurexJob::NoError) << "";
        QTest::newRow("failed") << "fails" << false << int(AurexJob::WorkError)
                                << "no room on the disk";
        QTest::newRow("cancelled") << "waits" << true << int(AurexJob::KilledError)
                                   << "Cancelled.";
        QTest::newRow("no sign of life") << "waits" << false << int(AurexJob::TimedOutError)
                                         << "The AUREX Platform did not answer for 1 second.";
    }

    void everyEndIsReportedOnce()
    {
        QFETCH(QString, how);
        QFETCH(bool, killed);
        QFETCH(int, error);
        QFETCH(QString, errorText);
        ToldJob job(how);
        job.setNoProgressTimeout(300);
        QSignalSpy results(&job, &AurexJob::result);
        job.start();
        if (killed)
            job.kill();
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, 10000);
        QCOMPARE(job.error(), error);
        QCOMPARE(job.errorString(), errorText);
        QVERIFY(job.waitForWork(5000));
        QTest::qWait(50); // a late end of the stopped work adds nothing
        QCOMPARE(results.count(), 1);
    }

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

    // A dialog's jobs go with the dialog: closed while one runs, it reports to nobody.
    void aDialogsJobsGoWithIt()
    {
        auto *dialog = new QWidget;
        auto *jobs = new DialogJobs(dialog);
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        QPointer<AurexJob> job = new EndlessJob(stopped);
        bool done = false;
        jobs->run(job, [&done] { done = true; });
        delete dialog;
        QVERIFY(job.isNull());
        QTRY_VERIFY(stopped->load());
        QVERIFY(!done);
    }

    // A job cancelled before its dialog showed takes the dialog along when the dialog would
    // delete itself on closing (it waited for the job's answer to show and never will); a
    // dialog shown, or one its owner keeps, stays.
    void aCancelledJobTakesOnlyADialogThatWaitedForIt_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("deleteOnClose");
        QTest::addColumn<bool>("stays");
        QTest::newRow("waiting, deleted on closing") << false << true << false;
        QTest::newRow("waiting, kept by its owner") << false << false << true;
        QTest::newRow("shown, deleted on closing") << true << true << true;
    }

    void aCancelledJobTakesOnlyADialogThatWaitedForIt()
    {
        QFETCH(bool, shown);
        QFETCH(bool, deleteOnClose);
        QFETCH(bool, stays);
        auto *widget = new QDialog;
        const QPointer<QDialog> dialog = widget;
        widget->setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
        if (shown)
            widget->show();
        auto *jobs = new DialogJobs(widget);
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        const QPointer<AurexJob> job = new EndlessJob(stopped);
        bool done = false;
        jobs->run(job, [&done] { done = true; });
        QVERIFY(job->kill());
        QTRY_VERIFY(job.isNull() && stopped->load());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(!dialog.isNull(), stays);
        QVERIFY(!done);
        delete dialog;
    }

    // A call waits under the please-wait box; a transfer shows files and amounts, and each is
    // the only box the dialog gets.
    void eachJobRunsUnderItsOwnBox_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("call") << int(DialogJobs::PleaseWait) << QStringList{"ProgressDialog"};
        QTest::newRow("transfer") << int(DialogJobs::Transfer)
                                  << QStringList{"TransferProgressDialog"};
    }

    void eachJobRunsUnderItsOwnBox()
    {
        QFETCH(int, box);
        QFETCH(QStringList, shown);
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        QStringList boxes;
        {
            QWidget dialog;
            auto *jobs = new DialogJobs(&dialog);
            jobs->run(new EndlessJob(stopped), [] {}, DialogJobs::Box(box));
            for (const QDialog *child : dialog.findChildren<QDialog *>()) {
                // No "What's this?" button: the box has no help to give.
                if (child->isVisible())
                    boxes << child->objectName()
                            + (child->windowFlags() & Qt::WindowContextHelpButtonHint
                                   ? " with a help button"
                                   : "");
            }
        }
        QCOMPARE(boxes, shown);
        QTRY_VERIFY(stopped->load());
    }

    void transferBoxSaysAmountsInUnitsThatFit_data()
    {
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QString>("amounts");
        QTest::newRow("under a megabyte") << qint64(4608) << qint64(9216)
                                          << "1 of 3 files, 4.5 of 9.0 KB";
        QTest::newRow("a few megabytes") << qint64(2621440) << qint64(5242880)
                                         << "1 of 3 files, 2.5 of 5.0 MB";
        QTest::newRow("hundreds of megabytes") << qint64(157286400) << qint64(314572800)
                                               << "1 of 3 files, 150 of 300 MB";
    }

    void transferBoxSaysAmountsInUnitsThatFit()
    {
        QFETCH(qint64, done);
        QFETCH(qint64, total);
        QFETCH(QString, amounts);
        HalfwayJob job(done, total);
        job.start();
        TransferProgressDialog *box = TransferProgressDialog::showFor(nullptr, &job);
        QTRY_COMPARE(box->amountText(), amounts);
        QCOMPARE(box->fileText(), QString("deck.dwg"));
        // Cancel sits at the lower right, below everything the box says.
        const auto *cancel = box->findChild<QPushButton *>("CancelTransferButton");
        const auto *timeLeft = box->findChild<QLabel *>("TransferTimeLeftLabel");
        QVERIFY(cancel->isVisible());
        QVERIFY(cancel->geometry().top() >= timeLeft->geometry().bottom());
        QVERIFY(box->rect().right() - cancel->geometry().right() < 20);
        // And all of it, whatever time the rate so far gives (once it gives one).
        QTRY_VERIFY(!timeLeft->text().isEmpty());
        ApprovedState approved;
        approved.replace(QRegularExpression("\\d+ (second|minute)s? left"), "<time> left");
        const QString differences =
            approved.differences(box, QStringLiteral("transfer-") + QTest::currentDataTag());
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
        job.kill();
        QVERIFY(job.waitForWork(5000));
    }

    // The time left is said while bytes are still to go, and goes once all have gone.
    void transferBoxSaysTimeLeftOnlyWhileBytesAreToGo()
    {
        auto allSent = std::make_shared<std::atomic<bool>>(false);
        CallJob job([allSent](JobControl &control) {
            control.setTotals(1, 4 * 1024 * 1024);
            control.setCurrentName(QStringLiteral("deck.dwg"));
            control.addProcessed(0, 2 * 1024 * 1024);
            while (!allSent->load() && !control.isCancelled())
                QThread::msleep(5);
            control.addProcessed(1, 2 * 1024 * 1024);
            while (!control.isCancelled())
                QThread::msleep(5);
            return QString();
        });
        job.start();
        TransferProgressDialog *box = TransferProgressDialog::showFor(nullptr, &job);
        const auto *timeLeft = box->findChild<QLabel *>("TransferTimeLeftLabel");
        QVERIFY(timeLeft);
        QTRY_VERIFY(!timeLeft->text().isEmpty());
        allSent->store(true);
        QTRY_COMPARE(box->amountText(), QString("1 of 1 files, 4.0 of 4.0 MB"));
        QTRY_COMPARE(timeLeft->text(), QString());
        job.kill();
        QVERIFY(job.waitForWork(5000));
    }

    // The please-wait box stands while its job works and goes the moment the job ends,
    // whether it ended well or not: a box left behind would keep the user from the host.
    void pleaseWaitBoxGoesWithItsJob_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("done") << QString();
        QTest::newRow("failed") << QString("The AUREX Platform cannot be reached.");
    }

    void pleaseWaitBoxGoesWithItsJob()
    {
        QFETCH(QString, failure);
        auto release = std::make_shared<std::atomic<bool>>(false);
        CallJob job([release, failure](JobControl &control) {
            while (!release->load() && !control.isCancelled())
                QThread::msleep(5);
            return failure;
        });
        QWidget window;
        window.show();
        QPointer<ProgressDialog> box = ProgressDialog::showFor(&window, &job);
        job.start();
        QVERIFY(box && box->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), box.data());
        release->store(true);
        QTRY_VERIFY(box.isNull());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(job.errorString(), failure);
    }

    // A wait that goes on gets a Cancel button, laid out below what the box says, and Cancel
    // stops the job.
    void longWaitOffersCancel()
    {
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        EndlessJob job(stopped);
        QWidget window;
        window.show();
        QPointer<ProgressDialog> box = ProgressDialog::showFor(&window, &job);
        job.start();
        QPushButton *cancel = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((cancel = box->findChild<QPushButton *>("ProgressCancelButton")),
                                 10000);
        const QString differences = ApprovedState().differences(box, "please-wait-with-cancel");
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
        cancel->click();
        QTRY_VERIFY(stopped->load());
        QTRY_VERIFY(box.isNull());
    }
};

QTEST_MAIN(TestAurexJob)
#include "tst_aurexjob.moc"
