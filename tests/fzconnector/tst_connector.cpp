// The connector against a real platform filled with the demo. Sign-in and read operations.
// Writing operations: automatic names, check-in of a tree, what a partial save leaves alone,
// locks between two users and a refused check-in. The versions the platform keeps: check-ins
// with comments, the list of versions, a version's bytes landing in a folder, a drawing's
// structure as of a version, and restoring a version after a colleague's save. Its reading of
// the platform's event stream: the text read right however it is cut into pieces, a
// colleague's changes arriving while the stream is read, a reader that stops when told, and a
// stream refused once the session is gone. Then how it reaches a platform: TLS with a
// certificate it is told to trust, proxies, platforms that stall, and its guard against file
// names and contents from a platform that would harm the local disk.

#include "connectortestsupport.h"
#include "eventstreamparser.h"
#include "platformclient.h"

#include "connector/connectorplatform.h"

#include <QJsonDocument>
#include <QtTest>

#include <httplib.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace connectortest;
using Query = QMap<QString, QString>;

namespace {

const char kCaVariable[] = "FZCONNECTOR_CA_FILE";
const char kBadId[] = "0123456789ABCDEF0123456789ABCDEF";

// A server on 127.0.0.1 that serves on a thread of its own from start() until it goes.
class LocalServer : public httplib::Server
{
public:
    ~LocalServer() override { halt(); }
    // Returns once the server listens: one stopped before its thread got to listening would
    // listen for ever, and joining its thread would never end.
    void start()
    {
        m_port = bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { listen_after_bind(); });
        for (int waited = 0; !is_running() && waited < 5000; ++waited)
            QThread::msleep(1);
    }
    void halt()
    {
        stop();
        if (m_thread.joinable())
            m_thread.join();
    }
    void answerAll(const Handler &handler)
    {
        Get(".*", handler);
        Post(".*", handler);
    }
    void answerSignIn()
    {
        Post("/cas/v1/login", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("{\"token\":\"t\"}", "application/json");
        });
    }
    int port() const { return m_port; }
    QString host() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

private:
    int m_port = 0;
    std::thread m_thread;
};

// A platform that answers with whatever file name a test wants, and content whose announced
// checksum is not the one of its bytes.
class HostilePlatform : public LocalServer
{
public:
    explicit HostilePlatform(const QString &title)
    {
        const QJsonObject object{{"phid", kBadId}, {"title", title}, {"name", "AX1"},
                                 {"_filemodified", "x"}};
        answerSignIn();
        Post("/api/v1/details", [this, object](const httplib::Request &req,
                                               httplib::Response &res) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_authorizations << QString::fromStdString(req.get_header_value("Authorization"));
            }
            const QJsonObject answer{{"results", QJsonArray{object}}};
            res.set_content(QJsonDocument(answer).toJson().toStdString(), "application/json");
        });
        Get(R"(/api/v1/objects/([0-9A-F]{32}))", [object](const httplib::Request &,
                                                         httplib::Response &res) {
            res.set_content(QJsonDocument(object).toJson().toStdString(), "application/json");
        });
        Get(R"(/api/v1/objects/([0-9A-F]{32})/content)",
            [](const httplib::Request &, httplib::Response &res) {
                res.set_header("X-Aurex-SHA256", std::string(64, '0'));
                res.set_content("damaged", "application/octet-stream");
            });
        start();
    }
    // The Authorization header of each details request received.
    QStringList authorizations()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_authorizations;
    }

private:
    std::mutex m_mutex; // guards m_authorizations
    QStringList m_authorizations;
};

// What the process printed through Qt's message handler while collectPrinted was installed.
std::mutex printedMutex;
QStringList printed; // guarded by printedMutex

void collectPrinted(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    std::lock_guard<std::mutex> lock(printedMutex);
    printed << QString::fromLatin1(context.category) + QStringLiteral(": ") + message;
}

const char kSpace[] = "Common Space";

QString sha(const QString &text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

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

QStringList titlesInSpace(const QStringList &wanted)
{
    QMap<QString, QString> query{{"_TypePattern", "*"}, {"_CS", kSpace}};
    for (int i = 0; i < wanted.size(); ++i)
        query.insert(QStringLiteral("_or_title_%1").arg(i), wanted.at(i));
    const Record request = record(query);
    connector()->SearchPattern(request.get());
    return titles();
}

} // namespace

class TestConnector : public QObject
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
    }

    // The user and the spaces she sees once signed in, nothing when not: the right password
    // (carol is not a member of "Bridge Project": it is not even listed), a wrong one, and an
    // unknown tenant.
    void passwordSignIn()
    {
        const QString host = m_platform->serverHost();
        QStringList seen;
        for (const auto &[user, password, tenant] :
             {std::tuple{"carol", "carol-demo-pw", ""}, {"alice", "bob-demo-pw", ""},
              {"alice", "alice-demo-pw", "nowhere"}}) {
            connector()->SetTenant(tenant);
            connector()->SetServer(host);
            const bool signedIn = connector()->LxGatepassLogin(user, password, host, QString(),
                                                               m_platform->casUrl());
            connector()->SetTenant(QString());
            QString first, last, email, login, shown = signedIn ? "in: " : "out: ";
            if (connector()->GetUserInfo(&first, &last, &email, &login))
                shown += QStringLiteral("%1 %2 <%3> %4: ").arg(first, last, email, login);
            QStringList spaces;
            for (const std::string &space : connector()->GetListOfCollaborativeSpaces())
                spaces << QString::fromStdString(space);
            seen << shown + spaces.join(QStringLiteral(", "));
        }
        QCOMPARE(seen, (QStringList{"in: Carol Jensen <carol@example.com> carol: Common Space, "
                                    "Harbour Works",
                                    "out: ", "out: "}));
    }

    // bob's cookie signs in to the space named, or to his preferred one when the launcher asks
    // for it; a cookie the platform never issued signs nobody in.
    void cookieSignIn()
    {
        QStringList seen; // whether signed in, and the first space
        for (const auto &[preferred, issued] :
             {std::pair{false, true}, {true, true}, {false, false}}) {
            const QString cookie = issued ? m_platform->issueCookie("bob") : QString(43, 'A');
            connector()->UsePreferredContext(preferred);
            const bool signedIn = connector()->LoginWithCASCookie_Block(
                cookie, "Bridge Project", m_platform->serverHost(), m_platform->casUrl());
            connector()->UsePreferredContext(false);
            const std::vector<std::string> spaces = connector()->GetListOfCollaborativeSpaces();
            seen << QString(signedIn ? "in: " : "out: ")
                    + (spaces.empty() ? QString() : QString::fromStdString(spaces.front()));
        }
        QCOMPARE(seen, (QStringList{"in: Bridge Project", "in: Common Space", "out: "}));
    }

    // A page limit, a title pattern in one space, and wildcards of SQL that are plain
    // characters: the titles found, in the platform's order.
    void search()
    {
        QVERIFY(signIn(*m_platform, "alice"));
        QList<QStringList> found;
        for (const Query &query :
             {Query{{"_TypePattern", "ACAD Drawing"}, {"_Pagelimit", "2"}},
              Query{{"_CS", "Common Space"}, {"_TypePattern", "ACAD Drawing"},
                    {"_TitlePattern", "*e*"}},
              Query{{"_TypePattern", "ACAD Drawing"}, {"_TitlePattern", "%"}}}) {
            const Record request = record(query);
            found << (connector()->SearchPattern(request.get()) ? titles()
                                                                : QStringList{"refused"});
        }
        QCOMPARE(found, (QList<QStringList>{{"bridge.dwg", "core.dwg"},
                                            {"bridge.dwg", "deck.dwg", "piers.dxf", "rebar.dxf"},
                                            {}}));
    }

    void structureListsAndDownloadsEveryReferenceOnce()
    {
        QVERIFY(signIn(*m_platform, "alice"));
        const Record unknown = record({{"phid", QString(32, '0')}});
        QVERIFY(!connector()->GetStructure_Block(unknown.get()));
        QCOMPARE(connector()->GetTransactionListSize(), 0);
        const Record bridge = find(QStringLiteral("bridge.dwg"));
        QVERIFY(connector()->GetStructure_Block(bridge.get()));
        QStringList listed = titles(true);
        QCOMPARE(listed.value(0), QStringLiteral("bridge.dwg"));
        listed.sort();
        // rebar.dxf is referenced by both deck.dwg and piers.dxf; the preview is no reference.
        QCOMPARE(listed, (QStringList{"bridge.dwg", "deck-photo.png", "deck.dwg", "load-table.pdf",
                                      "logo.png", "piers.dxf", "rebar.dxf"}));

        const QString folder = m_dir.filePath(QStringLiteral("structure"));
        QVERIFY(QDir().mkpath(folder));
        std::vector<Record> records;
        std::vector<FzFileInfo *> pointers;
        for (int i = 0; i < connector()->GetTransactionListSize(); ++i) {
            records.push_back(std::make_unique<FzFileInfo>(*connector()->GetTransactionFileAt(i)));
            records.back()->SetProperty("_LOCALDOWNLOADFOLDER", folder.toStdString());
            pointers.push_back(records.back().get());
        }
        QCOMPARE(connector()->Download_Block(pointers), std::vector<std::string>());
        QCOMPARE(filesIn(folder), listed);
        for (const Record &downloaded : records) {
            const QString path = folder + QLatin1Char('/') + valueOf(downloaded.get(), "filename");
            QCOMPARE(sha256Of(path), valueOf(downloaded.get(), "_sha256").toLatin1());
        }
        // A record the platform does not know is one failure; the others still arrive.
        Record ghost = record({{"phid", "0123456789ABCDEF0123456789ABCDEF"}, {"title", "ghost.dwg"},
                               {"_LOCALDOWNLOADFOLDER", folder}});
        QCOMPARE(connector()->Download_Block({ghost.get(), pointers.front()}),
                 std::vector<std::string>{"ghost.dwg: not found on the platform"});

        // One object by its id, into the working folder; an id that is a path is refused.
        const QString single = m_dir.filePath(QStringLiteral("single"));
        QVERIFY(QDir().mkpath(single));
        connector()->SetWorkingDirectory(single);
        QCOMPARE(connector()->Download_Block(valueOf(bridge.get(), "phid")),
                 QStringLiteral("/bridge.dwg"));
        QCOMPARE(sha256Of(single + QStringLiteral("/bridge.dwg")),
                 valueOf(bridge.get(), "_sha256").toLatin1());
        QCOMPARE(connector()->Download_Block(QStringLiteral("../../etc/passwd")), QString());
    }

    void currentLocalCopyIsNotTransferredAgain()
    {
        QVERIFY(signIn(*m_platform, "alice"));
        const QString folder = m_dir.filePath(QStringLiteral("current"));
        QVERIFY(QDir().mkpath(folder));
        const Record rebar = find(QStringLiteral("rebar.dxf"));
        QFile local(writeFile(folder, QStringLiteral("rebar.dxf"), "edited locally\n"));

        rebar->SetProperty("_LOCALTIMESTAMP", rebar->GetProperty("_filemodified"));
        QCOMPARE(downloadInto(rebar.get(), folder), std::vector<std::string>());
        QCOMPARE(valueOf(rebar.get(), "filename"), QStringLiteral("rebar.dxf"));
        QVERIFY(local.open(QIODevice::ReadOnly));
        QCOMPARE(local.readAll(), QByteArray("edited locally\n"));

        // An older local stamp means the platform's version replaces the local file.
        rebar->SetProperty("_LOCALTIMESTAMP", "2001/01/01@00:00:00:GMT");
        QCOMPARE(downloadInto(rebar.get(), folder), std::vector<std::string>());
        QCOMPARE(sha256Of(local.fileName()), valueOf(rebar.get(), "_sha256").toLatin1());
    }

    // The reads above see the demo as it was; the writes below change it.
    void checkInNewTree()
    {
        QVERIFY(signIn(*m_platform, "alice"));
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
        QCOMPARE(titles(true).join(' '), "site.dwg ref.dxf photo.png schedule.pdf");

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
        QVERIFY(signIn(*m_platform, "bob"));
        const Record site = find(QStringLiteral("site.dwg"));
        QCOMPARE(valueOf(site.get(), "_LockedBy"), QStringLiteral("alice"));
        QVERIFY(!connector()->LockFile(site.get()));
        QVERIFY(!connector()->Delete_Block({site.get()}));

        // The holder gives the lock up; now the other user may take it.
        QVERIFY(signIn(*m_platform, "alice"));
        QVERIFY(connector()->UnlockFile(site.get()));
        QCOMPARE(valueOf(site.get(), "_LockedBy"), QString());
        QVERIFY(signIn(*m_platform, "bob"));
        QVERIFY(connector()->LockFile(site.get()));
        QCOMPARE(valueOf(site.get(), "_LockedBy"), QStringLiteral("bob"));
    }

    void refusedCheckInLeavesNothing()
    {
        // Carol's tree holds a new version of deck.dwg, which bob has locked: none of it is stored.
        QVERIFY(signIn(*m_platform, "carol"));
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
        QVERIFY(signIn(*m_platform, "alice"));
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

    // The versions with who saved each and why. A version's bytes land in a folder under its
    // title or a name of the caller's, only the finished file, never a part; nothing lands for
    // a name that leaves the folder or a version that never was.
    void versionsSayWhoAndWhyAndLandInAFolder()
    {
        const Record plan = saveThreeVersions(*m_platform, m_dir.path(), "cv-plan.dwg", kSpace);
        QVERIFY(plan);
        QVERIFY(connector()->GetVersions_Block(plan.get()));
        QCOMPARE(transactionLines({"title", "revision", "_ModifiedBy", "_Comment", "_sha256"}),
                 (QStringList{"cv-plan.dwg|3|alice|third|" + sha("version 3 of cv-plan.dwg"),
                              "cv-plan.dwg|2|bob|second|" + sha("version 2 of cv-plan.dwg"),
                              "cv-plan.dwg|1|alice|first|" + sha("version 1 of cv-plan.dwg")}));
        QStringList landed;
        for (const auto &[revision, fileName] :
             {std::pair{1, QString()}, {2, QString("plan (version 2).dwg")},
              {2, QString("../plan.dwg")}, {9, QString()}}) {
            QTemporaryDir folder;
            const QString path =
                connector()->DownloadVersion_Block(plan.get(), revision, folder.path(), fileName);
            const bool itsBytes = QString::fromLatin1(sha256Of(path))
                == sha(QStringLiteral("version %1 of cv-plan.dwg").arg(revision));
            landed << filesIn(folder.path()).join(' ') + " at "
                    + QString(path).replace(folder.path(), "DIR")
                    + (itsBytes ? "" : " not its bytes");
        }
        QCOMPARE(landed, (QStringList{"cv-plan.dwg at DIR/cv-plan.dwg",
                                      "plan (version 2).dwg at DIR/plan (version 2).dwg",
                                      " at  not its bytes", " at  not its bytes"}));
    }

    void structureAsOfAVersion()
    {
        QVERIFY(signIn(*m_platform, "alice"));
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
        QVERIFY(signIn(*m_platform, "alice"));
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
        QVERIFY(signIn(*m_platform, "alice"));
        Record plan = find("cv-plan.dwg");
        QVERIFY(plan);
        // bob saves a fourth version after alice's copy was made.
        QVERIFY(signIn(*m_platform, "bob"));
        const QString path = writeFile(m_dir.path(), "cv-plan.dwg", "version 4 of cv-plan.dwg");
        QVERIFY(connector()->CheckIn(fileRecord(path, plan->GetName(), kSpace).get(), "fourth"));

        QVERIFY(signIn(*m_platform, "alice"));
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

    // A byte at a time, three at a time, all at once.
    void streamTextIsReadInAnyPieces()
    {
        const QByteArray text = ": connected\nretry: 2000\n\n"
                                "id: 7\nevent: lock\ndata: {\"a\":1}\n\n"
                                "id: 8\r\nevent: checkin\r\ndata: first\r\ndata: second\r\n\r\n"
                                ": keep-alive\n\n"
                                "data: no name, id kept\rextra: ignored\r\r"
                                "event: resync\ndata: {}\n\n"
                                "event: unfinished\ndata: x\n";
        for (const int piece : {1, 3, 100000}) {
            QStringList events;
            EventStreamParser parser([&events](const QString &id, const QString &name,
                                               const QByteArray &data) {
                events << id + "|" + name + "|" + QString::fromUtf8(data);
            });
            for (int at = 0; at < text.size(); at += piece)
                parser.feed(text.constData() + at, size_t(qMin(piece, text.size() - at)));
            QVERIFY2(events == QStringList({"7|lock|{\"a\":1}", "8|checkin|first\nsecond",
                                            "8|message|no name, id kept", "8|resync|{}"}),
                     qPrintable(QString::number(piece) + " at a time: " + events.join(", ")));
        }
    }

    // bob's lock and unlock reach alice's stream while it is read; told to stop, the reader
    // ends at once with the stream's status.
    void changesArriveWhileTheStreamIsRead()
    {
        QVERIFY(signIn(*m_platform, "alice"));
        PlatformClient bob(m_platform->serverHost());
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        const QJsonObject deck{{"phid", bob.find("deck.dwg")["phid"]}};

        std::mutex mutex; // guards seen
        QStringList seen;
        const auto seenNow = [&] {
            std::lock_guard<std::mutex> lock(mutex);
            return seen;
        };
        std::atomic<bool> wanted{true};
        std::atomic<int> status{-1};
        std::thread reader([&] {
            status = connector()->ReadEvents_Block(
                QString(),
                [&](const QString &id, const QString &name, const QByteArray &data) {
                    const QJsonObject event = QJsonDocument::fromJson(data).object();
                    std::lock_guard<std::mutex> lock(mutex);
                    seen << name + " " + event["title"].toString() + " "
                            + event["user"].toString() + (id.toLongLong() > 0 ? "" : " no id");
                },
                [&] { return wanted.load(); });
        });
        // The stream opens before bob acts: a lock made before it would not be in it. It is
        // open once an event of his comes; he locks and unlocks until one has.
        QTRY_VERIFY_WITH_TIMEOUT((bob.post("/api/v1/lock", {{"ref", deck}}),
                                  bob.post("/api/v1/unlock", {{"ref", deck}}),
                                  !seenNow().isEmpty()),
                                 10000);
        // Events come in the order they happened: once the unlock of rebar.dxf has come, so
        // has everything before it.
        const QJsonObject rebar{{"phid", bob.find("rebar.dxf")["phid"]}};
        QCOMPARE(bob.post("/api/v1/lock", {{"ref", rebar}}), 200);
        QCOMPARE(bob.post("/api/v1/unlock", {{"ref", rebar}}), 200);
        QTRY_VERIFY(seenNow().contains("unlock rebar.dxf bob"));
        QElapsedTimer stopping;
        stopping.start();
        wanted = false;
        reader.join();
        QVERIFY2(stopping.elapsed() < 2000, qPrintable(QString::number(stopping.elapsed())));
        QCOMPARE(status.load(), 200);
        // Each event came once, with its id, in order: deck.dwg's (the stream may have begun
        // between a lock and its unlock), then rebar.dxf's.
        QStringList all = seenNow();
        QCOMPARE(all.mid(all.size() - 2),
                 QStringList({"lock rebar.dxf bob", "unlock rebar.dxf bob"}));
        all = all.mid(0, all.size() - 2);
        if (!all.isEmpty() && all.first().startsWith("unlock"))
            all.removeFirst();
        for (int i = 0; i < all.size(); ++i)
            QCOMPARE(all.at(i), QString(i % 2 ? "unlock deck.dwg bob" : "lock deck.dwg bob"));
    }

    // With the session gone on the platform, the stream is refused and the connector's
    // session-ended handler runs, as for any call.
    void aStreamWithoutSessionIsRefused()
    {
        QVERIFY(signIn(*m_platform, "alice"));
        std::atomic<int> ended{0};
        connector()->SetSessionEndedHandler([&ended] { ++ended; });
        QVERIFY(m_platform->change({"DELETE FROM sessions"}));
        const int status = connector()->ReadEvents_Block(
            QString(), [](const QString &, const QString &, const QByteArray &) {},
            [] { return true; });
        connector()->SetSessionEndedHandler(nullptr);
        QCOMPARE(status, 401);
        QCOMPARE(ended.load(), 1);
    }

    // The tests below sign in to platforms of their own.
    // A file name that would leave the download folder, or content that is not what the
    // platform announced: nothing lands, and the user's own copy of a file stays as it was.
    void hostileDownloadsLeaveTheDiskAlone_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("reason"); // the failure's
        QTest::newRow("parent folder") << "../escape.dwg" << "not a file name";
        QTest::newRow("backslash parent folder") << "..\\escape.dwg" << "not a file name";
        QTest::newRow("absolute path") << "/tmp/escape.dwg" << "not a file name";
        QTest::newRow("damaged content") << "plain.dwg" << "arrived damaged";
    }

    void hostileDownloadsLeaveTheDiskAlone()
    {
        QFETCH(QString, title);
        QFETCH(QString, reason);
        HostilePlatform platform(title);
        QVERIFY(connector()->LxGatepassLogin("u", "p", platform.host(), QString(), "/cas"));
        const QDir outer(m_dir.filePath(QTest::currentDataTag()));
        const QString folder = outer.filePath(QStringLiteral("inner"));
        QVERIFY(QDir().mkpath(folder));
        QFile own(writeFile(folder, QStringLiteral("plain.dwg"), "the user's own copy"));
        Record request = record({{"phid", kBadId}});
        const std::vector<std::string> failures = downloadInto(request.get(), folder);
        QCOMPARE(failures.size(), size_t(1));
        QVERIFY2(QString::fromStdString(failures.front()).contains(reason),
                 failures.front().c_str());
        QCOMPARE(valueOf(request.get(), "filename"), QString());
        connector()->SetWorkingDirectory(folder);
        QCOMPARE(connector()->Download_Block(QString::fromLatin1(kBadId)), QString());
        // No temporary file is left behind either.
        const QDir::Filters all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
        QCOMPARE(outer.entryList(all), QStringList{"inner"});
        QCOMPARE(QDir(folder).entryList(all), QStringList{"plain.dwg"});
        QVERIFY(own.open(QIODevice::ReadOnly));
        QCOMPARE(own.readAll(), QByteArray("the user's own copy"));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/escape.dwg")));
    }

    void tokenNeverReachesAnotherServer()
    {
        HostilePlatform first(QStringLiteral("plain.dwg"));
        HostilePlatform second(QStringLiteral("plain.dwg"));
        Record request = record({{"phid", kBadId}});
        QVERIFY(connector()->LxGatepassLogin("u", "p", first.host(), QString(), "/cas"));
        downloadInto(request.get(), m_dir.path());
        QCOMPARE(first.authorizations(), QStringList{"Bearer t"});
        connector()->SetServer(second.host());
        downloadInto(request.get(), m_dir.path());
        QCOMPARE(second.authorizations(), QStringList());
    }

    void tlsWithTrustedCertificate()
    {
        const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                       "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
        if (!openssl.waitForStarted())
            QSKIP("the openssl command is not installed (scripts/setup installs it)");
        QVERIFY(openssl.waitForFinished(30000));
        QCOMPARE(openssl.exitCode(), 0);

        PlatformProcess platform(
            PlatformProcess::Options{false, {"--cert", cert, "--key", key}, {}});
        QString error;
        QVERIFY2(platform.start(&error), qPrintable(error));
        QVERIFY(platform.addUser(QStringLiteral("grace"), QStringLiteral("grace-password")));
        QVERIFY(platform.addSpace(QStringLiteral("Secure Space"), {QStringLiteral("grace")}));
        // The module hands a https platform over without its scheme.
        const QString host = QStringLiteral("127.0.0.1:%1").arg(platform.port());

        // Not trusted: the user reads why, not that the password is wrong.
        qunsetenv(kCaVariable);
        QVERIFY(!connector()->LxGatepassLogin("grace", "grace-password", host, QString(), "/cas"));
        QCOMPARE(connector()->GetCertificateProblem(), QString("self-signed certificate"));
        ConnectorPlatform platformGlue(connector());
        QCOMPARE(platformGlue.failureText("Authentication failed"),
                 QString("The AUREX Platform's certificate is not trusted: self-signed "
                         "certificate."));
        // Trusted, and for a call over plain HTTP, no certificate problem is left.
        qputenv(kCaVariable, cert.toLocal8Bit());
        QVERIFY(connector()->LxGatepassLogin("grace", "grace-password", host, QString(), "/cas"));
        QCOMPARE(connector()->GetCertificateProblem(), QString());
        QCOMPARE(connector()->GetListOfCollaborativeSpaces(),
                 std::vector<std::string>{"Secure Space"});
        qunsetenv(kCaVariable);
    }

    void requestsGoThroughTheProxy_data()
    {
        QTest::addColumn<bool>("answers"); // else it refuses, echoing what it received
        QTest::newRow("proxy answers for the platform") << true;
        QTest::newRow("proxy refuses, echoing what it received") << false;
    }

    void requestsGoThroughTheProxy()
    {
        QFETCH(bool, answers);
        LocalServer server;
        QStringList seen;
        QString authorization;
        std::mutex mutex;
        server.answerAll([&](const httplib::Request &request, httplib::Response &response) {
            const std::string sent = request.get_header_value("Proxy-Authorization");
            {
                std::lock_guard<std::mutex> lock(mutex);
                seen << QString::fromStdString(request.path);
                authorization = QString::fromStdString(sent);
            }
            if (answers) {
                response.set_content(request.path.find("/cas/") != std::string::npos
                                         ? "{\"token\":\"t\"}"
                                         : "{\"spaces\":[\"Via Proxy\"]}",
                                     "application/json");
                return;
            }
            response.status = 407;
            const QByteArray credentials = QByteArray::fromBase64(QByteArray(sent.data()).mid(6));
            const QJsonObject answer{{"error", QStringLiteral("refused %1 (%2) for %3")
                                                   .arg(QString::fromStdString(sent),
                                                        QString::fromUtf8(credentials),
                                                        QString::fromStdString(request.body))}};
            response.set_content(QJsonDocument(answer).toJson().toStdString(), "application/json");
        });
        server.start();

        QLoggingCategory::setFilterRules(QStringLiteral("fzconnector.debug=true"));
        printed.clear();
        const QtMessageHandler previous = qInstallMessageHandler(&collectPrinted);
        connector()->SetProxySettings(QStringLiteral("127.0.0.1"), server.port(),
                                      QStringLiteral("puser"), QStringLiteral("ppass"));
        const bool signedIn = connector()->LxGatepassLogin("u", "u-secret-pw", "http://127.0.0.1:1",
                                                           QString(), "/cas");
        const std::vector<std::string> spaces = connector()->GetListOfCollaborativeSpaces();
        connector()->SetProxySettings(QString(), 0, QString(), QString());
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        server.halt();
        const QString output = printed.join(QLatin1Char('\n'));

        QCOMPARE(signedIn, answers);
        QCOMPARE(spaces,
                 answers ? std::vector<std::string>{"Via Proxy"} : std::vector<std::string>());
        // A forwarding proxy sees absolute addresses; this one answers for the platform itself.
        const QString login = QStringLiteral("http://127.0.0.1:1/cas/v1/login");
        QCOMPARE(seen, (answers ? QStringList{login, "http://127.0.0.1:1/api/v1/spaces"}
                                : QStringList{login}));
        QCOMPARE(authorization, QStringLiteral("Basic ") + QByteArray("puser:ppass").toBase64());
        // What a refusing proxy says is printed; the secrets it was sent are not.
        QVERIFY2(output.contains(QStringLiteral("407")) == !answers, qPrintable(output));
        for (const char *secret : {"ppass", "cHVzZXI6cHBhc3M=", "u-secret-pw"})
            QVERIFY2(!output.contains(QLatin1String(secret)), qPrintable(output));
    }

    // A platform that signs anyone in, then takes requests and never answers them.
    void stalledPlatformLetsTheCallerGo()
    {
        std::atomic<bool> released{false};
        LocalServer platform;
        platform.answerSignIn();
        platform.answerAll([&released](const httplib::Request &, httplib::Response &) {
            while (!released)
                QThread::msleep(10);
        });
        platform.start();
        const auto release = qScopeGuard([&released] { released = true; });
        qputenv("FZCONNECTOR_TIMEOUT", "2");
        QVERIFY(connector()->LxGatepassLogin("u", "p", platform.host(), QString(), "/cas"));
        const Record query = record({{"_TypePattern", "*"}});
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!connector()->SearchPattern(query.get()));
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        qunsetenv("FZCONNECTOR_TIMEOUT");
    }

    void signedOutCallsFail()
    {
        const QString nowhere = QStringLiteral("http://127.0.0.1:1");
        connector()->SetServer(nowhere);
        QVERIFY(!connector()->LxGatepassLogin("alice", "alice-demo-pw", nowhere, QString(),
                                              "/cas"));
        QVERIFY(connector()->GetListOfCollaborativeSpaces().empty());
        QVERIFY(!connector()->Search());
        QCOMPARE(connector()->GetSearchListSize(), 0);
        QVERIFY(connector()->GetSearchFileAt(0) == nullptr);
        QCOMPARE(connector()->Download_Block("0123456789ABCDEF0123456789ABCDEF"), QString());
    }

private:
    std::unique_ptr<PlatformProcess> m_platform;
    QTemporaryDir m_dir;
    QStringList m_names; // site.dwg, ref.dxf, photo.png, schedule.pdf
};

QTEST_GUILESS_MAIN(TestConnector)
#include "tst_connector.moc"
