// The drawing view: opened fitted to the window, zoomed by the wheel about the pointer, panned
// with the middle button, and back to the whole drawing with "_ZOOM E".

#include "commandprocessor.h"
#include "drawingview.h"
#include "hostdocument.h"
#include "hostdocumentmanager.h"
#include "viewcommands.h"

#include <cfxcommand.h>
#include <oddbhostappservices.h>

#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

namespace {

bool samePoint(const QPointF &a, const QPointF &b)
{
    return QLineF(a, b).length() < 1e-6;
}

void press(QWidget *widget, QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::MiddleButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestDrawingView : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile file(m_dir.filePath("plan.dxf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n100\n21\n50\n"
                   "0\nENDSEC\n0\nEOF\n");
        file.close();
        m_document = static_cast<HostDocument *>(m_documents.OpenDocument(file.fileName()));
        QVERIFY(m_document);
    }

    void cleanup() { m_documents.closeAll(); }

    void wheelZoomsAboutThePointerAndTheMiddleButtonPans()
    {
        DrawingView view(m_document);
        view.resize(400, 300);
        const QTransform fit = view.viewTransform();
        // The whole drawing is in the window when it opens.
        QVERIFY(QRectF(view.rect()).contains(fit.mapRect(QRectF(0, 0, 100, 50))));

        const QPointF pointer(120, 90);
        const QPointF under = fit.inverted().map(pointer);
        QWheelEvent wheel(pointer, view.mapToGlobal(pointer.toPoint()), QPoint(), QPoint(0, 240),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view, &wheel);
        const QTransform zoomed = view.viewTransform();
        QVERIFY(samePoint(zoomed.map(under), pointer));
        QVERIFY(qFuzzyCompare(zoomed.m11(), fit.m11() * 1.25 * 1.25));

        press(&view, QEvent::MouseButtonPress, QPoint(200, 200), Qt::MiddleButton);
        press(&view, QEvent::MouseMove, QPoint(230, 190), Qt::MiddleButton);
        press(&view, QEvent::MouseButtonRelease, QPoint(230, 190), Qt::NoButton);
        QVERIFY(samePoint(view.viewTransform().map(under), pointer + QPointF(30, -10)));
    }

    void zoomCommandShowsTheWholeDrawingAgain_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("withView");
        QTest::addColumn<bool>("fails");
        QTest::newRow("extents") << "_ZOOM E" << true << false;
        QTest::newRow("extents in full, lower case") << "_zoom extents" << true << false;
        QTest::newRow("unknown option") << "_ZOOM W" << true << true;
        QTest::newRow("no drawing open") << "_ZOOM E" << false << true;
    }

    void zoomCommandShowsTheWholeDrawingAgain()
    {
        QFETCH(QString, line);
        QFETCH(bool, withView);
        QFETCH(bool, fails);
        DrawingView view(m_document);
        view.resize(400, 300);
        const QTransform fit = view.viewTransform();
        press(&view, QEvent::MouseButtonPress, QPoint(10, 10), Qt::MiddleButton);
        press(&view, QEvent::MouseMove, QPoint(60, 10), Qt::MiddleButton);
        ViewCommands commands([&view, withView]() { return withView ? &view : nullptr; });
        CommandProcessor processor;
        QCOMPARE(CommandProcessor::isFailure(processor.runLine(line, false)), fails);
        QCOMPARE(view.viewTransform() == fit, !fails);
    }

private:
    QTemporaryDir m_dir;
    OdDbHostAppServices m_services;
    HostDocumentManager m_documents { &m_services };
    HostDocument *m_document = nullptr;
};

QTEST_MAIN(TestDrawingView)
#include "tst_drawingview.moc"
