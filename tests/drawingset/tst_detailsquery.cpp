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
