// The save set of a drawing in the real host: its references (nested, missing, referenced
// twice), images and PDFs, in memory for the drawing itself and from disk for its references.
// And the details query against a real platform: local copies made as a download makes them,
// the platform's answers keyed by platform name, and nothing asked for unknown files or while
// signed out.

#include "dxftesthelpers.h"
#include "hostenvironment.h"
#include "savetestsupport.h"

#include "connector/connectorplatform.h"
#include "connector/recordlist.h"
#include "drawingset/detailsquery.h"
#include "drawingset/referencetree.h"
#include "drawingset/referencetreebuilder.h"
#include "session/showaurextaskpane.h"
#include "support/jobcontrol.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include <commandprocessor.h>
#include <filecommands.h>
#include <oddbdatabase.h>
#include <oddbhostappservices.h>
#include <referencecommands.h>

#include <QImage>
#include <QtTest>

namespace {

// One line per node, indented by depth: "name kind path", with the test folder as "DIR".
void render(const ReferenceNode *node, const QString &dir, int depth, QStringList *lines)
{
    const QString path = QString(node->path).replace(dir, "DIR");
    lines->append(QString(depth * 2, ' ')
                  + QStringLiteral("%1 %2 %3").arg(node->name).arg(node->kind).arg(path).trimmed());
    for (const ReferenceNode *child : node->children) {
        QVERIFY(child->parent == node);
        render(child, dir, depth + 1, lines);
    }
}

// Lays out in dir host.dxf, which references parts\\bolt.dwg (which references nut.dxf) and a
// missing drawing, a found and a missing image, a found and a missing PDF; and extra.png.
// bolt.dwg is left to the caller unless withBolt.
bool layOut(const QString &dir, bool withBolt)
{
    bool done = true;
    for (const char *file : {"host.dxf", "parts/nut.dxf", "parts/bolt.dwg"}) {
        if (withBolt || QByteArray(file) != "parts/bolt.dwg")
            done = done
                && DxfTest::copySample(QStringLiteral("ezdxf/refs/") + file, dir + '/' + file);
    }
    QImage picture(8, 4, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    return done && picture.save(dir + "/logo.png") && picture.save(dir + "/extra.png")
        && DxfTest::writeBytes(dir + "/plan.pdf", "%PDF-1.4\n%%EOF\n");
}

} // namespace

class TestReferenceTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid() && layOut(m_dir.path(), true));
        QString error;
        QVERIFY2(m_fixture.start("alice", &error), qPrintable(error));
        m_folder = m_fixture.home.filePath(QStringLiteral("models"));
        QVERIFY(QDir().mkpath(m_folder));
        m_names = savetest::download(QStringLiteral("bridge.dwg"), m_folder);
        QCOMPARE(m_names.size(), 7);
    }

    void collectsReferencesImagesAndPdfs()
    {
        // Without a drawing there is no tree.
        ReferenceTree empty;
        QVERIFY(activeTree(empty).isEmpty() && empty.count() == 0);

        // bolt.dwg gets an image on disk: the host drawing in memory does not see it, the tree
        // reads it from bolt's file.
        // nut.dxf gets a PDF the same way; it stands twice below, read once, listed each time.
        CommandProcessor commands;
        for (const char *attach : {"parts/bolt.dwg|_ATTACHIMAGE ../logo.png",
                                   "parts/nut.dxf|_ATTACHPDF ../plan.pdf"}) {
            commands.runLine("_OPEN " + path(QString(attach).section('|', 0, 0)), false);
            QCOMPARE(commands.runLine(QString(attach).section('|', 1), false), 5100);
            QCOMPARE(commands.runLine("_SAVE", false), 5100);
            commands.runLine("_CLOSE", false);
        }
        commands.runLine("_OPEN " + path("host.dxf"), false);
        // Not saved: the image counts from the drawing in memory. nut.dxf now stands twice.
        QCOMPARE(commands.runLine("_ATTACHIMAGE extra.png", false), 5100);
        QCOMPARE(commands.runLine("_ATTACHDRAWING parts/nut.dxf", false), 5100);

        ReferenceTree tree;
        QCOMPARE(activeTree(tree), QStringList({
                                       "host.dxf 0 DIR/host.dxf",
                                       "  bolt 0 DIR/parts/bolt.dwg",
                                       "    nut 0 DIR/parts/nut.dxf",
                                       "      plan.pdf 2 DIR/plan.pdf",
                                       "    logo.png 1 DIR/logo.png",
                                       "  gone 0",
                                       "  nut 0 DIR/parts/nut.dxf",
                                       "    plan.pdf 2 DIR/plan.pdf",
                                       "  logo.png 1 DIR/logo.png",
                                       "  extra.png 1 DIR/extra.png",
                                       "  plan.pdf 2 DIR/plan.pdf",
                                       "  lost.pdf 2 ..\\elsewhere\\lost.pdf",
                                   }));
        // One entry per node (the pane's count of files); the paths list each file once and
        // leave out the missing drawing.
        QCOMPARE(tree.entries().size(), 12);
        QCOMPARE(tree.count(), 12);
        QStringList paths = tree.paths();
        paths.replaceInStrings(m_dir.path(), "DIR");
        QCOMPARE(paths, QStringList({"DIR/host.dxf", "DIR/parts/bolt.dwg", "DIR/parts/nut.dxf",
                                     "DIR/plan.pdf", "DIR/logo.png", "DIR/extra.png",
                                     "..\\elsewhere\\lost.pdf"}));
    }

    void unreadableReferenceIsListedAndTheRestIsBuilt_data()
    {
        QTest::addColumn<QByteArray>("boltBytes");
        QTest::addColumn<QString>("reason");
        QByteArray dwg("AC1032\0\0\0\0\0\0\x1d\0\x03", 16);
        dwg.append(QByteArray(300, '\x02'));
        const QByteArray nut = DxfTest::readBytes(DxfTest::dataPath("ezdxf/refs/parts/nut.dxf"));
        QVERIFY(nut.size() > 100);
        QTest::newRow("binary DWG") << dwg << "binary DWG";
        QTest::newRow("truncated by an interrupted copy") << nut.left(nut.size() / 2)
                                                          << "truncated";
        QTest::newRow("empty file") << QByteArray("") << "empty";
    }

    // A colleague's reference that this computer cannot read (a binary DWG, a file cut short)
    // must not cost the user the save set of the drawing: the reference is listed with its
    // path, the other references, images and PDFs are all there, and the drawing that cannot
    // be read gives no tree and no attachments of its own rather than ending the host.
    void unreadableReferenceIsListedAndTheRestIsBuilt()
    {
        QFETCH(QByteArray, boltBytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(dir.isValid() && layOut(dir.path(), false));
        const QString bolt = dir.filePath("parts/bolt.dwg");
        QVERIFY(DxfTest::writeBytes(bolt, boltBytes));

        // Why the reference does not load, as the host's reader says it.
        QString error;
        const OdDbDatabasePtr unreadable = m_host.appServices()->readDrawing(bolt, &error);
        QVERIFY(!unreadable);
        QVERIFY2(error.contains(reason), qPrintable(error));

        // The unreadable drawing on its own: nothing to list, nothing attached.
        ReferenceTree alone;
        QVERIFY(!buildReferenceTree(alone, unreadable.get(), bolt));
        QCOMPARE(alone.count(), 0);
        QVERIFY(!alone.root());
        QCOMPARE(scanDefinitions(unreadable.get(), "ACAD_IMAGE_DICT")
                     + scanDefinitions(unreadable.get(), "ACAD_PDFDEFINITIONS"),
                 QStringList());
        const DrawingAttachments onDisk = attachmentsOnDisk(m_host.appServices(), bolt);
        QCOMPARE(onDisk.images + onDisk.pdfs, QStringList());

        // The drawing that references it: bolt is listed where it is, without nut (which only
        // bolt's unreadable file names); the missing drawing, the image and the PDFs stand.
        CommandProcessor commands;
        commands.runLine("_OPEN " + dir.filePath("host.dxf"), false);
        ReferenceTree tree;
        const QStringList built = activeTree(tree, dir.path());
        commands.runLine("_CLOSE", false);
        QCOMPARE(built, QStringList({
                            "host.dxf 0 DIR/host.dxf",
                            "  bolt 0 DIR/parts/bolt.dwg",
                            "  gone 0",
                            "  logo.png 1 DIR/logo.png",
                            "  plan.pdf 2 DIR/plan.pdf",
                            "  lost.pdf 2 ..\\elsewhere\\lost.pdf",
                        }));
    }

    void answersEveryKnownCopyByPlatformName()
    {
        // Signed out, nothing is asked.
        ShowAurexTaskPane::instance()->endSession();
        const bool signedOutAsked =
            !queryFileDetails(*ConnectorPlatform::shared(), QString(), m_names.keys()).isEmpty();
        ShowAurexTaskPane::instance()->startSession(QString());
        QVERIFY(!signedOutAsked);
        QStringList paths = m_names.keys();
        // A file the database does not know is not asked about.
        paths.append(m_folder + QStringLiteral("/unknown.dwg"));
        const auto details = queryFileDetails(*ConnectorPlatform::shared(), QString(), paths);
        QStringList rows;
        QSet<QString> alike; // space, owner and whether the stamp reads as one
        const QString stampFormat = "yyyy'/'MM'/'dd'@'HH':'mm':'ss':GMT'";
        for (auto it = m_names.cbegin(); it != m_names.cend(); ++it) {
            const FileEntry entry = details.value(it.value());
            rows << QStringList{QFileInfo(it.key()).fileName(), entry.revision, entry.lockedBy,
                                entry.modifiedBy}
                        .join(' ');
            const bool stamped = QDateTime::fromString(entry.fileModified, stampFormat).isValid();
            alike << entry.collaborativeSpace + ", " + entry.owner + (stamped ? "" : ", no stamp");
        }
        // The demo platform's versions and locks, as a colleague would see them.
        QCOMPARE(rows, QStringList({"bridge.dwg 1  alice", "deck-photo.png 1  alice",
                                    "deck.dwg 1 bob alice", "load-table.pdf 1  alice",
                                    "logo.png 1  alice", "piers.dxf 3  alice",
                                    "rebar.dxf 1  alice"}));
        QCOMPARE(alike, QSet<QString>{"Common Space, alice"});
        QCOMPARE(details.size(), 7);
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

private:
    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    // Builds the tree of the active drawing into tree and renders it, the folder dir (by
    // default the test's) as "DIR"; empty without a drawing.
    QStringList activeTree(ReferenceTree &tree, const QString &dir = QString()) const
    {
        QStringList lines;
        if (const ReferenceNode *root = buildActiveReferenceTree(tree))
            render(root, dir.isEmpty() ? m_dir.path() : dir, 0, &lines);
        return lines;
    }

    // One host and one folder of drawings for the whole test; the commands are released
    // before the host they were made for.
    QTemporaryDir m_dir;
    savetest::Fixture m_fixture;
    QString m_folder; // of the local copies of bridge.dwg
    QMap<QString, QString> m_names; // their platform names by path
    HostEnvironment m_host;
    FileCommands m_files{m_host.documents()};
    ReferenceCommands m_references{m_host.documents(), m_host.appServices()};
};

QTEST_MAIN(TestReferenceTree)
#include "tst_referencetree.moc"
