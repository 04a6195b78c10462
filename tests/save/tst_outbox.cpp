// The outbox of saves made while offline: what a save stored comes back after a restart in the
// order of the saves, a removed or updated entry stays so, an outbox that cannot be read is
// never written over, and an entry is brought up to the file database before it is sent.

#include "dxftesthelpers.h"
#include "otherlockholder.h"
#include "testhome.h"

#include "save/outbox.h"
#include "save/outboxdelivery.h"
#include "save/savetreeitem.h"
#include "session/showaurextaskpane.h"
#include "workingcopy/filedatabase.h"

#include <QtTest>

namespace {

// "title action base localChanges space name" of every row, children indented.
QStringList describe(SaveTreeItem &top)
{
    QStringList lines;
    for (const SaveTreeItem *row : top.subtree()) {
        int depth = 0;
        for (const SaveTreeItem *up = row->parent(); up; up = up->parent())
            ++depth;
        const QStringList fields{row->displayName, QString::number(int(row->action)),
                                 row->baseStamp, row->hasLocalChanges ? "changed" : "-",
                                 row->collabSpace, row->name};
        lines << QString(depth * 2, ' ') + fields.join(' ');
    }
    return lines;
}

} // namespace

class TestOutbox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QStandardPaths::setTestModeEnabled(true);
    }

    void init() { QFile::remove(Outbox("acme").filePath()); }

    void savesComeBackInOrderAfterARestart()
    {
        SaveTreeItem site(m_home.filePath("site.dwg"), "site.dwg", nullptr);
        site.baseStamp = "2026/01/02@03:04:05:GMT";
        SaveTreeItem *logo = site.appendChild(m_home.filePath("logo.png"), "logo.png");
        logo->action = SaveAction::SaveAsNew;
        logo->collabSpace = "Common Space";
        site.appendChild(m_home.filePath("deck.dwg"), "deck.dwg")->action = SaveAction::DoNotSave;
        SaveTreeItem bolt(m_home.filePath("bolt.dxf"), "bolt.dxf", nullptr);
        bolt.action = SaveAction::Overwrite;
        bolt.name = "obj-7";

        QVERIFY(Outbox("acme").append(site, 2));
        QVERIFY(Outbox("acme").append(bolt, 1));
        // Another tenant's outbox is another file.
        QList<Outbox::Entry> entries;
        QVERIFY(Outbox("zenith").read(&entries));
        QVERIFY(entries.isEmpty());

        QVERIFY(Outbox("acme").read(&entries));
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries.at(0).id < entries.at(1).id);
        QCOMPARE(entries.at(0).rowsToSave, 2);
        QCOMPARE(describe(*entries.at(0).rows), describe(site));
        QCOMPARE(describe(*entries.at(1).rows), describe(bolt));
        QCOMPARE(Outbox("acme").waitingKeys(),
                 (QSet<QString>{FileDatabase::keyForPath(m_home.filePath("site.dwg")).toLower(),
                                FileDatabase::keyForPath(m_home.filePath("logo.png")).toLower(),
                                FileDatabase::keyForPath(m_home.filePath("bolt.dxf")).toLower()}));

        // The first is sent, the second waits for a lock: both stay so in the file.
        const QString firstKey = entries.at(0).key;
        Outbox::Entry waiting = entries.at(1);
        waiting.waitingReason = "bolt.dxf is locked by bob.";
        QVERIFY(Outbox("acme").remove(entries.at(0).id));
        QVERIFY(Outbox("acme").update(waiting));
        QVERIFY(Outbox("acme").read(&entries));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.at(0).waitingReason, QString("bolt.dxf is locked by bob."));
        // Each save has a key of its own for the platform, the same however often it is read.
        QVERIFY(!waiting.key.isEmpty() && waiting.key != firstKey);
        QCOMPARE(entries.at(0).key, waiting.key);
        // A later save never takes the id of one still waiting.
        QVERIFY(Outbox("acme").append(site, 2));
        QVERIFY(Outbox("acme").read(&entries));
        QVERIFY(entries.at(1).id > entries.at(0).id);
    }

    // What waits is told in a line and counted; a save waiting for a reason says it; all of
    // it can be discarded, for the session's tenant only.
    void whatWaitsIsToldAndCanBeDiscarded()
    {
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        session->startSession("acme");
        OutboxDelivery delivery(session, nullptr);
        SaveTreeItem site(m_home.filePath("site.dwg"), "site.dwg", nullptr);
        SaveTreeItem bolt(m_home.filePath("bolt.dxf"), "bolt.dxf", nullptr);
        QStringList told;
        const auto tell = [&] {
            told << QString("%1 (%2)").arg(delivery.waitingLine()).arg(delivery.waitingCount());
        };
        tell();
        QVERIFY(Outbox("acme").append(site, 1));
        tell();
        QVERIFY(Outbox("acme").append(bolt, 1));
        QVERIFY(Outbox("zenith").append(bolt, 1));
        tell();
        QList<Outbox::Entry> entries;
        QVERIFY(Outbox("acme").read(&entries));
        entries.first().waitingReason = "site.dwg is locked by bob.";
        QVERIFY(Outbox("acme").update(entries.first()));
        tell();
        QCOMPARE(delivery.discardAll(), QString());
        tell();
        QCOMPARE(told, (QStringList{" (0)", "1 save waits in the outbox. (1)",
                                    "2 saves wait in the outbox. (2)",
                                    "A save waits in the outbox: site.dwg is locked by bob. (2)",
                                    " (0)"}));
        QVERIFY(Outbox("zenith").read(&entries));
        QCOMPARE(entries.size(), 1);
        QFile::remove(Outbox("zenith").filePath());
        session->endSession();
    }

    void anUnreadableOutboxIsNeverWrittenOver()
    {
        const QByteArray garbage("{ \"entries\": [ truncated");
        QVERIFY(DxfTest::writeBytes(Outbox("acme").filePath(), garbage));
        SaveTreeItem site(m_home.filePath("site.dwg"), "site.dwg", nullptr);
        Outbox outbox("acme");
        QVERIFY(!outbox.append(site, 1));
        QVERIFY2(outbox.errorString().contains("cannot be read"), qPrintable(outbox.errorString()));
        QCOMPARE(DxfTest::readBytes(Outbox("acme").filePath()), garbage);
    }

    // Another program using the outbox keeps this one out while it runs; once it is gone
    // (killed, and not even reaped by its parent yet) the outbox is free at once.
    void aProgramThatIsGoneNeverKeepsTheOutbox()
    {
        SaveTreeItem site(m_home.filePath("site.dwg"), "site.dwg", nullptr);
        QVERIFY(Outbox("acme").append(site, 1));
        // The other program: holds the outbox until it is killed.
        OtherLockHolder other(Outbox("acme").filePath() + ".lock");
        QVERIFY(other.holds());

        QList<Outbox::Entry> entries;
        Outbox busy("acme");
        QVERIFY(!busy.read(&entries));
        QVERIFY(busy.wasBusy());
        QVERIFY2(busy.errorString().contains("in use"), qPrintable(busy.errorString()));

        QVERIFY(other.kill());
        QElapsedTimer sinceKilled;
        sinceKilled.start();
        Outbox free("acme");
        QVERIFY2(free.read(&entries), qPrintable(free.errorString()));
        QVERIFY2(sinceKilled.elapsed() < 2000, qPrintable(QString::number(sinceKilled.elapsed())));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(describe(*entries.at(0).rows), describe(site));
    }

    void anEntryIsBroughtUpToTheFileDatabaseBeforeItIsSent_data()
    {
        QTest::addColumn<QString>("entryBase");
        QTest::addColumn<bool>("recordedSince"); // an exchange of the file after the save
        QTest::addColumn<QString>("sentBase");
        QTest::addColumn<bool>("sentChanges");
        // Nothing happened since: the save goes as it was made.
        QTest::newRow("as saved") << "v1" << false << "v1" << true;
        // An earlier save of the same file was sent (or the host stopped after sending this
        // one): it builds on that version, and unchanged since, it is not sent again.
        QTest::newRow("sent before") << "v1" << true << "v2" << false;
        // The user chose to overwrite: no base, whatever the database says.
        QTest::newRow("overwrite") << "" << true << "" << false;
    }

    void anEntryIsBroughtUpToTheFileDatabaseBeforeItIsSent()
    {
        QFETCH(QString, entryBase);
        QFETCH(bool, recordedSince);
        const QString path = m_home.filePath("pier.dxf");
        const QString key = FileDatabase::keyForPath(path);
        QVERIFY(DxfTest::writeBytes(path, "0\nEOF\n"));
        {
            FileDatabase database("acme");
            database.recordExchange(key, "id-1", "obj-1", "v1", "drawing");
            QVERIFY(database.save());
        }
        QVERIFY(DxfTest::writeBytes(path, "0\nEOF\n999\nchanged here\n"));
        FileDatabase database("acme");
        database.recordLocalSave(key);
        if (recordedSince)
            database.recordExchange(key, "id-1", "obj-1", "v2", "drawing");

        Outbox::Entry entry;
        entry.rows = std::make_shared<SaveTreeItem>(path, "pier.dxf", nullptr);
        entry.rows->baseStamp = entryBase;
        entry.rows->appendChild(m_home.filePath("gone.png"), "gone.png")->action =
            SaveAction::DoNotSave;
        Outbox::refresh(entry, database);
        QTEST(entry.rows->baseStamp, "sentBase");
        QTEST(entry.rows->hasLocalChanges, "sentChanges");
        QCOMPARE(entry.rowsToSave, 1);
    }

private:
    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestOutbox)
#include "tst_outbox.moc"
