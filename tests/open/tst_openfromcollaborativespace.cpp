// The download of a drawing with its references from a real platform into a local folder:
// what each local-copy option transfers, what the file database records, the repaired paths,
// the copies that keep local work, and the failure box.

#include "connector/connectorplatform.h"
#include "open/cssearch.h"
#include "open/opencslabel.h"
#include "open/openfromcollaborativespace.h"

#include "connector/recordbuilder.h"
#include "connector/recordfields.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include "opentestsupport.h"

#include <hostdocumentmanager.h>
#include <hostenvironment.h>
#include <testhome.h>

#include <cfxdocument.h>
#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>
#include <oddbdatabase.h>
#include <oddbxrefgraph.h>

#include <QtTest>

// One of the dialog's three local-copy options.
using Option = void (OpenFromCollaborativeSpace::*)();
Q_DECLARE_METATYPE(Option)

class TestOpenFromCollaborativeSpace : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
        QVERIFY(OpenTest::signInAsAlice(m_platform));
        m_host = std::make_unique<HostEnvironment>();
    }

    void init()
    {
        m_host->documents()->closeAll();
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->filePath("download");
        QVERIFY(QDir().mkpath(m_folder));
        QFile::remove(FileDatabase::locationFor(QString()));
    }

    // Each option shows its picture, and its words while the pointer or the keyboard is on
    // it, framed darker; a click, Enter or the space bar takes it, other keys do not. The
    // option naming the file keeps its words throughout.
    void optionsShowTheirWordsWhenPointedAt()
    {
        QPixmap picture(12, 12);
        picture.fill(Qt::darkCyan);
        OpenCSLabel option;
        option.setText("Use the latest");
        option.setUp(picture);
        OpenCSLabel fileOption;
        fileOption.setObjectName("ChoseFile_label");
        fileOption.setText("deck.dwg");
        // Both options, "text picture frame", after each event has reached them.
        QStringList seen;
        for (const QEvent::Type type : {QEvent::None, QEvent::Enter, QEvent::Leave,
                                        QEvent::FocusIn, QEvent::FocusOut}) {
            QStringList shown;
            for (OpenCSLabel *label : {&option, &fileOption}) {
                QFocusEvent event(type, Qt::TabFocusReason); // Enter and Leave read only its type
                if (type != QEvent::None)
                    QApplication::sendEvent(label, &event);
                shown << QString("%1 %2 %3").arg(
                    label->text(), label->pixmap(Qt::ReturnByValue).isNull() ? "-" : "picture",
                    label->styleSheet().contains("black") ? "dark" : "light");
            }
            seen << shown.join(" | ");
        }
        QCOMPARE(seen, (QStringList{" picture light | deck.dwg - light",
                                    "Use the latest - dark | deck.dwg - dark",
                                    " picture light | deck.dwg - light",
                                    "Use the latest - dark | deck.dwg - dark",
                                    " picture light | deck.dwg - light"}));

        QSignalSpy taken(&option, &OpenCSLabel::clicked);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_A, Qt::Key_Enter})
            QTest::keyClick(&option, key);
        QTest::mouseClick(&option, Qt::LeftButton);
        QCOMPARE(taken.count(), 4);
    }

    // A search the platform refuses says why in the platform's words; one it answers lists
    // what it found, by name or title alike.
    void aSearchSaysWhatItFoundOrWhyNot()
    {
        const auto run = [this](std::unique_ptr<FzFileInfo> query) {
            auto search = std::make_unique<CSSearch>(ConnectorPlatform::shared(),
                                                     std::move(query), m_folder);
            search->runHere();
            QStringList titles;
            for (const FzFileInfo *found : search->takeResults())
                titles << recordTitle(*found);
            return QStringList{search->errorString()} + titles;
        };
        std::unique_ptr<FzFileInfo> odd = CSSearch::query("Common Space", "deck");
        odd->SetProperty("_Colour", "red");
        QCOMPARE(run(std::move(odd)),
                 QStringList{"The AUREX Platform refused the search: unknown query key: _Colour."});
        QCOMPARE(run(CSSearch::query(QString(), "DECK")), QStringList({"", "deck.dwg"}));
    }

    void emptyFolderDownloadsRecordsRepairsAndOpens()
    {
        bool present = true;
        RecordList records = structure(&present);
        QCOMPARE(int(records.size()), OpenTest::kStructure.size());
        QVERIFY(!present);
        runOption(&OpenFromCollaborativeSpace::OverwriteAllLocalSlot, std::move(records));

        const FileDatabase database{QString()};
        for (const QString &name : OpenTest::kStructure) {
            QVERIFY2(QFileInfo(path(name)).isFile(), qPrintable(name));
            QCOMPARE(database.isLocallyModified(path(name)), QString("false"));
            QVERIFY(!database.updateStamp(path(name)).isEmpty());
            QVERIFY(!database.valueWhere("path", path(name), "name").isEmpty());
        }
        QCOMPARE(database.valueWhere("path", path("piers.dxf"), "type"), QString("ACAD Drawing"));
        QCOMPARE(database.valueWhere("path", path("logo.png"), "type"), QString("ACAD Insert"));
        // Nothing of the transfer is left beside the files.
        QCOMPARE(QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 OpenTest::kStructure);

        // The independent reader sees the stored paths of both levels in the folder (every kind of
        // reference is the repair test's).
        const QJsonObject bridge = DxfTest::ezdxfReport(path("bridge.dwg"));
        QCOMPARE(bridge.value("xrefs").toObject().value("deck").toString(), path("deck.dwg"));
        QCOMPARE(DxfTest::ezdxfReport(path("deck.dwg")).value("xrefs").toObject().value("rebar")
                     .toString(), path("rebar.dxf"));

        // The host opened the drawing with every reference resolved in the folder.
        CFxDocument *document = m_host->documents()->FindDocument(CFxString(path("bridge.dwg")));
        QVERIFY(document);
        QCOMPARE(m_host->documents()->GetCurrentDocument(), document);
        OdDbXrefGraph graph;
        OdDbXrefGraph::getFrom(document->GetFxDatabase(), graph);
        QCOMPARE(graph.numNodes(), 5); // bridge, deck, piers, and rebar below each of them
        for (int i = 1; i < graph.numNodes(); ++i) {
            QCOMPARE(graph.xrefNode(i)->xrefStatus(), OdDb::kXrfResolved);
            QCOMPARE(QFileInfo(graph.xrefNode(i)->database()->fileName()).absolutePath(), m_folder);
        }
    }

    void optionsTreatLocalCopies_data()
    {
        QTest::addColumn<Option>("option");
        QTest::addColumn<bool>("changedCopyStays");
        QTest::addColumn<bool>("outdatedCopyStays");
        QTest::addColumn<bool>("changesKeptAside");
        QTest::newRow("use latest from both")
            << &OpenFromCollaborativeSpace::UseLatestFromLocalAndCSSlot << true << false << false;
        QTest::newRow("overwrite all local files")
            << &OpenFromCollaborativeSpace::OverwriteAllLocalSlot << false << false << true;
        QTest::newRow("use only local files")
            << &OpenFromCollaborativeSpace::UseLocalOnlySlot << true << true << false;
    }

    void optionsTreatLocalCopies()
    {
        QFETCH(Option, option);
        QFETCH(bool, changedCopyStays);
        QFETCH(bool, outdatedCopyStays);
        QFETCH(bool, changesKeptAside);
        bool present = false;
        runOption(&OpenFromCollaborativeSpace::OverwriteAllLocalSlot, structure(&present));
        m_host->documents()->closeAll();

        // piers.dxf: changed since by another program (the host never saw it); rebar.dxf: an older
        // platform version; deck.dwg: current; logo.png: never downloaded.
        const QByteArray localEdit = OpenTest::demoBytes("stair.dxf");
        const QByteArray stale = OpenTest::demoBytes("quay.dxf");
        const QByteArray currentDeck = DxfTest::readBytes(path("deck.dwg"));
        QVERIFY(DxfTest::writeBytes(path("piers.dxf"), localEdit));
        QVERIFY(DxfTest::writeBytes(path("rebar.dxf"), stale));
        QVERIFY(QFile::remove(path("logo.png")));
        {
            FileDatabase database{QString()};
            const QString logo = database.valueWhere("path", path("logo.png"), "name");
            QCOMPARE(database.removeFilesNamed(logo), 1);
            // As a download of that older version left it.
            QCOMPARE(database.setUpdateStamp(path("rebar.dxf"), "2001/01/01@00:00:00:GMT"),
                     QString("0"));
            database.recordContent(path("rebar.dxf"));
        }

        RecordList records = structure(&present);
        QVERIFY(present);
        runOption(option, std::move(records));

        QCOMPARE(DxfTest::readBytes(path("piers.dxf")) == localEdit, changedCopyStays);
        QCOMPARE(DxfTest::readBytes(path("rebar.dxf")) == stale, outdatedCopyStays);
        QCOMPARE(DxfTest::readBytes(path("deck.dwg")), currentDeck);
        // Brand new files come down only when everything is overwritten.
        QCOMPARE(QFileInfo(path("logo.png")).isFile(),
                 option == &OpenFromCollaborativeSpace::OverwriteAllLocalSlot);
        const QStringList copies = QDir(m_folder).entryList({"piers (local changes *).dxf"});
        QCOMPARE(copies.size(), changesKeptAside ? 1 : 0);
        if (changesKeptAside)
            QCOMPARE(DxfTest::readBytes(path(copies.first())), localEdit);
        QCOMPARE(QDir(m_folder).entryList({"*local changes*"}).size(), copies.size());
        QVERIFY(m_host->documents()->FindDocument(CFxString(path("bridge.dwg"))));
    }

    void failedDownloadChangesNothing()
    {
        bool present = false;
        RecordList records = structure(&present);
        std::unique_ptr<FzFileInfo> ghost = std::make_unique<FzFileInfo>();
        setRecordProperty(*ghost, "name", "AX999999999");
        setRecordProperty(*ghost, "title", "ghost.dwg");
        setRecordProperty(*ghost, "_LOCALDOWNLOADFOLDER", m_folder);
        records.add(std::move(ghost));
        FileDatabase(QString()).addFile(path("deck.dwg"), "", "AX1", "2001/01/01@00:00:00:GMT", "",
                                        "ACAD Drawing", "false");
        const QByteArray databaseBefore = DxfTest::readBytes(FileDatabase::locationFor(QString()));

        OpenTest::ModalAnswerer boxes;
        runOption(&OpenFromCollaborativeSpace::OverwriteAllLocalSlot, std::move(records));
        QTRY_COMPARE(boxes.texts, QStringList{"An error occurred during download"});
        QCOMPARE(DxfTest::readBytes(FileDatabase::locationFor(QString())), databaseBefore);
        QVERIFY(!databaseBefore.isEmpty());
        // All or nothing: not one file of the open stays behind, and nothing was opened.
        QCOMPARE(QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(!m_host->documents()->FindDocument(CFxString(path("bridge.dwg"))));
    }

private:
    // The structure of bridge.dwg prepared for the download folder; *present says whether
    // some file of it is present locally.
    RecordList structure(bool *present)
    {
        LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
        std::unique_ptr<FzFileInfo> query = makeAllSpacesSearchQuery("bridge.dwg");
        connector->SearchPattern(query.get());
        std::unique_ptr<FzFileInfo> bridge;
        for (int i = 0; i < connector->GetSearchListSize(); ++i) {
            if (recordTitle(*connector->GetSearchFileAt(i)) == "bridge.dwg")
                bridge = std::make_unique<FzFileInfo>(*connector->GetSearchFileAt(i));
        }
        if (!bridge || !connector->GetStructure_Block(bridge.get()))
            return RecordList();
        RecordList records = RecordList::copiesOf(
            connector->GetTransactionListSize(),
            [connector](int i) { return connector->GetTransactionFileAt(i); });
        *present = prepareDownload(FileDatabase{QString()}, m_folder, records.records());
        return records;
    }

    // Runs an option of the dialog until the download has ended.
    void runOption(Option option, RecordList records)
    {
        OpenFromCollaborativeSpace dialog(ConnectorPlatform::shared(), QString());
        QSignalSpy done(&dialog, &OpenFromCollaborativeSpace::downloadDone);
        dialog.setRecords(std::move(records));
        dialog.setTargetPath(QString(path("bridge.dwg")).replace('/', '\\'));
        (dialog.*option)();
        if (option != &OpenFromCollaborativeSpace::UseLocalOnlySlot)
            QVERIFY(done.wait(60000));
        QVERIFY(!dialog.isVisible());
    }

    QString path(const QString &name) const { return m_folder + "/" + name; }

    TestHome m_home;
    PlatformProcess m_platform{PlatformProcess::Options{true, {}, {}}};
    std::unique_ptr<HostEnvironment> m_host;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

QTEST_MAIN(TestOpenFromCollaborativeSpace)
#include "tst_openfromcollaborativespace.moc"
