// What the widget snapshot says of a table a user reads: its rows with their cells' tool tips,
// and the cells and headings shown narrower than their text, so that a script or test can tell
// a cut-off word.

#include <widgetsnapshot.h>

#include <QDialog>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

class TestWidgetSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void cutOffCellsAndHeadingsAreNamed()
    {
        QTableWidget table(2, 2);
        table.setHorizontalHeaderLabels({"Drawing", "Collaborative Space of the drawing"});
        table.setItem(0, 0, new QTableWidgetItem("bridge.dwg"));
        table.setItem(0, 1, new QTableWidgetItem("Common Space"));
        table.setItem(1, 0, new QTableWidgetItem("a drawing whose name runs on and on.dwg"));
        table.setItem(1, 1, new QTableWidgetItem("Harbour Works"));
        table.setWordWrap(false);
        table.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table.setColumnWidth(0, 120);
        table.setColumnWidth(1, 200);
        table.resize(420, 200);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));

        // Once the table has laid out its cells.
        QTRY_VERIFY(WidgetSnapshot::of(&table).value("clipped").toBool());
        const QJsonObject state = WidgetSnapshot::of(&table);
        QCOMPARE(state.value("clippedCells").toArray(),
                 QJsonArray({"row 1 column 0 \"a drawing whose name runs on and on.dwg\""}));
        QJsonArray headings;
        for (const QJsonValue &child : state.value("children").toArray()) {
            if (child.toObject().value("class") == "QHeaderView")
                headings.append(child.toObject().value("clippedCells"));
        }
        // The row numbers' header first, none of them cut off; then the column headings.
        QCOMPARE(headings, QJsonArray({QJsonValue(), QJsonArray({"section 1 \"Collaborative "
                                                                  "Space of the drawing\""})}));
    }

    // A row the view hides is marked hidden, in a tree, a list and a table alike.
    void hiddenRowsAreMarked()
    {
        QTreeWidget tree;
        QListWidget list;
        QTableWidget table(3, 1);
        for (int i = 0; i < 3; ++i) {
            new QTreeWidgetItem(&tree, {QString::number(i)});
            list.addItem(QString::number(i));
            table.setItem(i, 0, new QTableWidgetItem(QString::number(i)));
        }
        tree.setRowHidden(1, QModelIndex(), true);
        list.setRowHidden(0, true);
        table.setRowHidden(2, true);
        QStringList seen;
        for (const QAbstractItemView *view :
             {static_cast<QAbstractItemView *>(&tree), static_cast<QAbstractItemView *>(&list),
              static_cast<QAbstractItemView *>(&table)}) {
            QString marks;
            for (const QJsonValue &row : WidgetSnapshot::of(view).value("rows").toArray())
                marks += row.toObject().value("hidden").toBool() ? 'h' : '-';
            seen << marks;
        }
        QCOMPARE(seen, (QStringList{"-h-", "h--", "--h"}));
    }

    // A help button in a window's title bar, and a label placed other than left and centred
    // in height, are said; the usual case says nothing.
    void helpButtonsAndLabelPlacesAreSaid()
    {
        QDialog withHelp;
        withHelp.setWindowFlag(Qt::WindowContextHelpButtonHint, true);
        QDialog withoutHelp;
        withoutHelp.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        const auto help = [](const QWidget &window) {
            return WidgetSnapshot::of(&window).value("helpButton");
        };
        QCOMPARE(help(withHelp), QJsonValue(true));
        QCOMPARE(help(withoutHelp), QJsonValue(QJsonValue::Undefined));

        QStringList places;
        for (const Qt::Alignment alignment :
             {Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignHCenter | Qt::AlignVCenter,
              Qt::AlignHCenter | Qt::AlignBottom}) {
            QLabel label("Drawing");
            label.setAlignment(alignment);
            places << WidgetSnapshot::of(&label).value("alignment").toString();
        }
        QCOMPARE(places, (QStringList{"", "AlignCenter", "AlignHCenter|AlignBottom"}));
    }

    // A column drawn as an icon (a status, a lock) says what it shows in its tool tip: a row
    // lists its cells' tool tips when any but the first has one.
    void rowsListTheirCellsToolTips()
    {
        QTableWidget table(2, 2);
        for (int row = 0; row < 2; ++row)
            table.setItem(row, 0, new QTableWidgetItem(QString("drawing-%1.dwg").arg(row)));
        table.setItem(0, 1, new QTableWidgetItem());
        table.item(0, 1)->setToolTip("Locked by bob");
        const QJsonArray rows = WidgetSnapshot::of(&table).value("rows").toArray();
        QJsonArray tips;
        for (const QJsonValue &row : rows)
            tips.append(row.toObject().value("toolTips"));
        QCOMPARE(tips, QJsonArray({QJsonArray({"", "Locked by bob"}), QJsonValue()}));
    }
};

QTEST_MAIN(TestWidgetSnapshot)
#include "tst_widgetsnapshot.moc"
