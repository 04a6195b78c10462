// Sending the outbox from the task pane: the saves go oldest first, each once; going offline
// while one is on its way lets it finish and keeps the rest for later. The pane's user menu
// offers to discard the saves that wait, while none is being sent.

#include "dxftesthelpers.h"
#include "platformdouble.h"
#include "testhome.h"

#include "save/outbox.h"
#include "save/savetreeitem.h"
#include "session/showaurextaskpane.h"
#include "taskpane/aurexmainwindow.h"
#include "taskpane/outboxdelivery.h"

#include <QAction>
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
        AurexMainWindow window(&platform, session);
        OutboxDelivery &delivery = *window.delivery();
        // The user menu's entry, as the menu shows it ("" while hidden).
        const auto discardEntry = [&window] {
            window.ShowMenuItems();
            const auto *action = window.findChild<QAction *>("discardOutboxAction");
            return action->isVisible() ? action->text() : QString();
        };
        QCOMPARE(discardEntry(), QString("Discard Saves Waiting to Upload (2)..."));
        QSignalSpy finished(&delivery, &OutboxDelivery::finished);
        session->setOffline(false);
        delivery.start();
        QCOMPARE(discardEntry(), QString());
        QTRY_VERIFY(platform.bytesSent() > 0);
        session->setOffline(true);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toString(),
                 QString("Working offline: 1 save waits in the outbox."));
        QCOMPARE(platform.checkInCount(), 1);
        QVERIFY(!platform.content("first.dxf").isNull());
        QVERIFY(platform.content("second.dxf").isNull());
        QCOMPARE(discardEntry(), QString("Discard Saves Waiting to Upload (1)..."));

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
        QCOMPARE(discardEntry(), QString());
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestOutboxDelivery)
#include "tst_outboxdelivery.moc"
