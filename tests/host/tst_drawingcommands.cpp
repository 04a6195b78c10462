// The host's drawing commands: what they write, what an independent reader makes of it, and the
// notifications modules see while they run; macros that run commands with their answers.

#include "dxftesthelpers.h"
#include "testhome.h"

#include "commandprocessor.h"
#include "filecommands.h"
#include "hostcommand.h"
#include "hostdocument.h"
#include "hostdocumentmanager.h"
#include "referencecommands.h"

#include <cfxeditorreactor.h>
#include <oddbhostappservices.h>
#include <odedcommand.h>
#include <odedcommandcontext.h>
#include <odedcommandstack.h>
#include <odeditor.h>
#include <odstaticrxobject.h>

#include <QImage>
#include <QtTest>

namespace {

const char kPdf[] = "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                    "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
                    "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] >> endobj\n"
                    "trailer << /Root 1 0 R >>\n%%EOF\n";

// Records what a module listening on the editor would see.
class RecordingReactor : public CFxEditorReactor
{
public:
    QStringList log;

    void addRef() override { }
    void release() override { }
    void beginSave(OdDbDatabase *, const OdString &name) override { add("beginSave", name); }
    void saveComplete(OdDbDatabase *, const OdString &name) override { add("saveComplete", name); }
    void abortSave(OdDbDatabase *) override { log << QStringLiteral("abortSave"); }
    void commandEnded(OdEdCommand *command, OdEdCommandContext *) override
    {
        add("commandEnded", command->globalName());
    }

private:
    void add(const char *what, const OdString &text)
    {
        log << QString::fromLatin1(what) + ' ' + QString::fromStdWString(text.wstring());
    }
};

// The host's documents and drawing commands in this process, for one test.
struct Host
{
    OdDbHostAppServices services;
    HostDocumentManager documents { &services };
    FileCommands files { &documents };
    ReferenceCommands references { &documents, &services };
    CommandProcessor processor;

    ~Host() { documents.closeAll(); }
};

} // namespace

class TestDrawingCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // A drawing named .dwg holding DXF text, a drawing to reference, a picture and a PDF.
        QVERIFY(DxfTest::copySample("ezdxf/geometry-r2018.dxf", path("site.dwg")));
        QVERIFY(DxfTest::copySample("ezdxf/geometry-r2013.dxf", path("parts/beam.dxf")));
        QImage logo(40, 20, QImage::Format_RGB32);
        logo.fill(Qt::darkCyan);
        QVERIFY(logo.save(path("logo.png")));
        QVERIFY(DxfTest::writeBytes(path("notes.pdf"), kPdf));
    }

    void scriptAttachesSavesAndDetachesForAnIndependentReader()
    {
        runScript({ "_OPEN " + path("site.dwg"), "_ATTACHDRAWING parts\\beam.dxf",
                    "_ATTACHIMAGE logo.png 20", "_ATTACHPDF notes.pdf 1 2", "_SAVE" });
        QCOMPARE(attachmentsIn(path("site.dwg")),
                 QString(R"({"IMAGE":1,"PDFUNDERLAY":1,"beam inserts":1,"errors":[],)"
                         R"("images":["logo.png"],"pdfs":["notes.pdf"],)"
                         R"("xrefs":{"beam":"parts\\beam.dxf"}})"));

        runScript({ "_OPEN " + path("site.dwg"), "_DETACHDRAWING beam", "_DETACHIMAGE logo",
                    "_DETACHPDF notes.pdf", "_SAVE" });
        QCOMPARE(attachmentsIn(path("site.dwg")),
                 QString(R"({"errors":[],"images":[],"pdfs":[],"xrefs":{}})"));
    }

    // Attaching and detaching end normally (5100), whether the detach found what it was
    // asked for or not, as a script that checks each command's result expects.
    void attachAndDetachEndNormally()
    {
        Host host;
        QList<int> statuses;
        for (const QString &line :
             {"_OPEN " + path("site.dwg"), QString("_ATTACHIMAGE logo.png"),
              QString("_DETACHIMAGE logo"), QString("_DETACHIMAGE logo")})
            statuses << host.processor.runLine(line, false);
        QCOMPARE(statuses, (QList<int>{5100, 5100, 5100, 5100}));
    }

    void savingTellsTheEditorBeforeTheCommandEnds()
    {
        Host host;
        RecordingReactor reactor;
        odedEditor()->addReactor(&reactor);
        for (const QString &line : { "_OPEN " + path("site.dwg"), QString("_ATTACHIMAGE logo.png"),
                                     "_saveas " + path("copy/site2.dwg"),
                                     "_SAVEAS " + path("site.dwg/not-a-folder/x.dwg") })
            host.processor.runLine(line, false);
        odedEditor()->removeReactor(&reactor);

        const QString copy = path("copy/site2.dwg");
        QCOMPARE(reactor.log, QStringList({ "commandEnded _OPEN", "commandEnded _ATTACHIMAGE",
                                            "beginSave " + copy, "saveComplete " + copy,
                                            "commandEnded _SAVEAS",
                                            "beginSave " + path("site.dwg/not-a-folder/x.dwg"),
                                            "abortSave", "commandEnded _SAVEAS" }));
        HostDocument *document = host.documents.currentDocument();
        QCOMPARE(document->path(), copy);
        QVERIFY(!document->isModified());
        // A module saves through the kernel's Save: the views hear of it as after _SAVE.
        QSignalSpy changed(&host.documents, &HostDocumentManager::documentChanged);
        document->setModified();
        QVERIFY(static_cast<CFxDocument *>(document)->Save());
        QCOMPARE(changed.count(), 1);
        QVERIFY(!document->isModified());
        // The original stays as it was: only the copy holds the image.
        QCOMPARE(DxfTest::readBytes(path("site.dwg")),
                 DxfTest::readBytes(DxfTest::dataPath("ezdxf/geometry-r2018.dxf")));
        QCOMPARE(DxfTest::ezdxfReport(copy).value("images").toArray(), QJsonArray({ "logo.png" }));
    }

    // A macro cancels what runs, then its command reads the rest of the line as its answers.
    void macrosCancelThenRunWithAnswers()
    {
        QStringList answers;
        OdStaticRxObject<HostCommand> command("_ECHOARGS", [&answers](OdEdCommandContext *context) {
            for (int i = 0; i < 2; ++i)
                answers << QString::fromStdWString(context->getString("next").wstring());
            return 42;
        });
        odedRegCmds()->addCommand(&command);
        CommandProcessor processor;
        QCOMPARE(processor.runMacro("^C^C_EchoArgs a \"b c\""), 42);
        QCOMPARE(answers, QStringList({ "a", "b c" }));
        odedRegCmds()->removeCmd(command.groupName(), command.globalName());
    }

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }

    // What an independent reader finds attached to a drawing, as compact JSON; what it does
    // not find is left out. A drawing it cannot read has none of it.
    static QString attachmentsIn(const QString &drawing)
    {
        const QJsonObject report = DxfTest::ezdxfReport(drawing);
        const QJsonObject modelspace = report.value("modelspace").toObject();
        QJsonObject found { { "IMAGE", modelspace.value("IMAGE") },
                            { "PDFUNDERLAY", modelspace.value("PDFUNDERLAY") },
                            { "beam inserts", report.value("inserts").toObject().value("beam") } };
        for (const char *key : { "errors", "xrefs", "images", "pdfs" })
            found.insert(key, report.value(key));
        return QString::fromUtf8(QJsonDocument(found).toJson(QJsonDocument::Compact));
    }

    void runScript(const QStringList &lines)
    {
        QVERIFY(DxfTest::writeBytes(path("steps.scr"), lines.join('\n').toUtf8()));
        QProcess lintra;
        lintra.setProcessEnvironment(TestHome().environment());
        lintra.start(LINTRA_BIN,
                     { "--module-dir", m_dir->path(), "--script", path("steps.scr"), "--exit" });
        QVERIFY(lintra.waitForFinished(60000));
        const QString errors = QString::fromUtf8(lintra.readAllStandardError());
        QCOMPARE(lintra.exitCode(), 0);
        QVERIFY2(errors.contains("Saved " + path("site.dwg")), qPrintable(errors));
        // Nothing failed, nor was said to have failed ("cannot be loaded now").
        QVERIFY2(!errors.contains("cannot", Qt::CaseInsensitive), qPrintable(errors));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestDrawingCommands)
#include "tst_drawingcommands.moc"
