// The connector's writing operations against a real platform: automatic names, check-in of a
// tree, what a partial save leaves alone, locks between two users and a refused check-in.

#include "connectortestsupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace connectortest;

namespace {

const char kSpace[] = "Common Space";

// A save tree as the save dialog builds it: records linked to their parents with SetParent.
class SaveTree
{
public:
    FzFileInfo *add(FzFileInfo *parent, const QString &path, const QString &name,
                    const char *relation = "CADSubcomponent")
    {
        m_records.push_back(std::make_unique<FzFileInfo>());
        FzFileInfo *record = m_records.back().get();
        record->SetPath(QString(path).replace(QLatin1Char('/'), QLatin1Char('\\')).toStdString());
        record->SetTitle(QFileInfo(path).fileName().toStdString());
        record->SetName(name.toStdString());
        record->SetProperty("collabspace", kSpace);
        record->SetProperty("selected", "true");
        record->SetProperty("maintainlock", "false");
        if (parent) {
            record->SetProperty("_RelationToParent", relation);
            record->SetParent(parent);
        }
        return record;
    }
    FzFileInfo *root() const { return m_records.front().get(); }

private:
    std::vector<Record> m_records;
};

QStringList namesWanted(int count)
{
    const Record request = record({{"_count", QString::number(count)}});
    QStringList names;
    for (const std::string &name : connector()->GetAutoname_Block(request.get()))
        names << QString::fromStdString(name);
    return names;
}

QStringList titlesInSpace(const QStringList &titles)
{
    QMap<QString, QString> query{{"_TypePattern", "*"}, {"_CS", kSpace}};
    for (int i = 0; i < titles.size(); ++i)
        query.insert(QStringLiteral("_or_title_%1").arg(i), titles.at(i));
    const Record request = record(query);
    connector()->SearchPattern(request.get());
    return searchTitles();
}

} // namespace

class TestConnectorWrite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void checkInNewTree();
    void checkInChangesOnlyWhatChanged();
    void lockHeldByOneBlocksTheOther();
    void refusedCheckInLeavesNothing();
    void unsavedDrawingCarriesItsChildren();

private:
    std::unique_ptr<PlatformProcess> m_platform;
    QTemporaryDir m_dir;
    QStringList m_names; // site.dwg, ref.dxf, photo.png, schedule.pdf
};

void TestConnectorWrite::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QString error;
    m_platform = PlatformProcess::startDemo(&error);
    QVERIFY2(m_platform, qPrintable(error));
    QVERIFY(m_dir.isValid());
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
}

void TestConnectorWrite::checkInNewTree()
{
    const QString folder = m_dir.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(folder));
    m_names = namesWanted(4);
    SaveTree tree;
    FzFileInfo *site = tree.add(nullptr, writeFile(folder, "site.dwg", "site v1\n"), m_names[0]);
    site->SetProperty("_Format", "dwg");
    site->SetProperty("_OwnsChildren", "true");
    tree.add(site, writeFile(folder, "site.jpg", "\xFF\xD8preview v1"),
             m_names[0] + QStringLiteral(".jpg"), "DerivedOutputOf");
    FzFileInfo *ref = tree.add(site, writeFile(folder, "ref.dxf", "ref v1\n"), m_names[1]);
    tree.add(ref, writeFile(folder, "photo.png", "png v1"), m_names[2]);
    tree.add(site, writeFile(folder, "schedule.pdf", "%PDF-1.4 v1"), m_names[3])
        ->SetProperty("type", "pdf");
    QVERIFY(connector()->CheckIn(tree.root()));

    // What the save dialog does next: look the files up by the names it sent.
    std::vector<Record> lookups;
    std::vector<FzFileInfo *> pointers;
    const QStringList types{"ACAD Drawing", "ACAD Drawing", "ACAD Insert", "ACAD Insert"};
    for (int i = 0; i < m_names.size(); ++i) {
        lookups.push_back(record({{"revision", "---"}, {"name", m_names[i]}, {"type", types[i]}}));
        pointers.push_back(lookups.back().get());
    }
    QVERIFY(connector()->Details(pointers));
    QCOMPARE(transactionTitles().join(' '), "site.dwg ref.dxf photo.png schedule.pdf");

    const QString previews = m_dir.filePath(QStringLiteral("previews"));
    QVERIFY(QDir().mkpath(previews));
    connector()->SetWorkingDirectory(previews);
    QVERIFY(connector()->DownloadPreviews({lookups[0].get()}));
    QFile preview(previews + QStringLiteral("/site.jpg"));
    QVERIFY(preview.open(QIODevice::ReadOnly));
    QCOMPARE(preview.readAll(), QByteArray("\xFF\xD8preview v1"));
}

void TestConnectorWrite::checkInChangesOnlyWhatChanged()
{
    QVERIFY(!m_names.isEmpty());
    const Record before = find(QStringLiteral("ref.dxf"));
    const Record siteBefore = find(QStringLiteral("site.dwg"));
    QThread::sleep(1); // stamps have a resolution of one second
    const QString folder = m_dir.filePath(QStringLiteral("work"));
    SaveTree tree;
    FzFileInfo *site = tree.add(nullptr, writeFile(folder, "site.dwg", "site v2\n"), m_names[0]);
    site->SetProperty("maintainlock", "true");
    tree.add(site, folder + QStringLiteral("/ref.dxf"), m_names[1]);
    QVERIFY(connector()->CheckIn(tree.root()));

    const Record after = find(QStringLiteral("ref.dxf"));
    const Record siteAfter = find(QStringLiteral("site.dwg"));
    QCOMPARE(valueOf(after.get(), "_filemodified"), valueOf(before.get(), "_filemodified"));
    QCOMPARE(valueOf(after.get(), "revision"), valueOf(before.get(), "revision"));
    QCOMPARE(valueOf(siteAfter.get(), "revision"), QStringLiteral("2"));
    QCOMPARE(valueOf(siteAfter.get(), "_LockedBy"), QStringLiteral("alice"));
    QCOMPARE(valueOf(siteAfter.get(), "phid"), valueOf(siteBefore.get(), "phid"));
}

void TestConnectorWrite::lockHeldByOneBlocksTheOther()
{
    // Alice holds the lock on site.dwg since her last check-in.
    QVERIFY(signIn(*m_platform, QStringLiteral("bob"), QStringLiteral("bob-demo-pw")));
    const Record site = find(QStringLiteral("site.dwg"));
    QCOMPARE(valueOf(site.get(), "_LockedBy"), QStringLiteral("alice"));
    QVERIFY(!connector()->LockFile(site.get()));
    QVERIFY(!connector()->Delete_Block({site.get()}));

    // The holder gives the lock up; now the other user may take it.
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    QVERIFY(connector()->UnlockFile(site.get()));
    QCOMPARE(valueOf(site.get(), "_LockedBy"), QString());
    QVERIFY(signIn(*m_platform, QStringLiteral("bob"), QStringLiteral("bob-demo-pw")));
    QVERIFY(connector()->LockFile(site.get()));
    QCOMPARE(valueOf(site.get(), "_LockedBy"), QStringLiteral("bob"));
}

void TestConnectorWrite::refusedCheckInLeavesNothing()
{
    // Carol's tree holds a new version of deck.dwg, which bob has locked: none of it is stored.
    QVERIFY(signIn(*m_platform, QStringLiteral("carol"), QStringLiteral("carol-demo-pw")));
    const QString folder = m_dir.filePath(QStringLiteral("refused"));
    QVERIFY(QDir().mkpath(folder));
    const QStringList names = namesWanted(2);
    SaveTree tree;
    FzFileInfo *root = tree.add(nullptr, writeFile(folder, "first.dwg", "first"), names[0]);
    tree.add(root, writeFile(folder, "second.png", "second"), names[1]);
    tree.add(root, writeFile(folder, "deck.dwg", "not bob's"), QStringLiteral("AX000000002"));
    QVERIFY(!connector()->CheckIn(root));
    QCOMPARE(titlesInSpace({"first.dwg", "second.png"}), QStringList());
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
}

void TestConnectorWrite::unsavedDrawingCarriesItsChildren()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    const Record before = find(QStringLiteral("deck.dwg"));
    QCOMPARE(valueOf(before.get(), "_LockedBy"), QStringLiteral("bob"));
    const QString folder = m_dir.filePath(QStringLiteral("unsaved"));
    QVERIFY(QDir().mkpath(folder));
    const QString noteTitle = QStringLiteral("deck-schedule.pdf");
    // Alice cannot save the drawing bob holds, only the file she added to it.
    SaveTree tree;
    const QString deckName = QString::fromStdString(before->GetName());
    FzFileInfo *deck = tree.add(nullptr, folder + QStringLiteral("/deck.dwg"), deckName);
    deck->SetProperty("selected", "false");
    tree.add(deck, writeFile(folder, noteTitle, "%PDF-1.4 notes"), namesWanted(1).first());
    QVERIFY(connector()->CheckIn(tree.root()));

    const Record after = find(QStringLiteral("deck.dwg"));
    for (const char *key : {"revision", "_filemodified", "_sha256", "_LockedBy"})
        QCOMPARE(valueOf(after.get(), key), valueOf(before.get(), key));
    QCOMPARE(titlesInSpace({noteTitle}), QStringList{noteTitle});
}

QTEST_GUILESS_MAIN(TestConnectorWrite)
#include "tst_connectorwrite.moc"
