// What a colleague does reaches the module as events, each once and in the order it happened.
// A platform that cannot be reached is asked for its event stream again only after each wait,
// never in a loop that would keep a processor and the network busy; once it answers again, the
// stream is read at the next attempt.

#include "session/eventsubscription.h"

#include <platformdouble.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

class TestEventSubscription : public QObject
{
    Q_OBJECT

private slots:
    void colleaguesChangesArriveInTheirOrder()
    {
        PlatformDouble platform;
        platform.addObject("deck.dwg", "0\nEOF\n");
        EventSubscription subscription;
        QSignalSpy arrived(&subscription, &EventSubscription::eventArrived);
        subscription.start(&platform);
        QTRY_COMPARE(platform.streamCount(), 1);
        platform.setLockedBy("deck.dwg", "bob");
        platform.saveNewVersion("deck.dwg", "0\nEOF\n999\nbob's\n", "bob", "moved a pier");
        platform.setLockedBy("deck.dwg", QString());
        QTRY_COMPARE(arrived.size(), 3);
        QStringList seen;
        for (const QList<QVariant> &signal : qAsConst(arrived)) {
            const auto event = signal.first().value<PlatformEvent>();
            seen << QStringList{QString::number(event.kind), event.title, event.user}.join(' ');
        }
        const QStringList expected{QString("%1 deck.dwg bob").arg(PlatformEvent::Lock),
                                   QString("%1 deck.dwg bob").arg(PlatformEvent::CheckIn),
                                   QString("%1 deck.dwg bob").arg(PlatformEvent::Unlock)};
        QCOMPARE(seen, expected);
        subscription.stop();
    }

    // A delete arrives as itself; a file back from the trash asks for everything anew. A
    // stream that drops is said, and the next one goes on after the last event read, so what
    // happened in between still arrives, once.
    void trashAndDroppedStreams()
    {
        PlatformDouble platform;
        platform.addObject("deck.dwg", "0\nEOF\n");
        platform.addObject("piers.dxf", "0\nEOF\n");
        EventSubscription subscription;
        subscription.setRetryDelays({50});
        QStringList heard;
        connect(&subscription, &EventSubscription::eventArrived, this,
                [&heard](const PlatformEvent &event) {
                    heard << QString("%1 %2").arg(event.kind).arg(event.title);
                });
        connect(&subscription, &EventSubscription::eventsMissed, this,
                [&heard] { heard << "ask again"; });
        connect(&subscription, &EventSubscription::streamDropped, this,
                [&heard] { heard << "dropped"; });
        subscription.start(&platform);
        QTRY_COMPARE(platform.streamCount(), 1);
        platform.moveToTrash("deck.dwg", "bob");
        platform.restoreFromTrash("deck.dwg", "bob");
        QTRY_COMPARE(heard.size(), 2);
        platform.setBehaviour(PlatformDouble::Refuse);
        QTRY_COMPARE(platform.streamCount(), 0);
        QTRY_COMPARE(heard.size(), 3);
        platform.setLockedBy("piers.dxf", "bob");
        platform.setBehaviour(PlatformDouble::Answer);
        QTRY_COMPARE(heard.size(), 4);
        QCOMPARE(heard, (QStringList{QString("%1 deck.dwg").arg(PlatformEvent::Delete),
                                     "ask again", "dropped",
                                     QString("%1 piers.dxf").arg(PlatformEvent::Lock)}));
        subscription.stop();
    }

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
