// The details query against a real platform: local copies made as a download makes them, the
// platform's answers keyed by platform name, and nothing asked for unknown files or while
// signed out.

#include "connector/connectorplatform.h"
#include "savetestsupport.h"

#include "drawingset/detailsquery.h"
#include "session/showaurextaskpane.h"

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
        QCOMPARE(details.size(), 7);
        QCOMPARE(details.value(m_names.value(m_folder + "/deck.dwg")).lockedBy, QString("bob"));
        QCOMPARE(details.value(m_names.value(m_folder + "/bridge.dwg")).lockedBy, QString());
        for (const FileEntry &entry : details) {
            QCOMPARE(entry.collaborativeSpace, QString("Common Space"));
            QCOMPARE(entry.owner, QString("alice"));
            const QString stampFormat = "yyyy'/'MM'/'dd'@'HH':'mm':'ss':GMT'";
            QVERIFY(QDateTime::fromString(entry.fileModified, stampFormat).isValid());
        }
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
