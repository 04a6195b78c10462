// The connector's calls for the versions a real platform keeps: check-ins with comments, the
// list of versions, a version's bytes landing in a folder, a drawing's structure as of a
// version, and restoring a version after a colleague's save.

#include "connectortestsupport.h"

#include <QtTest>

using namespace connectortest;

namespace {

const char kSpace[] = "Common Space";

QString sha(const QString &text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestConnectorVersions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        QString error;
        m_platform = PlatformProcess::startDemo(&error);
        QVERIFY2(m_platform, qPrintable(error));
    }

    void versionsSayWhoAndWhy()
    {
        const Record plan = saveThreeVersions(*m_platform, m_dir.path(), "cv-plan.dwg", kSpace);
        QVERIFY(plan);
        QVERIFY(connector()->GetVersions_Block(plan.get()));
        QCOMPARE(transactionLines({"title", "revision", "_ModifiedBy", "_Comment", "_sha256"}),
                 (QStringList{"cv-plan.dwg|3|alice|third|" + sha("version 3 of cv-plan.dwg"),
                              "cv-plan.dwg|2|bob|second|" + sha("version 2 of cv-plan.dwg"),
                              "cv-plan.dwg|1|alice|first|" + sha("version 1 of cv-plan.dwg")}));
    }

    void versionBytesLandInTheFolder_data()
    {
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("files"); // in the folder afterwards
        QTest::newRow("as its title") << 1 << QString() << QStringList{"cv-plan.dwg"};
        QTest::newRow("under a name of the caller's")
            << 2 << "plan (version 2).dwg" << QStringList{"plan (version 2).dwg"};
        QTest::newRow("a name that leaves the folder") << 2 << "../plan.dwg" << QStringList();
        QTest::newRow("a version that never was") << 9 << QString() << QStringList();
    }

    void versionBytesLandInTheFolder()
    {
        QFETCH(int, revision);
        QFETCH(QString, fileName);
        QFETCH(QStringList, files);
        QVERIFY(signIn(*m_platform, "alice", "alice-demo-pw"));
        const Record plan = find("cv-plan.dwg");
        QVERIFY(plan);
        QTemporaryDir folder;
        const QString path =
            connector()->DownloadVersion_Block(plan.get(), revision, folder.path(), fileName);
        // Only the finished file is left, never a part.
        QCOMPARE(filesIn(folder.path()), files);
        if (files.isEmpty()) {
            QCOMPARE(path, QString());
            return;
        }
        QCOMPARE(path, folder.filePath(files.first()));
        QCOMPARE(QString::fromLatin1(sha256Of(path)),
                 sha(QStringLiteral("version %1 of cv-plan.dwg").arg(revision)));
    }

    void structureAsOfAVersion()
    {
        QVERIFY(signIn(*m_platform, "alice", "alice-demo-pw"));
        const Record drawing =
            newFileRecord(writeFile(m_dir.path(), "cv-site.dwg", "site 1"), kSpace);
        const Record image = newFileRecord(writeFile(m_dir.path(), "cv-photo.png", "photo 1"),
                                           kSpace);
        image->SetProperty("_RelationToParent", "CADSubcomponent");
        image->SetParent(drawing.get());
        QVERIFY(connector()->CheckIn(drawing.get(), "site and photo"));
        // The photo changes on its own later.
        const Record newer = fileRecord(writeFile(m_dir.path(), "cv-photo.png", "photo 2"),
                                        image->GetName(), kSpace);
        QVERIFY(connector()->CheckIn(newer.get(), "a better photo"));

        const Record site = find("cv-site.dwg");
        QVERIFY(connector()->GetStructureAsOf_Block(site.get(), 1));
        QCOMPARE(transactionLines({"title", "revision", "_sha256"}),
                 (QStringList{"cv-site.dwg|1|" + sha("site 1"), "cv-photo.png|1|" + sha("photo 1")}));
        FzFileInfo oldPhoto(*connector()->GetTransactionFileAt(1));
        QTemporaryDir folder;
        const QString path = connector()->DownloadVersion_Block(&oldPhoto, 1, folder.path());
        QCOMPARE(QString::fromLatin1(sha256Of(path)), sha("photo 1"));
        QVERIFY(!connector()->GetStructureAsOf_Block(site.get(), 2));
    }

    // A save sent again with its key, as after an answer lost on the way, is one version.
    void aKeyedCheckInSentTwiceIsStoredOnce()
    {
        QVERIFY(signIn(*m_platform, "alice", "alice-demo-pw"));
        const QString path = writeFile(m_dir.path(), "cv-keyed.dwg", "first sending");
        const Record record = fileRecord(path, std::string(), kSpace);
        record->SetProperty("_CheckInKey", "save-of-cv-keyed");
        QVERIFY(connector()->CheckIn(record.get(), "once"));
        QVERIFY(writeFile(m_dir.path(), "cv-keyed.dwg", "second sending") == path);
        QVERIFY(connector()->CheckIn(record.get(), "once"));
        const Record stored = find("cv-keyed.dwg");
        QVERIFY(stored);
        QVERIFY(connector()->GetVersions_Block(stored.get()));
        QCOMPARE(transactionLines({"revision", "_Comment", "_sha256"}),
                 QStringList{"1|once|" + sha("first sending")});
        QCOMPARE(m_platform->countsOf({"SELECT COUNT(*) FROM objects WHERE title = "
                                       "'cv-keyed.dwg'"}),
                 QList<int>{1});
    }

    void restoreAfterAColleaguesSave()
    {
        QVERIFY(signIn(*m_platform, "alice", "alice-demo-pw"));
        Record plan = find("cv-plan.dwg");
        QVERIFY(plan);
        // bob saves a fourth version after alice's copy was made.
        QVERIFY(signIn(*m_platform, "bob", "bob-demo-pw"));
        const QString path = writeFile(m_dir.path(), "cv-plan.dwg", "version 4 of cv-plan.dwg");
        QVERIFY(connector()->CheckIn(fileRecord(path, plan->GetName(), kSpace).get(), "fourth"));

        QVERIFY(signIn(*m_platform, "alice", "alice-demo-pw"));
        QVERIFY(!connector()->RestoreVersion_Block(plan.get(), 1));
        QVERIFY(connector()->Details({plan.get()}));
        QVERIFY(connector()->RestoreVersion_Block(plan.get(), 1));
        QCOMPARE(valueOf(plan.get(), "revision"), QString("5"));
        QVERIFY(connector()->RestoreVersion_Block(plan.get(), 2, "back to bob's"));
        QVERIFY(connector()->GetVersions_Block(plan.get()));
        QCOMPARE(transactionLines({"revision", "_ModifiedBy", "_Comment", "_sha256"}).mid(0, 3),
                 (QStringList{"6|alice|back to bob's|" + sha("version 2 of cv-plan.dwg"),
                              "5|alice|Restored version 1|" + sha("version 1 of cv-plan.dwg"),
                              "4|bob|fourth|" + sha("version 4 of cv-plan.dwg")}));
        // The current bytes are the restored ones.
        QTemporaryDir folder;
        QVERIFY(downloadInto(plan.get(), folder.path()).empty());
        QCOMPARE(QString::fromLatin1(sha256Of(folder.filePath("cv-plan.dwg"))),
                 sha("version 2 of cv-plan.dwg"));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PlatformProcess> m_platform;
};

QTEST_GUILESS_MAIN(TestConnectorVersions)
#include "tst_connectorversions.moc"
