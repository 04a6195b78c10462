// What the module reads of its host: the drawing in front, as the user switches between
// drawings and closes them.

#include "support/hostaccess.h"

#include "hostenvironment.h"
#include "testhome.h"

#include <cfxdocument.h>
#include <cfxstring.h>
#include <hostdocument.h>
#include <hostdocumentmanager.h>

#include <QtTest>

namespace {
// The file name of the drawing the module takes as the one in front; "none" without one.
QString inFront()
{
    const CFxDocument *document = HostAccess::activeDocument();
    return document ? QFileInfo(document->GetPathName().toQString()).fileName()
                    : QStringLiteral("none");
}
} // namespace

class TestHostAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
    }

    // The user makes two drawings, goes back to the first, closes it, then the other.
    void drawingInFrontFollowsTheUser()
    {
        HostEnvironment host;
        HostDocumentManager *documents = host.documents();
        QStringList seen{inFront()};
        CFxDocument *first = documents->newDocument();
        seen << inFront();
        CFxDocument *second = documents->newDocument();
        seen << inFront();
        documents->ActivateDocument(first);
        seen << inFront();
        documents->CloseDocument(first);
        seen << inFront();
        documents->CloseDocument(second);
        seen << inFront();
        QCOMPARE(seen, QStringList({"none", "Drawing1.dwg", "Drawing2.dwg", "Drawing1.dwg",
                                    "Drawing2.dwg", "none"}));
    }

    // Without a host (the module's code run outside it) there is no drawing and nowhere to
    // write; nothing breaks.
    void withoutAHostNothingIsInFront()
    {
        QCOMPARE(inFront(), QString("none"));
        HostAccess::writeToCommandLine("nobody reads this");
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestHostAccess)
#include "tst_hostaccess.moc"
