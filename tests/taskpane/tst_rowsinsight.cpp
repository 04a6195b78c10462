// The pane's views make rows only for the files in sight; they must make them again whenever
// what is in sight may have changed, also when the files fit without scrolling and the scroll
// bar has nothing to tell.

#include "taskpane/rowsinsight.h"

#include <QListWidget>
#include <QScrollBar>
#include <QtTest>

class TestRowsInSight : public QObject
{
    Q_OBJECT

private slots:
    void madeAgainForWhatComesIntoSight()
    {
        QListWidget view;
        for (int i = 0; i < 3; ++i)
            view.addItem(QString("file %1.dwg").arg(i));
        // The viewport's height each time the rows in sight are made.
        QList<int> made;
        RowsInSight sight(&view, [&view, &made](const QDeadlineTimer &) {
            made << view.viewport()->height();
            return true;
        });
        const auto madeFor = [&view, &made](int before) {
            return made.size() > before && made.last() == view.viewport()->height();
        };

        view.resize(200, 120); // while hidden: nothing to see yet
        view.show();
        QTRY_VERIFY(madeFor(0));

        int before = made.size();
        view.hide();
        view.resize(200, 400); // taller while hidden, as a pane whose dock was closed
        view.show();
        QTRY_VERIFY(madeFor(before));
        QCOMPARE(view.verticalScrollBar()->maximum(), 0);

        before = made.size();
        view.resize(200, 600); // the user drags the edge: all three still fit
        QTRY_VERIFY(madeFor(before));
        QVERIFY(sight.areMade());
    }
};

QTEST_MAIN(TestRowsInSight)
#include "tst_rowsinsight.moc"
