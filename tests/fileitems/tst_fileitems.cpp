#include "fileitems/csfiledeletedialog.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/listviewactionmenu.h"
#include "fileitems/lxlistwidgetitem.h"
#include "fileitems/lxtreewidgetitem.h"
#include "fileitems/viewwidget.h"

#include "workingcopy/downloadfolder.h"

#include <fzfileinfo.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
// Clicks the named button of the next modal dialog once it is up.
void clickWhenModal(const QString &button)
{
    QTimer::singleShot(0, [button] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        QApplication::activeModalWidget()->findChild<QPushButton *>(button)->click();
    });
}
} // namespace

class TestFileItems : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_context.currentUser = "alice";
        // Drawing previews are written to the temporary folder: the test's own.
        QVERIFY(m_temp.isValid());
        qputenv("TMPDIR", m_temp.path().toUtf8());
    }

    // What a row or tile shows as the picture of a file: an image file itself, a drawing's
    // written preview, else an icon of its kind; an image shrinks to fit, keeping its shape.
    void previewsShowTheFileOrItsKind()
    {
        const QTemporaryDir dir;
        const QString photo = dir.filePath("site.PNG");
        QImage wide(200, 100, QImage::Format_RGB32);
        wide.fill(Qt::darkGreen);
        QVERIFY(wide.save(photo, "PNG"));
        QCOMPARE(previewSourceFor(photo), photo);
        QCOMPARE(loadPreview(photo, QSize(64, 64)).size(), QSize(64, 32));

        const QString drawing = dir.filePath("deck.dwg");
        const QStringList icons{
            previewSourceFor(dir.filePath("gone.jpg")), previewSourceFor(dir.filePath("plan.pdf")),
            previewSourceFor(dir.filePath("site.dxf")), previewSourceFor(drawing)};
        // Four kinds, four different icons, each one that loads.
        QCOMPARE(QSet<QString>(icons.cbegin(), icons.cend()).size(), 4);
        for (const QString &icon : icons)
            QVERIFY2(icon.startsWith(':') && !loadPreview(icon, QSize(48, 48)).isNull(),
                     qPrintable(icon));
        // A file of no picture kind has none, whatever its folder is called.
        QVERIFY(previewSourceFor(dir.filePath("notes.txt")).isEmpty());
        QVERIFY(previewSourceFor(dir.filePath("site.png/notes.txt")).isEmpty());

        // Once the drawing's preview is written, it is shown instead of the icon.
        QVERIFY(QDir().mkpath(QFileInfo(drawingPreviewPath(drawing)).path()));
        QVERIFY(wide.save(drawingPreviewPath(drawing), "JPG"));
        QCOMPARE(previewSourceFor(drawing), drawingPreviewPath(drawing));
    }

    void listsSortByTheChosenKey_data()
    {
        QTest::addColumn<bool>("byName");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("names A to Z, case ignored")
            << true << Qt::AscendingOrder << QStringList{"Alpha.dxf", "beta.dwg", "gamma.png"};
        QTest::newRow("newest first")
            << false << Qt::DescendingOrder << QStringList{"beta.dwg", "gamma.png", "Alpha.dxf"};
    }

    void listsSortByTheChosenKey()
    {
        QFETCH(bool, byName);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QStringList, expected);
        QListWidget list;
        QTreeWidget tree;
        setSortByName(&list, byName);
        setSortByName(&tree, byName);
        auto *root = new LxTreeWidgetItem(&tree);
        // Name order and time order differ; names differ in case only at the start.
        const QList<QPair<QString, qint64>> files = {
            {"beta.dwg", 3000}, {"Alpha.dxf", 1000}, {"gamma.png", 2000}};
        for (const auto &file : files) {
            auto *item = new LxListWidgetItem(&list);
            item->setData(FileNameRole, file.first);
            item->setData(FileModifiedRole, file.second);
            auto *child = new LxTreeWidgetItem(root);
            child->setData(0, FileNameRole, file.first);
            child->setData(0, FileModifiedRole, file.second);
        }
        list.sortItems(order);
        tree.sortItems(0, order);
        QStringList listed, treed;
        for (int i = 0; i < list.count(); ++i) {
            listed << list.item(i)->data(FileNameRole).toString();
            treed << root->child(i)->data(0, FileNameRole).toString();
        }
        QCOMPARE(listed, expected);
        QCOMPARE(treed, expected);
    }

    void tileFromRecordShowsItsLock_data()
    {
        QTest::addColumn<QString>("lockedBy");
        QTest::addColumn<int>("lockState");
        QTest::addColumn<bool>("actionsEnabled");
        QTest::addColumn<bool>("badgeShown");
        QTest::newRow("not locked") << "" << 3 << true << false;
        QTest::newRow("locked by me, blanks around") << " alice " << 1 << true << true;
        QTest::newRow("locked by another user") << "bob" << 2 << false << true;
    }

    void tileFromRecordShowsItsLock()
    {
        QFETCH(QString, lockedBy);
        QFETCH(int, lockState);
        QFETCH(bool, actionsEnabled);
        QFETCH(bool, badgeShown);
        FzFileInfo record;
        record.SetProperty("title", "deck.dwg");
        record.SetProperty("_LockedBy", lockedBy.toStdString());
        ViewWidget tile(record, m_context);
        tile.applyTileLayout();
        tile.show();
        QCOMPARE(tile.lockState(), lockState);
        QCOMPARE(tile.actionMenu()->lockAction()->isEnabled(), actionsEnabled);
        QCOMPARE(tile.actionMenu()->deleteAction()->isEnabled(), actionsEnabled);
        const QList<QLabel *> badges = tile.findChildren<QLabel *>();
        const bool anyBadge = std::any_of(badges.begin(), badges.end(), [&](QLabel *label) {
            return label->isVisible() && label->toolTip().contains("File is locked by")
                && label->toolTip().contains(lockedBy);
        });
        QCOMPARE(anyBadge, badgeShown);
    }

    // A file of the drawing waits for the platform's details before it offers actions; it
    // never offers to delete.
    void localTileWaitsForDetails()
    {
        ViewWidget tile(QStringLiteral("/drawings/piers.dxf"), m_context);
        tile.applyTileLayout();
        tile.show();
        auto *more = tile.findChild<QPushButton *>("MoreActionButton");
        QCOMPARE(tile.status(), 5);
        QVERIFY(!more->isVisible());
        tile.setKnown(true);
        QVERIFY(more->isVisible());
        QVERIFY(!tile.actionMenu()->deleteAction()->isVisible());

        // The platform's details: its name, the date in the user's own time, the space.
        tile.setText("deck.dwg", "2024/03/05@14:07:09:GMT", "Common Space");
        tile.setName("deck (site B).dwg");
        const QString date = QLocale::system().toString(
            QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC).toLocalTime(),
            QLocale::ShortFormat);
        QCOMPARE(tile.detailsText(),
                 "deck.dwg\nLast Modification Date: " + date + "\nCommon Space");
        QCOMPARE(tile.toolTip(), tile.detailsText());
    }

    void deleteAsksFirst()
    {
        FzFileInfo record;
        record.SetProperty("title", "crane.dwg");
        ViewWidget tile(record, m_context);
        QSignalSpy deleted(&tile, &ViewWidget::ListViewItemDelete);
        QSignalSpy confirmed(CSFileDeleteDialog::instance(), &CSFileDeleteDialog::deleteViewItem);

        clickWhenModal("cancelButton");
        tile.actionMenu()->deleteAction()->trigger();
        QCOMPARE(deleted.count(), 0);

        clickWhenModal("continueButton");
        tile.actionMenu()->deleteAction()->trigger();
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(deleted.at(0).at(0).value<QWidget *>(), &tile);
        QCOMPARE(confirmed.count(), 1); // only the answer "Continue with delete" says so
    }

private:
    FileItemContext m_context;
    QTemporaryDir m_temp;
};

QTEST_MAIN(TestFileItems)
#include "tst_fileitems.moc"
