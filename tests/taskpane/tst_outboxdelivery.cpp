// Sending the outbox: the saves go oldest first, each once; going offline while one is on its
// way lets it finish and keeps the rest for later.

#include "dxftesthelpers.h"
#include "platformdouble.h"
#include "testhome.h"

#include "save/outbox.h"
#include "save/savetreeitem.h"
#include "session/showaurextaskpane.h"
#include "taskpane/outboxdelivery.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

class TestOutboxDelivery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QStandardPaths::setTestModeEnabled(true);
        ShowAurexTaskPane::instance()->startSession(QString());
    }

    void goingOfflineWhileASaveGoesKeepsTheRestForLater()
    {
        // Two saves of a new drawing each, as saving offline leaves them.
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        session->setOffline(true);
        for (const char *file : {"first.dxf", "second.dxf"}) {
            QVERIFY(DxfTest::copySample("ezdxf/geometry-r2018.dxf", m_home.filePath(file)));
            SaveTreeItem row(m_home.filePath(file), file, nullptr);
            row.action = SaveAction::SaveAsNew;
            row.collabSpace = "Engineering";
            QVERIFY(Outbox(QString()).append(row, 1));
        }
        // Each transfer takes a while, so the user can go offline while the first goes.
        PlatformDouble platform;
        platform.setChunkDelayMs(20);
        OutboxDelivery delivery(&platform, session, nullptr);
        QSignalSpy finished(&delivery, &OutboxDelivery::finished);
        session->setOffline(false);
        delivery.start();
        QTRY_VERIFY(platform.bytesSent() > 0);
        session->setOffline(true);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toString(),
                 QString("Working offline: 1 save waits in the outbox."));
        QCOMPARE(platform.checkInCount(), 1);
        QVERIFY(!platform.content("first.dxf").isNull());
        QVERIFY(platform.content("second.dxf").isNull());

        // Online again, the rest goes, and what went before does not go again.
        session->setOffline(false);
        delivery.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.last().first().toString(), QString());
        QCOMPARE(platform.checkInCount(), 2);
        QVERIFY(!platform.content("second.dxf").isNull());
        QList<Outbox::Entry> left;
        QVERIFY(Outbox(QString()).read(&left));
        QVERIFY(left.isEmpty());
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestOutboxDelivery)
#include "tst_outboxdelivery.moc"
