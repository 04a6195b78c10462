// A platform that cannot be reached is asked for its event stream again only after each wait,
// never in a loop that would keep a processor and the network busy; once it answers again, the
// stream is read at the next attempt.

#include "session/eventsubscription.h"

#include <platformdouble.h>

#include <QElapsedTimer>
#include <QtTest>

class TestEventSubscription : public QObject
{
    Q_OBJECT

private slots:
    void anUnreachablePlatformIsAskedAgainOnlyAfterEachWait()
    {
        PlatformDouble platform;
        platform.setBehaviour(PlatformDouble::Refuse);
        EventSubscription subscription;
        subscription.setRetryDelays({150});
        QElapsedTimer timer;
        timer.start();
        subscription.start(&platform);
        QTRY_VERIFY_WITH_TIMEOUT(platform.streamRequests() >= 3, 5000);
        // Three requests, two waits between them.
        QVERIFY2(timer.elapsed() >= 300, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(platform.streamRequests() <= 1 + timer.elapsed() / 150);

        platform.setBehaviour(PlatformDouble::Answer);
        QTRY_COMPARE_WITH_TIMEOUT(platform.streamCount(), 1, 5000);
        subscription.stop();
        QTRY_COMPARE(platform.streamCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEventSubscription)
#include "tst_eventsubscription.moc"
