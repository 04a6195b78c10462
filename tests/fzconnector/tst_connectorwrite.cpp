// The connector's writing operations against a real platform: automatic names, check-in of a
// tree, what a partial save leaves alone, locks between two users and a refused check-in.

#include "connectortestsupport.h"

#include <QtTest>

using namespace connectortest;

namespace {

const char kSpace[] = "Common Space";

// A save tree as the save dialog builds it: records linked to their parents with SetParent,
// for files of one folder.
class SaveTree
{
public:
    explicit SaveTree(const QString &folder) : m_folder(folder) { QDir().mkpath(folder); }
    // The file of that title, written first when there is content for it.
    FzFileInfo *add(FzFileInfo *parent, const QString &title, const QString &name,
                    const QByteArray &content = QByteArray(),
                    const char *relation = "CADSubcomponent")
    {
        if (!content.isNull())
            writeFile(m_folder, title, content);
        m_records.push_back(std::make_unique<FzFileInfo>());
        FzFileInfo *record = m_records.back().get();
        const QString path = m_folder + QLatin1Char('/') + title;
        record->SetPath(QString(path).replace(QLatin1Char('/'), QLatin1Char('\\')).toStdString());
        record->SetTitle(title.toStdString());
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
    QString m_folder;
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
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QString error;
        m_platform = PlatformProcess::startDemo(&error);
        QVERIFY2(m_platform, qPrintable(error));
        QVERIFY(m_dir.isValid());
        QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    }

    void checkInNewTree()
    {
        m_names = namesWanted(4);
        SaveTree tree(m_dir.filePath(QStringLiteral("work")));
        FzFileInfo *site = tree.add(nullptr, "site.dwg", m_names[0], "site v1\n");
        site->SetProperty("_Format", "dwg");
        site->SetProperty("_OwnsChildren", "true");
        tree.add(site, "site.jpg", m_names[0] + ".jpg", "\xFF\xD8preview v1", "DerivedOutputOf");
        FzFileInfo *ref = tree.add(site, "ref.dxf", m_names[1], "ref v1\n");
        tree.add(ref, "photo.png", m_names[2], "png v1");
        tree.add(site, "schedule.pdf", m_names[3], "%PDF-1.4 v1")->SetProperty("type", "pdf");
        QVERIFY(connector()->CheckIn(tree.root()));

        // What the save dialog does next: look the files up by the names it sent.
        std::vector<Record> lookups;
        std::vector<FzFileInfo *> pointers;
        const QStringList types{"ACAD Drawing", "ACAD Drawing", "ACAD Insert", "ACAD Insert"};
        for (int i = 0; i < m_names.size(); ++i) {
            lookups.push_back(
                record({{"revision", "---"}, {"name", m_names[i]}, {"type", types[i]}}));
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

    void checkInChangesOnlyWhatChanged()
    {
        QVERIFY(!m_names.isEmpty());
        const Record before = find(QStringLiteral("ref.dxf"));
        const Record siteBefore = find(QStringLiteral("site.dwg"));
        QThread::sleep(1); // stamps have a resolution of one second
        SaveTree tree(m_dir.filePath(QStringLiteral("work")));
        FzFileInfo *site = tree.add(nullptr, "site.dwg", m_names[0], "site v2\n");
        site->SetProperty("maintainlock", "true");
        tree.add(site, "ref.dxf", m_names[1]);
        QVERIFY(connector()->CheckIn(tree.root()));

        const Record after = find(QStringLiteral("ref.dxf"));
        const Record siteAfter = find(QStringLiteral("site.dwg"));
        QCOMPARE(valueOf(after.get(), "_filemodified"), valueOf(before.get(), "_filemodified"));
        QCOMPARE(valueOf(after.get(), "revision"), valueOf(before.get(), "revision"));
        // A new version, still held by its author.
        QCOMPARE(valueOf(siteAfter.get(), "revision") + ' ' + valueOf(siteAfter.get(), "_LockedBy"),
                 QStringLiteral("2 alice"));
        QCOMPARE(valueOf(siteAfter.get(), "phid"), valueOf(siteBefore.get(), "phid"));
    }

    void lockHeldByOneBlocksTheOther()
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

    void refusedCheckInLeavesNothing()
    {
        // Carol's tree holds a new version of deck.dwg, which bob has locked: none of it is stored.
        QVERIFY(signIn(*m_platform, QStringLiteral("carol"), QStringLiteral("carol-demo-pw")));
        const QStringList names = namesWanted(2);
        SaveTree tree(m_dir.filePath(QStringLiteral("refused")));
        FzFileInfo *root = tree.add(nullptr, "first.dwg", names[0], "first");
        tree.add(root, "second.png", names[1], "second");
        tree.add(root, "deck.dwg", QStringLiteral("AX000000002"), "not bob's");
        QVERIFY(!connector()->CheckIn(root));
        QCOMPARE(titlesInSpace({"first.dwg", "second.png"}), QStringList());
    }

    void unsavedDrawingCarriesItsChildren()
    {
        QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
        const Record before = find(QStringLiteral("deck.dwg"));
        QCOMPARE(valueOf(before.get(), "_LockedBy"), QStringLiteral("bob"));
        const QString noteTitle = QStringLiteral("deck-schedule.pdf");
        // Alice cannot save the drawing bob holds, only the file she added to it.
        SaveTree tree(m_dir.filePath(QStringLiteral("unsaved")));
        const QString deckName = QString::fromStdString(before->GetName());
        FzFileInfo *deck = tree.add(nullptr, "deck.dwg", deckName);
        deck->SetProperty("selected", "false");
        tree.add(deck, noteTitle, namesWanted(1).first(), "%PDF-1.4 notes");
        QVERIFY(connector()->CheckIn(tree.root()));

        const Record after = find(QStringLiteral("deck.dwg"));
        for (const char *key : {"revision", "_filemodified", "_sha256", "_LockedBy"})
            QCOMPARE(valueOf(after.get(), key), valueOf(before.get(), key));
        QCOMPARE(titlesInSpace({noteTitle}), QStringList{noteTitle});
    }

private:
    std::unique_ptr<PlatformProcess> m_platform;
    QTemporaryDir m_dir;
    QStringList m_names; // site.dwg, ref.dxf, photo.png, schedule.pdf
};

QTEST_GUILESS_MAIN(TestConnectorWrite)
#include "tst_connectorwrite.moc"
