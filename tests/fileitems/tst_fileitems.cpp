// Files as the task pane shows them, as rows and tiles: their pictures, order, lock badges,
// details and delete; and lock and unlock from a file's action menu against a real platform,
// checked by a second client of the platform.

#include "connector/connectorplatform.h"
#include "connector/recordfields.h"
#include "fileitems/csfiledeletedialog.h"
#include "fileitems/elidedlabel.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/filestatelabel.h"
#include "fileitems/filestatus.h"
#include "fileitems/imageviewdialog.h"
#include "fileitems/listviewactionmenu.h"
#include "fileitems/lxlistwidgetitem.h"
#include "fileitems/lxtreewidgetitem.h"
#include "fileitems/sortingactions.h"
#include "fileitems/viewwidget.h"
#include "session/loggingcontroller.h"
#include "session/showaurextaskpane.h"
#include "session/signedin.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include "approvedstate.h"
#include "docpicture.h"
#include "platformdouble.h"
#include "platformprobe.h"
#include "savetestsupport.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {
// Clicks the named button of the next modal dialog once it is up.
void clickWhenModal(const QString &button)
{
    QTimer::singleShot(0, [button] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        QApplication::activeModalWidget()->findChild<QPushButton *>(button)->click();
    });
}

// The action menu of a file the stand-in platform holds, as a search result shows it.
struct QuayMenu
{
    explicit QuayMenu(const QString &tenant)
    {
        record.SetTitle("quay.dxf");
        record.SetProperty("name", platform.addObject("quay.dxf", "0\nEOF\n").toStdString());
        button.show();
        menu = std::make_unique<ListViewActionMenu>(
            &button, FileItemContext{&platform, tenant, "alice"}, QString(), &record);
    }

    PlatformDouble platform;
    FzFileInfo record;
    QPushButton button;
    std::unique_ptr<ListViewActionMenu> menu;
};

} // namespace

class TestFileItems : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_fixture.start("alice", &error), qPrintable(error));
        m_probe = std::make_unique<PlatformProbe>(*m_fixture.platform, "carol", "carol-demo-pw");
        QVERIFY(m_probe->isSignedIn());
        const ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        m_context = {ConnectorPlatform::shared(), session->tenant(), session->currentUser()};
    }

    // What a row or tile shows as the picture of a file: an image file itself, a drawing's
    // written preview, else an icon of its kind; an image shrinks to fit, keeping its shape.
    // A drawing's title block in one line: what it holds, in the order a sheet reads, each
    // value on one line; nothing when it holds nothing.
    void titleBlocksAreToldInALine_data()
    {
        QTest::addColumn<QStringList>("fields"); // number, title, revision, sheet
        QTest::addColumn<QString>("told");
        const QString dot = QString::fromUtf8(" \u00B7 ");
        QTest::newRow("all four") << QStringList{"B-101", "Deck plan", "C", "2 of 5"}
                                  << "Title block: B-101" + dot + "Deck plan" + dot + "Revision C"
                + dot + "Sheet 2 of 5";
        QTest::newRow("number only") << QStringList{"B-101", "", "", ""}
                                     << "Title block: B-101";
        QTest::newRow("revision and sheet only") << QStringList{"", "", "C", "4"}
                                                 << "Title block: Revision C" + dot + "Sheet 4";
        QTest::newRow("a title typed on two lines")
            << QStringList{"", "Deck\nplan", "", ""} << "Title block: Deck plan";
        QTest::newRow("nothing") << QStringList{"", "", "", ""} << "";
    }

    void titleBlocksAreToldInALine()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, told);
        FzFileInfo record;
        const char *keys[] = {"_DrawingNumber", "_DrawingTitle", "_DrawingRevision",
                              "_DrawingSheet"};
        for (int i = 0; i < 4; ++i) {
            if (!fields[i].isEmpty())
                record.SetProperty(keys[i], fields[i].toStdString());
        }
        QCOMPARE(titleBlockText(record), told);
    }

    // A version's story: its number, who saved it and when when both are known, and the first
    // line of its comment.
    void versionsTellTheirStory()
    {
        const QStringList told{
            versionStoryText("", "bob", "2026/12/01@10:00:00:GMT", "ignored"),
            versionStoryText("3", "", "2026/12/01@10:00:00:GMT", ""),
            versionStoryText("3", "bob", "", "\nPiers moved\nsee sheet 4"),
            fileToolTipText("deck.dwg", ""),
            fileToolTipText("deck.dwg", "Version 3"),
        };
        QCOMPARE(told, (QStringList{"", "Version 3", "Version 3\nPiers moved", "deck.dwg",
                                    "deck.dwg\nVersion 3"}));
        const QString dated = versionStoryText("4", "bob", "2026/12/01@10:00:00:GMT", "");
        QVERIFY2(dated.startsWith("Version 4, saved by bob on ") && dated.contains("2026"),
                 qPrintable(dated));
    }

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

    // The sort menu: each entry, in the order the menu lists them, asks for its order and
    // shows its icon on the button.
    void sortMenuEntriesAskForTheirOrder()
    {
        QToolButton button;
        auto *sorting = new SortingActions(&button);
        QSignalSpy asked(sorting, &SortingActions::AscendingSortEmitted);
        QStringList chosen;
        for (QAction *entry : button.menu()->actions()) {
            entry->trigger();
            chosen << QString("%1 -> %2, %3")
                          .arg(entry->text())
                          .arg(asked.isEmpty() ? 0 : asked.takeFirst().at(0).toInt())
                          .arg(button.icon().cacheKey() == entry->icon().cacheKey()
                                   ? "its icon" : "another icon");
        }
        QCOMPARE(chosen, QStringList({"Sort by Newest Modified -> 1, its icon",
                                      "Sort by Oldest Modified -> 2, its icon",
                                      "Sort by Ascending Name -> 3, its icon",
                                      "Sort by Descending Name -> 4, its icon"}));
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
        ViewWidget tile(record, m_noPlatform);
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

    // Secondary texts (sizes, dates) are 85 % of the font they stand beside, in the unit that
    // font is given in.
    void secondaryTextsAreSmaller()
    {
        QFont points;
        points.setPointSizeF(10);
        QFont pixels;
        pixels.setPixelSize(20);
        QFont tiny;
        tiny.setPointSizeF(1);
        QStringList sizes;
        for (const QFont &font : {points, pixels, tiny}) {
            const QFont smaller = secondaryFont(font);
            sizes << QString("%1pt %2px").arg(smaller.pointSizeF()).arg(smaller.pixelSize());
        }
        QCOMPARE(sizes, (QStringList{"8.5pt -1px", "-1pt 17px", "0.85pt -1px"}));
    }

    // A file name too long for its row ends in an ellipsis (or starts with one) and fits;
    // one that fits, or a label told not to shorten, shows the whole name.
    void longNamesAreShortenedToFit_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("eliding");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("shape"); // "whole", "…end" or "start…"
        QTest::newRow("too narrow") << 80 << true << int(Qt::ElideRight) << "start…";
        QTest::newRow("too narrow, shortened at the left")
            << 80 << true << int(Qt::ElideLeft) << "…end";
        QTest::newRow("wide enough") << 2000 << true << int(Qt::ElideRight) << "whole";
        QTest::newRow("not shortening") << 80 << false << int(Qt::ElideRight) << "whole";
    }

    void longNamesAreShortenedToFit()
    {
        QFETCH(int, width);
        QFETCH(bool, eliding);
        QFETCH(int, mode);
        QFETCH(QString, shape);
        const QString name = "bridge-deck-reinforcement-sheet-04-revised.dwg";
        ElidedLabel label;
        label.setText(name);
        label.setEliding(eliding);
        label.setElideMode(Qt::TextElideMode(mode));
        label.resize(width, 20);
        const QString shown = label.displayedText();
        const QChar ellipsis(0x2026);
        QString seen = "whole";
        if (shown != name && shown.startsWith(ellipsis) && name.endsWith(shown.mid(1)))
            seen = "…end";
        else if (shown != name && shown.endsWith(ellipsis) && name.startsWith(shown.chopped(1)))
            seen = "start…";
        QCOMPARE(seen, shape);
        if (shape != "whole")
            QVERIFY(label.fontMetrics().horizontalAdvance(shown) <= width);
    }

    // A lock taken or given up after the tile shows shows or hides its badge at once.
    void lockBadgeFollowsTheLock()
    {
        ViewWidget tile(QStringLiteral("/drawings/deck.dwg"), m_noPlatform);
        tile.applyTileLayout();
        tile.setKnown(true);
        tile.show();
        const auto badgeShown = [&tile] {
            // The badge sits on the preview.
            for (const QLabel *label : tile.findChildren<QLabel *>()) {
                if (qobject_cast<QLabel *>(label->parentWidget()) && label->isVisible())
                    return true;
            }
            return false;
        };
        QList<bool> shown;
        for (int lockState : {3, 2, 1, 3}) { // not locked, another user's, mine, not locked
            tile.setLockState(lockState);
            shown << badgeShown();
        }
        QCOMPARE(shown, (QList<bool>{false, true, true, false}));
    }

    // The open dialog's grid of search results, and the pane's: under each preview the user
    // reads the file's name, its space and who holds its lock, and nothing of the tile view's
    // longer text. A lock taken from the tile's menu or passed to a colleague shows at once,
    // and going to tiles and back keeps it.
    void gridShowsEachResultsNameSpaceAndLock()
    {
        const QList<QStringList> results = {
            {"deck.dwg", "Engineering", ""},
            {"pier.dwg", "Common Space", "bob"},
            {"site.dwg", "Engineering", "alice"},
            {"logo.png", "Marketing", "carol"},
        };
        std::vector<std::unique_ptr<ViewWidget>> tiles;
        for (const QStringList &result : results) {
            FzFileInfo record;
            record.SetProperty("title", result[0].toStdString());
            record.SetProperty("_CS", result[1].toStdString());
            record.SetProperty("_LockedBy", result[2].toStdString());
            record.SetProperty("_filemodified", "2024/03/05@14:07:09:GMT");
            tiles.push_back(std::make_unique<ViewWidget>(record, m_noPlatform));
            // As the open dialog fills its results.
            tiles.back()->setText(result[0], "2024/03/05@14:07:09:GMT", result[1]);
            tiles.back()->applyGridLayout();
            tiles.back()->show();
        }
        // The task pane's grid: a file of the drawing, named before its details arrive.
        tiles.push_back(std::make_unique<ViewWidget>(QStringLiteral("/drawings/piers.dxf"),
                                                     m_noPlatform));
        tiles.back()->setName("piers.dxf");
        tiles.back()->show();
        const auto gridTexts = [&tiles] {
            QStringList texts;
            for (const auto &tile : tiles) {
                QStringList shown;
                for (const QLabel *label : tile->findChildren<QLabel *>()) {
                    if (label->isVisible() && !label->text().isEmpty())
                        shown << label->text();
                }
                texts << shown.join(" / ");
            }
            return texts;
        };
        const QStringList expected = {
            "deck.dwg\nEngineering",
            "pier.dwg\nCommon Space\nLocked by bob",
            "site.dwg\nEngineering\nLocked by you",
            "logo.png\nMarketing\nLocked by carol",
            "piers.dxf",
        };
        QCOMPARE(gridTexts(), expected);

        // The lock passes from bob to carol between two answers, and deck.dwg is locked here.
        tiles[1]->setLockOwner("carol");
        tiles[0]->LockStatusSlot(1);
        for (const auto &tile : tiles)
            tile->applyTileLayout();
        // As tiles: under the details' three lines, the size and who holds the lock, or, for
        // a file of the drawing, that its state is being worked out.
        QStringList stateLines;
        for (const QString &texts : gridTexts())
            stateLines << texts.section(" / ", 1);
        QCOMPARE(stateLines, (QStringList{QString::fromUtf8("0 bytes \u00b7 Locked by you"),
                                          QString::fromUtf8("0 bytes \u00b7 Locked by carol"),
                                          QString::fromUtf8("0 bytes \u00b7 Locked by you"),
                                          QString::fromUtf8("0 bytes \u00b7 Locked by carol"),
                                          "Checking..."}));
        for (const auto &tile : tiles)
            tile->applyGridLayout();
        QStringList locked = expected;
        locked[0] = "deck.dwg\nEngineering\nLocked by you";
        locked[1] = "pier.dwg\nCommon Space\nLocked by carol";
        QCOMPARE(gridTexts(), locked);
    }

    // Every state a pane row and a tile can show, each compared whole with the state approved
    // for it: texts, tool tips, which badges and buttons show, where they sit.
    void rowsAndTilesShowEveryStateAsApproved_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("lockState");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("story");
        QTest::newRow("row-new") << "row" << 0 << 3 << "" << "";
        QTest::newRow("row-modified-locked-by-me") << "row" << 1 << 1 << "alice" << "";
        QTest::newRow("row-current-locked-by-bob")
            << "row" << 2 << 2 << "bob" << "Version 3, saved by bob\nMoved the piers";
        QTest::newRow("row-out-of-date") << "row" << 3 << 3 << "" << "";
        QTest::newRow("row-waiting-in-outbox") << "row" << 6 << 1 << "alice" << "";
        QTest::newRow("row-earlier-version") << "row" << 7 << 4 << "" << "";
        QTest::newRow("tile-current-locked-by-bob") << "tile" << 2 << 2 << "bob" << "";
        QTest::newRow("tile-syncing") << "tile" << 5 << 3 << "" << "";
        QTest::newRow("grid-out-of-date-locked-by-me") << "grid" << 3 << 1 << "alice" << "";
    }

    void rowsAndTilesShowEveryStateAsApproved()
    {
        QFETCH(QString, layout);
        QFETCH(int, status);
        QFETCH(int, lockState);
        QFETCH(QString, owner);
        QFETCH(QString, story);
        const QString path = QStringLiteral("/drawings/deck (site B).dwg");
        QTreeWidget tree;
        std::unique_ptr<QWidget> widget;
        FileItemView *item = nullptr;
        if (layout == "row") {
            auto *row = new ImageViewDialog(path, new LxTreeWidgetItem(&tree), m_noPlatform);
            widget.reset(row);
            item = row;
        } else {
            auto *view = new ViewWidget(path, m_noPlatform);
            if (layout == "tile")
                view->applyTileLayout();
            else
                view->applyGridLayout();
            widget.reset(view);
            item = view;
        }
        // As wide as a docked pane makes them; a grid's tile keeps its own size.
        widget->resize(320, widget->height());
        item->setKnown(true);
        item->setName("deck (site B).dwg");
        item->setText("deck (site B).dwg", "2024/03/05@14:07:09:GMT", "Common Space");
        item->setStatus(status);
        item->setLockOwner(owner);
        item->setLockState(lockState);
        item->setVersionStory(story);
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget.get()));

        // The date reads as the machine's time zone and language have it.
        ApprovedState approved;
        approved.replace(QLocale::system().toString(
                             QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC).toLocalTime(),
                             QLocale::ShortFormat),
                         "<5 March 2024, 14:07:09 UTC>");
        const QString differences = approved.differences(widget.get(), QTest::currentDataTag());
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
    }

    // A file of the drawing waits for the platform's details before it offers actions; it
    // never offers to delete.
    void localTileWaitsForDetails()
    {
        ViewWidget tile(QStringLiteral("/drawings/piers.dxf"), m_noPlatform);
        tile.applyTileLayout();
        tile.show();
        auto *more = tile.findChild<QPushButton *>("MoreActionButton");
        QCOMPARE(tile.status(), 5);
        QVERIFY(!more->isVisible());
        // A file the platform does not know makes no menu (a folder may list hundreds); one it
        // knows makes one, however often it is told.
        tile.setKnown(false);
        QCOMPARE(tile.findChildren<ListViewActionMenu *>().size(), 0);
        tile.setKnown(true);
        tile.setKnown(true);
        QCOMPARE(tile.findChildren<ListViewActionMenu *>().size(), 1);
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

        // A pane row says the same on its name, and adds the version's story when it comes.
        QTreeWidget tree;
        ImageViewDialog row(QStringLiteral("/drawings/deck.dwg"), new LxTreeWidgetItem(&tree),
                            m_noPlatform);
        const auto *name = row.findChild<QLabel *>("NameLabel");
        QStringList tips;
        row.setText("deck.dwg", "2024/03/05@14:07:09:GMT", "Common Space");
        tips << name->toolTip();
        row.setVersionStory("Version 3, saved by bob");
        tips << name->toolTip();
        const QString details = "deck.dwg\nLast Modification Date: " + date + "\nCommon Space";
        QCOMPARE(tips, (QStringList{details, details + "\nVersion 3, saved by bob"}));
    }

    void deleteAsksFirst()
    {
        FzFileInfo record;
        record.SetProperty("title", "crane.dwg");
        ViewWidget tile(record, m_noPlatform);
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

    // Lock and unlock from the menu of a task pane row or of a tile.
    void lockChangesPlatformAndIcon_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("tile");
        QTest::addColumn<int>("shownState");
        QTest::addColumn<QString>("lockedAfter");
        QTest::addColumn<int>("stateAfter");
        QTest::newRow("lock a drawing") << "piers.dxf" << false << 3 << "alice" << 1;
        QTest::newRow("lock from a tile") << "logo.png" << true << 3 << "alice" << 1;
        QTest::newRow("unlock from a tile") << "logo.png" << true << 1 << "" << 3;
        // Shown as mine, but bob holds it: the platform refuses, the user is told and nothing
        // changes.
        QTest::newRow("unlock another user's lock") << "deck.dwg" << false << 1 << "bob" << 1;
    }

    void lockChangesPlatformAndIcon()
    {
        QFETCH(QString, title);
        QFETCH(bool, tile);
        QFETCH(int, shownState);
        QFETCH(QString, lockedAfter);
        QFETCH(int, stateAfter);

        const QString localPath = m_fixture.home.filePath("work/" + title);
        recordDownload(title);
        QTreeWidget tree;
        ImageViewDialog row(localPath, new LxTreeWidgetItem(&tree), m_context);
        ViewWidget tileWidget(localPath, m_context);
        FileItemView *item = tile ? static_cast<FileItemView *>(&tileWidget) : &row;
        item->setLockState(shownState);
        item->setKnown(true);
        ListViewActionMenu *menu = tile ? tileWidget.actionMenu() : row.actionMenu();

        // Any message box is answered and counted.
        bool warned = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&warned] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                warned = true;
                box->close();
            }
        });
        answer.start(20);
        menu->lockAction()->trigger();
        QTRY_VERIFY(!menu->isBusy());

        QCOMPARE(warned, lockedAfter == "bob");
        QCOMPARE(m_probe->lockedBy(title), lockedAfter);
        QCOMPARE(tile ? tileWidget.lockState() : row.lockState(), stateAfter);
        QCOMPARE(menu->lockState(), stateAfter);
        QCOMPARE(menu->lockAction()->text(), stateAfter == 3 ? QString("Lock") : QString("Unlock"));
    }

    // "History..." and "Get Latest" name the platform file: a local copy by the name its
    // database entry holds, a search result by its record; a file the platform does not know
    // asks for nothing; a menu whose context offers neither shows neither.
    void historyAndLatestNameThePlatformFile()
    {
        recordDownload("piers.dxf");
        QStringList asked;
        FileItemContext context = m_context;
        context.showHistory = [&asked](const QString &name, const QString &title) {
            asked << "history " + name + ' ' + title;
        };
        context.getLatest = [&asked](const QString &name) { asked << "latest " + name; };
        FzFileInfo result;
        result.SetProperty("name", "AX000042");
        result.SetProperty("title", "quay.dxf");
        QPushButton button;
        ListViewActionMenu local(&button, context, m_fixture.home.filePath("work/piers.dxf"));
        ListViewActionMenu found(&button, context, QString(), &result);
        ListViewActionMenu unknown(&button, context, m_fixture.home.filePath("work/new.dxf"));
        ListViewActionMenu without(&button, m_context, QString(), &result);
        for (ListViewActionMenu *menu : {&local, &found, &unknown, &without}) {
            menu->historyAction()->trigger();
            menu->latestAction()->trigger();
        }
        const QString piers = m_probe->objectTitled("piers.dxf").value("name").toString();
        QCOMPARE(asked, (QStringList{"history " + piers + " piers.dxf", "latest " + piers,
                                     "history AX000042 quay.dxf", "latest AX000042"}));
        QVERIFY(local.historyAction()->isVisible() && !without.historyAction()->isVisible());
    }

    // A platform that cannot be reached: the box names the file and why; one that does not
    // answer: Escape on the "Please wait" box ends the wait, and the lock stays as it was.
    void lockWithoutAnAnswerSaysWhyOrIsCancelled()
    {
        QuayMenu quay(m_context.tenant);
        PlatformDouble &platform = quay.platform;
        ListViewActionMenu &menu = *quay.menu;
        QString warned;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&warned] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                warned = box->text();
                box->close();
            } else if (modal && modal->objectName() == "ProgressDialog") {
                QTest::keyClick(modal, Qt::Key_Escape);
            }
        });
        answer.start(20);

        platform.setBehaviour(PlatformDouble::Refuse);
        menu.lockAction()->trigger();
        QTRY_VERIFY(!warned.isEmpty());
        QCOMPARE(warned, QString("quay.dxf could not be locked on the collaborative space.\n"
                                 "The AUREX Platform cannot be reached: Connection refused."));

        warned.clear();
        platform.setBehaviour(PlatformDouble::Hang);
        menu.lockAction()->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!menu.isBusy(), 5000);
        answer.stop();
        platform.release();
        // Nothing was said and the menu stays as it was; the lock is the platform's to give or
        // not, should the call still reach it.
        QVERIFY(warned.isEmpty());
        QCOMPARE(menu.lockState(), int(NotLocked));
    }

    // In a list of tiles, the right button on a tile opens that tile's menu where it was
    // pressed, and the menu key opens the current tile's menu below it.
    void tileMenusOpenFromTheRightButtonAndTheKeyboard()
    {
        QListWidget list;
        QList<ViewWidget *> tiles;
        for (const char *title : {"quay.dxf", "pier.dxf"}) {
            FzFileInfo record;
            record.SetTitle(title);
            auto *tile = new ViewWidget(record, m_noPlatform);
            tile->setKnown(true);
            auto *item = new QListWidgetItem(&list);
            item->setSizeHint(QSize(200, 60));
            list.setItemWidget(item, tile);
            tiles << tile;
        }
        ListViewActionMenu::offerOnRows(&list);
        list.resize(300, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const auto open = [&tiles] {
            QStringList shown;
            for (ViewWidget *tile : tiles) {
                if (tile->actionMenu()->isVisible())
                    shown << recordTitle(*tile->record());
                tile->actionMenu()->hide();
            }
            return shown.join(' ');
        };
        const QPoint onPier = list.visualItemRect(list.item(1)).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, onPier,
                                list.viewport()->mapToGlobal(onPier));
        QApplication::sendEvent(list.viewport(), &click);
        QStringList seen{open()};
        list.setCurrentRow(0);
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(&list, &key);
        seen << open();
        QCOMPARE(seen, (QStringList{"pier.dxf", "quay.dxf"}));
    }

    // A row's state line is painted in the colour of what matters most: red while another
    // user holds the lock, orange while the platform has a newer version, blue for the user's
    // own lock, grey otherwise.
    void stateLinesArePaintedInTheirStatesColour_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("lockState");
        QTest::addColumn<QString>("colour");
        QTest::newRow("locked by another, newer") << int(FileStatusOutOfDate)
                                                  << int(LockedByOther) << "red";
        QTest::newRow("newer") << int(FileStatusOutOfDate) << int(NotLocked) << "orange";
        QTest::newRow("own lock") << int(FileStatusCurrent) << int(LockedByMe) << "blue";
        QTest::newRow("current") << int(FileStatusCurrent) << int(NotLocked) << "grey";
    }

    void stateLinesArePaintedInTheirStatesColour()
    {
        QFETCH(int, status);
        QFETCH(int, lockState);
        QFETCH(QString, colour);
        FileStateLabel label;
        label.setStatus(status);
        label.setLockOwner("bob");
        label.setLockState(lockState);
        label.setSize(2048);
        label.resize(400, 24);
        const QImage picture = label.grab().toImage();
        // The text's own colour stands where the glyphs cover whole pixels: the pixel farthest
        // from the background.
        const QColor background = picture.pixelColor(0, 0);
        QColor text = background;
        int farthest = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QColor seen = picture.pixelColor(x, y);
                const int distance = qAbs(seen.red() - background.red())
                    + qAbs(seen.green() - background.green())
                    + qAbs(seen.blue() - background.blue());
                if (distance > farthest) {
                    farthest = distance;
                    text = seen;
                }
            }
        }
        QVERIFY2(farthest > 200, "no text was painted");
        const int hue = text.hsvHue();
        const QString named = text.hsvSaturation() < 60 ? "grey"
            : hue < 15 || hue > 345                     ? "red"
            : hue < 45                                  ? "orange"
            : hue > 190 && hue < 230                    ? "blue"
                                                        : text.name();
        QCOMPARE(named, colour);
    }

    // A row's menu offers its entries in one typeface, the lists' own.
    void rowMenuEntriesShareTheListsTypeface()
    {
        QuayMenu quay(m_context.tenant);
        QStringList families;
        for (const QAction *action : quay.menu->actions())
            families << action->objectName() + ": " + action->font().family();
        QCOMPARE(families, (QStringList{"GetLatestMenu: Arial", "LockMenu: Arial",
                                        "DeleteMenu: Arial", "HistoryMenu: Arial",
                                        "WhereUsedMenu: Arial"}));
    }

    // Lock pressed again while the first request is on its way asks the platform nothing more.
    void aLockUnderWayIsAskedForOnce()
    {
        QuayMenu quay(m_context.tenant);
        PlatformDouble &platform = quay.platform;
        ListViewActionMenu &menu = *quay.menu;
        // The hanging request ends without an answer; the box that says so is closed.
        QTimer answer;
        connect(&answer, &QTimer::timeout, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->close();
        });
        answer.start(20);
        platform.setBehaviour(PlatformDouble::Hang);
        menu.lockAction()->trigger();
        QTRY_COMPARE(platform.lockCount(), 1);
        menu.lockAction()->trigger();
        platform.release();
        QTRY_VERIFY_WITH_TIMEOUT(!menu.isBusy(), 5000);
        QCOMPARE(platform.lockCount(), 1);
    }

    // Runs last: alice signs out.
    void signingOutWithLocksOffersToReleaseThem()
    {
        // alice holds piers.dxf, a file of this computer, through another session of hers.
        recordDownload("piers.dxf");
        PlatformProbe alice(*m_fixture.platform, "alice", "alice-demo-pw");
        QVERIFY(alice.setLocked("piers.dxf", true));

        QString listed;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&listed] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box->objectName() != "SignOutLocksBox")
                return;
            listed = box->informativeText();
            saveDocPicture(box, "signout-locks.png");
            box->findChild<QPushButton *>("ReleaseLocksButton")->click();
        });
        answer.start(20);
        LoggingController::instance()->signOutAsked();
        // The platform is asked, the question answered and the lock released in turn.
        QTRY_VERIFY(!signedIn());
        QVERIFY2(listed.contains("piers.dxf"), qPrintable(listed));
        QCOMPARE(m_probe->lockedBy("piers.dxf"), QString());
    }

private:
    // Records work/title in the file database as a download does: its platform name and stamp.
    void recordDownload(const QString &title)
    {
        const QJsonObject object = m_probe->objectTitled(title);
        FileDatabase database(m_context.tenant);
        database.recordExchange(FileDatabase::keyForPath(m_fixture.home.filePath("work/" + title)),
                                QString(), object.value("name").toString(),
                                object.value("_filemodified").toString(),
                                object.value("type").toString());
    }

    savetest::Fixture m_fixture;
    std::unique_ptr<PlatformProbe> m_probe;
    FileItemContext m_context;
    // Of the files no platform knows yet; alice's are "mine".
    const FileItemContext m_noPlatform { nullptr, QString(), "alice" };
};

QTEST_MAIN(TestFileItems)
#include "tst_fileitems.moc"
