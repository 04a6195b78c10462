// The details query against a real platform: local copies made as a download makes them, the
// platform's answers keyed by platform name, and nothing asked for unknown files or while
// signed out.

#include "connector/connectorplatform.h"
#include "connector/recordlist.h"
#include "savetestsupport.h"

#include "drawingset/detailsquery.h"
#include "session/showaurextaskpane.h"
#include "support/jobcontrol.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include <QtTest>

class TestDetailsQuery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_fixture.start("alice", &error), qPrintable(error));
        m_folder = m_fixture.home.filePath(QStringLiteral("models"));
        QVERIFY(QDir().mkpath(m_folder));
        m_names = savetest::download(QStringLiteral("bridge.dwg"), m_folder);
        QCOMPARE(m_names.size(), 7);
    }

    void answersEveryKnownCopyByPlatformName()
    {
        QStringList paths = m_names.keys();
        // A file the database does not know is not asked about.
        paths.append(m_folder + QStringLiteral("/unknown.dwg"));
        const auto details = queryFileDetails(*ConnectorPlatform::shared(), QString(), paths);
        QStringList rows;
        for (auto it = m_names.cbegin(); it != m_names.cend(); ++it) {
            const FileEntry entry = details.value(it.value());
            rows << QStringList{QFileInfo(it.key()).fileName(), entry.revision, entry.lockedBy,
                                entry.modifiedBy}
                        .join(' ');
        }
        // The demo platform's versions and locks, as a colleague would see them.
        QCOMPARE(rows, QStringList({"bridge.dwg 1  alice", "deck-photo.png 1  alice",
                                    "deck.dwg 1 bob alice", "load-table.pdf 1  alice",
                                    "logo.png 1  alice", "piers.dxf 3  alice",
                                    "rebar.dxf 1  alice"}));
        QCOMPARE(details.size(), 7);
        for (const FileEntry &entry : details) {
            QCOMPARE(entry.collaborativeSpace, QString("Common Space"));
            QCOMPARE(entry.owner, QString("alice"));
            const QString stampFormat = "yyyy'/'MM'/'dd'@'HH':'mm':'ss':GMT'";
            QVERIFY(QDateTime::fromString(entry.fileModified, stampFormat).isValid());
        }
    }

    // A check-in from here whose answer was lost before the file database noted it: the
    // platform's newer version is the copy's own bytes, so the copy is recorded as exchanged,
    // not as changed here. A copy changed otherwise stays changed.
    void aCheckInWhoseAnswerWasLostIsRecognised()
    {
        const QString rebar = m_folder + "/rebar.dxf";
        const QString logo = m_folder + "/logo.png";
        {
            FileDatabase database{QString()};
            for (const QString &path : {rebar, logo}) {
                QFile file(path);
                QVERIFY(file.open(QIODevice::Append) && file.write("\n999\nchanged here\n") > 0);
                file.close();
                QVERIFY(database.recordLocalSave(FileDatabase::keyForPath(path)));
            }
            QVERIFY(database.save());
        }
        FzFileInfo sent;
        sent.SetPath(rebar.toStdString());
        sent.SetName(m_names.value(rebar).toStdString());
        sent.SetTitle("rebar.dxf");
        sent.SetProperty("collabspace", "Common Space");
        JobControl control;
        RecordList stored;
        QVERIFY(ConnectorPlatform::shared()->checkIn(&sent, "answer lost", &control, &stored));

        QHash<QString, QString> stampBefore;
        for (const QString &path : {rebar, logo})
            stampBefore[path] = FileDatabase{QString()}.updateStamp(path);
        const auto details =
            queryFileDetails(*ConnectorPlatform::shared(), QString(), {rebar, logo});
        const FileDatabase database{QString()};
        QStringList seen;
        for (const QString &path : {rebar, logo}) {
            const FileEntry entry = details.value(m_names.value(path));
            const QString key = FileDatabase::keyForPath(path);
            const QString stamp = database.updateStamp(key);
            seen << QString("%1 r%2 %3, changed here: %4, stamp: %5")
                        .arg(QFileInfo(path).fileName(), entry.revision,
                             entry.storedFromHere ? "stored from here" : "not from here",
                             database.hasLocalChanges(key) ? "yes" : "no",
                             stamp == entry.fileModified ? "the platform's"
                                 : stamp == stampBefore[path] ? "as before"
                                                              : stamp);
        }
        QCOMPARE(seen, (QStringList{
                           "rebar.dxf r2 stored from here, changed here: no, stamp: the platform's",
                           "logo.png r1 not from here, changed here: yes, stamp: as before"}));
    }

    void asksNothingWhenSignedOut()
    {
        ShowAurexTaskPane::instance()->endSession();
        const MAPSTRCADOBJ details =
            queryFileDetails(*ConnectorPlatform::shared(), QString(), m_names.keys());
        ShowAurexTaskPane::instance()->startSession(QString());
        QVERIFY(details.isEmpty());
    }

private:
    savetest::Fixture m_fixture;
    QString m_folder;
    QMap<QString, QString> m_names;
};

QTEST_MAIN(TestDetailsQuery)
#include "tst_detailsquery.moc"
