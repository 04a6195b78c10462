#include "fileitems/csfiledeletedialog.h"
#include "fileitems/elidedlabel.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/filestatus.h"
#include "fileitems/imageviewdialog.h"
#include "fileitems/listviewactionmenu.h"
#include "fileitems/lxlistwidgetitem.h"
#include "fileitems/lxtreewidgetitem.h"
#include "fileitems/viewwidget.h"

#include "workingcopy/downloadfolder.h"

#include <fzfileinfo.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
// Answers the next modal dialog once it is up.
void whenModal(std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(0, [answer] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        answer(QApplication::activeModalWidget());
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
        QVERIFY(previewSourceFor(dir.filePath("notes.txt")).isEmpty());

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
        QTest::newRow("names Z to A")
            << true << Qt::DescendingOrder << QStringList{"gamma.png", "beta.dwg", "Alpha.dxf"};
        QTest::newRow("newest first")
            << false << Qt::DescendingOrder << QStringList{"beta.dwg", "gamma.png", "Alpha.dxf"};
        QTest::newRow("oldest first")
            << false << Qt::AscendingOrder << QStringList{"Alpha.dxf", "gamma.png", "beta.dwg"};
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
        QTest::addColumn<QString>("lockText");
        QTest::addColumn<bool>("actionsEnabled");
        QTest::addColumn<bool>("badgeShown");
        QTest::newRow("not locked") << "" << 3 << "Lock" << true << false;
        QTest::newRow("locked by me, blanks around") << " alice " << 1 << "Unlock" << true << true;
        QTest::newRow("locked by another user") << "bob" << 2 << "Unlock" << false << true;
    }

    void tileFromRecordShowsItsLock()
    {
        QFETCH(QString, lockedBy);
        QFETCH(int, lockState);
        QFETCH(QString, lockText);
        QFETCH(bool, actionsEnabled);
        QFETCH(bool, badgeShown);
        FzFileInfo record;
        record.SetProperty("title", "deck.dwg");
        record.SetProperty("_LockedBy", lockedBy.toStdString());
        ViewWidget tile(record, m_context);
        tile.applyTileLayout();
        tile.show();

        QCOMPARE(tile.lockState(), lockState);
        QCOMPARE(tile.actionMenu()->lockAction()->text(), lockText);
        QCOMPARE(tile.actionMenu()->lockAction()->isEnabled(), actionsEnabled);
        QCOMPARE(tile.actionMenu()->deleteAction()->isEnabled(), actionsEnabled);
        QCOMPARE(tile.findChild<QPushButton *>("MoreActionButton")->isVisible(), true);
        const QList<QLabel *> badges = tile.findChildren<QLabel *>();
        const bool anyBadge = std::any_of(badges.begin(), badges.end(), [&](QLabel *label) {
            return label->isVisible() && label->toolTip().contains("File is locked by")
                && label->toolTip().contains(lockedBy);
        });
        QCOMPARE(anyBadge, badgeShown);
    }

    void localTileWaitsForDetails()
    {
        ViewWidget tile(QStringLiteral("/drawings/piers.dxf"), m_context);
        tile.applyTileLayout();
        tile.show();
        QCOMPARE(tile.status(), 5);
        QVERIFY(!tile.findChild<QPushButton *>("MoreActionButton")->isVisible());

        tile.setKnown(true);
        QVERIFY(tile.findChild<QPushButton *>("MoreActionButton")->isVisible());
        QVERIFY(!tile.actionMenu()->deleteAction()->isVisible());
        tile.applyGridLayout();
        QVERIFY(!tile.findChild<QPushButton *>("MoreActionButton")->isVisible());
        QVERIFY(!tile.findChild<QLabel *>("status_label")->isVisible());
    }

    void detailsTextNamesDateAndSpace()
    {
        ViewWidget tile(QStringLiteral("/drawings/deck.dwg"), m_context);
        // Before the platform's details come, the tile's text is its name.
        tile.setName("deck (site A).dwg");
        QCOMPARE(tile.detailsText(), QStringLiteral("deck (site A).dwg"));
        tile.setText("deck.dwg", "2024/03/05@14:07:09:GMT", "Common Space");
        tile.setName("deck (site B).dwg");
        const QString date = QLocale::system().toString(
            QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC).toLocalTime(),
            QLocale::ShortFormat);
        QCOMPARE(tile.detailsText(),
                 "deck.dwg\nLast Modification Date: " + date + "\nCommon Space");
        QCOMPARE(tile.toolTip(), tile.detailsText());

        tile.setText("deck.dwg", "2024/03/05@14:07:09:GMT", QString());
        QCOMPARE(tile.detailsText(), QStringLiteral("deck.dwg"));
        // 2024-03-05 14:07:09 UTC.
        QCOMPARE(platformStampMSecs("2024/03/05@14:07:09:GMT"), Q_INT64_C(1709647629000));
        QCOMPARE(platformStampMSecs("garbage"), Q_INT64_C(0));
    }

    // A row gets its menu once the platform knows the file, and offers no delete.
    void rowOffersLockAndUnlockOnly()
    {
        QTreeWidget tree;
        auto *item = new LxTreeWidgetItem(&tree);
        ImageViewDialog row(QStringLiteral("/drawings/deck.dwg"), item, m_context);
        QVERIFY(!row.actionMenu());
        row.setKnown(true);
        QVERIFY(!row.actionMenu()->deleteAction()->isVisible());
        row.setModified(1234);
        QCOMPARE(item->data(0, FileModifiedRole).toLongLong(), Q_INT64_C(1234));
    }

    void deleteAsksUntilToldNotTo()
    {
        FzFileInfo record;
        record.SetProperty("title", "crane.dwg");
        ViewWidget tile(record, m_context);
        QSignalSpy deleted(&tile, &ViewWidget::ListViewItemDelete);
        QSignalSpy confirmed(CSFileDeleteDialog::instance(), &CSFileDeleteDialog::deleteViewItem);

        whenModal([](QWidget *dialog) {
            dialog->findChild<QPushButton *>("cancelButton")->click();
        });
        tile.actionMenu()->deleteAction()->trigger();
        QCOMPARE(deleted.count(), 0);

        whenModal([](QWidget *dialog) {
            dialog->findChild<QCheckBox *>()->setChecked(true);
            dialog->findChild<QPushButton *>("continueButton")->click();
        });
        tile.actionMenu()->deleteAction()->trigger();
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(deleted.at(0).at(0).value<QWidget *>(), &tile);
        QCOMPARE(confirmed.count(), 1); // only the answer "Continue with delete" says so

        // Asked not to ask again: no dialog this time.
        tile.actionMenu()->deleteAction()->trigger();
        QCOMPARE(deleted.count(), 2);
        QVERIFY(!CSFileDeleteDialog::instance()->isVisible());
    }

    void elidedLabelShortensLongNames()
    {
        ElidedLabel label;
        label.setElideMode(Qt::ElideMiddle);
        const QString name = QStringLiteral("a-very-long-drawing-name-that-does-not-fit.dwg");
        label.setText(name);
        label.resize(label.fontMetrics().horizontalAdvance(name) / 2, 20);
        const QString shown = label.displayedText();
        QVERIFY(shown.contains(QChar(0x2026)));
        QVERIFY(shown.startsWith('a'));
        QVERIFY(shown.endsWith(".dwg"));

        label.setEliding(false);
        QCOMPARE(label.displayedText(), name);
        label.setEliding(true);
        label.resize(label.fontMetrics().horizontalAdvance(name) + 10, 20);
        QCOMPARE(label.displayedText(), name);
    }

private:
    FileItemContext m_context;
    QTemporaryDir m_temp;
};

QTEST_MAIN(TestFileItems)
#include "tst_fileitems.moc"
