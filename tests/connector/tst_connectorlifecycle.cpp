// A drawing's life on a real platform, through the module's platform interface only: signed
// in, saved, found, locked, saved again with a comment, an earlier version fetched and
// restored, deleted; then the platform's event stream, read from its start, tells the same
// story in the same order.

#include "connector/connectorplatform.h"
#include "connector/fileversion.h"
#include "connector/platformevent.h"
#include "connector/recordconstants.h"
#include "connector/recordbuilder.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"
#include "support/jobcontrol.h"

#include "platformprocess.h"

#include <dxftesthelpers.h>

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QtTest>

namespace {

const char kSpace[] = "Harbour Works";

} // namespace

class TestConnectorLifecycle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_server.start(&error), qPrintable(error));
        QVERIFY(m_server.addUser("ann", "ann-password", "Ann", "Archer"));
        QVERIFY(m_server.addUser("ben", "ben-password"));
        QVERIFY(m_server.addSpace(kSpace, {"ann", "ben"}));
        QVERIFY(m_server.addSpace("Depot", {"ben"}));
        QVERIFY(m_folder.isValid());
    }

    void aDrawingsLife()
    {
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        platform.setServer(m_server.serverHost());
        QVERIFY(!platform.signInWithPassword("ann", "wrong", m_server.serverHost(),
                                             m_server.casUrl()));
        QVERIFY(platform.signInWithPassword("ann", "ann-password", m_server.serverHost(),
                                            m_server.casUrl()));
        QCOMPARE(platform.spaces(), QStringList{kSpace});
        QString first, last, email, userId;
        QVERIFY(platform.userInfo(&first, &last, &email, &userId));
        QCOMPARE(first + ' ' + last, QString("Ann Archer"));

        // Saved new, with a comment.
        const QString path = m_folder.filePath("quay.dwg");
        QVERIFY(DxfTest::writeBytes(path, "quay as drawn"));
        FzFileInfo fresh;
        fresh.SetPath(path.toStdString());
        fresh.SetTitle("quay.dwg");
        fresh.SetProperty("collabspace", kSpace);
        JobControl control;
        RecordList stored;
        QVERIFY(platform.checkIn(&fresh, "first issue", &control, &stored));
        QCOMPARE(stored.size(), 1);
        QCOMPARE(recordTitle(*stored.records().front()), QString("quay.dwg"));

        // Found by its title; its details say who holds its lock.
        const auto found = [&platform] {
            RecordList hits;
            platform.search(*makeSpaceSearchQuery(kSpace, "quay"), &hits);
            return hits;
        };
        RecordList hits = found();
        QCOMPARE(hits.size(), 1);
        FzFileInfo record(*hits.records().front());
        const auto lockHolder = [&platform, &record] {
            RecordList requests;
            requests.addCopy(*makeDetailRequest(record));
            return platform.details(requests)
                ? recordProperty(*requests.records().front(), kKeyLockedBy)
                : QString("no answer");
        };
        QStringList locks{lockHolder()};
        QVERIFY(platform.lock(&record, true));
        locks << lockHolder();
        QVERIFY(platform.lock(&record, false));
        locks << lockHolder();
        QCOMPARE(locks, (QStringList{"", "ann", ""}));

        // A second version, then the first one fetched and restored.
        QVERIFY(DxfTest::writeBytes(path, "quay with bollards"));
        record.SetPath(path.toStdString());
        QVERIFY(platform.checkIn(&record, "moved the bollards", &control, &stored));
        // A restore names the version it replaces: the one the check-in answered with.
        QCOMPARE(stored.size(), 1);
        record = *stored.records().front();
        for (const char *folder : {"v1", "now"})
            QVERIFY(QDir(m_folder.path()).mkpath(folder));
        const QString earlier = platform.downloadVersion(record, 1, m_folder.filePath("v1"),
                                                         "quay.dwg", &control);
        QCOMPARE(DxfTest::readBytes(earlier), QByteArray("quay as drawn"));
        QVERIFY(platform.restoreVersion(&record, 1, "back to the first"));
        FileVersionList versions;
        QVERIFY(platform.versions(record, &versions));
        QStringList history;
        for (const FileVersion &version : versions)
            history << QString("%1 %2 %3").arg(version.revision).arg(version.user, version.comment);
        std::sort(history.begin(), history.end());
        QCOMPARE(history, (QStringList{"1 ann first issue", "2 ann moved the bollards",
                                       "3 ann back to the first"}));
        const QString current =
            platform.downloadObject(recordProperty(record, kKeyPhid), m_folder.filePath("now"));
        QCOMPARE(DxfTest::readBytes(current), QByteArray("quay as drawn"));
        RecordList structure;
        QVERIFY(platform.structure(record, &structure));
        QCOMPARE(structure.size(), 1);

        const QStringList names = platform.autonames(2);
        QCOMPARE(names.size(), 2);
        QVERIFY(!names.first().isEmpty() && names.first() != names.last());

        RecordList doomed;
        doomed.addCopy(record);
        QVERIFY(platform.remove(doomed));
        QCOMPARE(found().size(), 0);

        // The stream from its start: each of those, once, in order, as the platform told it.
        QStringList events;
        QElapsedTimer waited;
        waited.start();
        const int status = platform.readEvents(
            "0",
            [&events](const PlatformEvent &event) {
                events << QString("%1 %2 %3 r%4 %5 [%6]%7")
                              .arg(event.kind)
                              .arg(event.title, event.user)
                              .arg(event.revision)
                              .arg(event.space, event.lockedBy,
                                   event.isNewVersion() ? " " + event.comment : QString());
            },
            [&events, &waited] { return events.size() < 6 && waited.elapsed() < 20000; });
        QCOMPARE(status, 200);
        using E = PlatformEvent;
        QCOMPARE(events, (QStringList{
                             QString("%1 quay.dwg ann r1 Harbour Works [] first issue").arg(E::CheckIn),
                             QString("%1 quay.dwg ann r1 Harbour Works [ann]").arg(E::Lock),
                             QString("%1 quay.dwg ann r1 Harbour Works []").arg(E::Unlock),
                             QString("%1 quay.dwg ann r2 Harbour Works [] moved the bollards")
                                 .arg(E::CheckIn),
                             QString("%1 quay.dwg ann r3 Harbour Works [] back to the first")
                                 .arg(E::Restore),
                             QString("%1 quay.dwg ann r3 Harbour Works []").arg(E::Delete)}));
    }

    // Signed in from the launcher, the user works in the space the launcher named, or, when
    // the launcher asks for the preferred context, in the space the user prefers.
    void aCookieSignInStartsInTheSpaceAskedFor()
    {
        const PlatformProcess::Result preferred =
            m_server.run({"member", "add", "Depot", "ben", "--preferred"});
        QVERIFY2(preferred.exitCode == 0, preferred.err.constData());
        QStringList firstSpaces;
        for (const bool usePreferred : {false, true}) {
            ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
            platform.setServer(m_server.serverHost());
            platform.usePreferredContext(usePreferred);
            QVERIFY(platform.signInWithCookie(m_server.issueCookie("ben"), kSpace,
                                              m_server.serverHost(), m_server.casUrl()));
            platform.usePreferredContext(false);
            firstSpaces << platform.spaces().value(0);
        }
        QCOMPARE(firstSpaces, QStringList({kSpace, "Depot"}));
    }

private:
    PlatformProcess m_server;
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestConnectorLifecycle)
#include "tst_connectorlifecycle.moc"
