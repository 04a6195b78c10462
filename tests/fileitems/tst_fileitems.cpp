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
#include "session/showaurextaskpane.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include "approvedstate.h"
#include "platformdouble.h"
#include "platformprobe.h"
#include "savetestsupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {
// Hands every modal widget that comes up to answer while the returned timer runs.
std::unique_ptr<QTimer> answerModals(const std::function<void(QWidget *)> &answer)
{
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [answer] {
        if (QWidget *modal = QApplication::activeModalWidget())
            answer(modal);
    });
    timer->start(20);
    return timer;
}

// 5 March 2024, 14:07:09 UTC as a row or tile shows it: in the machine's zone and language.
QString shownDate()
{
    return QLocale::system().toString(
        QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC).toLocalTime(), QLocale::ShortFormat);
}

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

    // A drawing's title block in one line: what it holds, in the order a sheet reads, each
    // value on one line; nothing when it holds nothing. A version's story: its number, who
    // saved it and when when both are known, and the first line of its comment.
    void titleBlocksAndVersionsAreToldInALine()
    {
        const char *keys[] = {"_DrawingNumber", "_DrawingTitle", "_DrawingRevision",
                              "_DrawingSheet"};
        const QList<QStringList> blocks{{"B-101", "Deck plan", "C", "2 of 5"},
                                        {"B-101", "", "", ""}, {"", "", "C", "4"},
                                        {"", "Deck\nplan", "", ""}, {"", "", "", ""}};
        QStringList told;
        for (const QStringList &fields : blocks) {
            FzFileInfo record;
            for (int i = 0; i < 4; ++i) {
                if (!fields[i].isEmpty())
                    record.SetProperty(keys[i], fields[i].toStdString());
            }
            told << titleBlockText(record);
        }
        const QString dot = QString::fromUtf8(" \u00B7 ");
        QCOMPARE(told, (QStringList{"Title block: B-101" + dot + "Deck plan" + dot + "Revision C"
                                        + dot + "Sheet 2 of 5",
                                    "Title block: B-101",
                                    "Title block: Revision C" + dot + "Sheet 4",
                                    "Title block: Deck plan", ""}));

        told = QStringList{versionStoryText("", "bob", "2026/12/01@10:00:00:GMT", "ignored"),
                           versionStoryText("3", "", "2026/12/01@10:00:00:GMT", ""),
                           versionStoryText("3", "bob", "", "\nPiers moved\nsee sheet 4"),
                           fileToolTipText("deck.dwg", ""),
                           fileToolTipText("deck.dwg", "Version 3")};
        QCOMPARE(told, (QStringList{"", "Version 3", "Version 3\nPiers moved", "deck.dwg",
                                    "deck.dwg\nVersion 3"}));
        const QString dated = versionStoryText("4", "bob", "2026/12/01@10:00:00:GMT", "");
        QVERIFY2(dated.startsWith("Version 4, saved by bob on ") && dated.contains("2026"),
                 qPrintable(dated));
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
        QVERIFY(previewSourceFor(dir.filePath("notes.txt")).isEmpty()
                && previewSourceFor(dir.filePath("site.png/notes.txt")).isEmpty());

        // Once the drawing's preview is written, it is shown instead of the icon.
        QVERIFY(QDir().mkpath(QFileInfo(drawingPreviewPath(drawing)).path()));
        QVERIFY(wide.save(drawingPreviewPath(drawing), "JPG"));
        QCOMPARE(previewSourceFor(drawing), drawingPreviewPath(drawing));
    }

    // The sort menu: each entry, in the order the menu lists them, asks for its order, shows
    // its icon on the button, and sorts lists and trees so: by date, newest or oldest first, or
    // by name, A to Z or Z to A, case ignored.
    void sortMenuEntriesSortListsAndTrees()
    {
        QToolButton button;
        auto *sorting = new SortingActions(&button);
        QSignalSpy asked(sorting, &SortingActions::AscendingSortEmitted);
        QStringList chosen;
        for (QAction *entry : button.menu()->actions()) {
            entry->trigger();
            const int order = asked.isEmpty() ? 0 : asked.takeFirst().at(0).toInt();
            QListWidget list;
            QTreeWidget tree;
            setSortByName(&list, SortingActions::isByName(order));
            setSortByName(&tree, SortingActions::isByName(order));
            auto *root = new LxTreeWidgetItem(&tree);
            // Name order and time order differ; names differ in case only at the start.
            for (const auto &[name, modified] :
                 {std::pair{"beta.dwg", 3000}, {"Alpha.dxf", 1000}, {"gamma.png", 2000}}) {
                auto *item = new LxListWidgetItem(&list);
                item->setData(FileNameRole, name);
                item->setData(FileModifiedRole, modified);
                auto *child = new LxTreeWidgetItem(root);
                child->setData(0, FileNameRole, name);
                child->setData(0, FileModifiedRole, modified);
            }
            list.sortItems(SortingActions::direction(order));
            tree.sortItems(0, SortingActions::direction(order));
            QStringList listed, treed;
            for (int i = 0; i < list.count(); ++i) {
                listed << list.item(i)->data(FileNameRole).toString();
                treed << root->child(i)->data(0, FileNameRole).toString();
            }
            chosen << QString("%1 -> %2, %3: %4 | %5")
                          .arg(entry->text())
                          .arg(order)
                          .arg(button.icon().cacheKey() == entry->icon().cacheKey()
                                   ? "its icon" : "another icon",
                               listed.join(' '), treed.join(' '));
        }
        QCOMPARE(chosen, QStringList({"Sort by Newest Modified -> 1, its icon: beta.dwg gamma.png "
                                      "Alpha.dxf | beta.dwg gamma.png Alpha.dxf",
                                      "Sort by Oldest Modified -> 2, its icon: Alpha.dxf gamma.png "
                                      "beta.dwg | Alpha.dxf gamma.png beta.dwg",
                                      "Sort by Ascending Name -> 3, its icon: Alpha.dxf beta.dwg "
                                      "gamma.png | Alpha.dxf beta.dwg gamma.png",
                                      "Sort by Descending Name -> 4, its icon: gamma.png beta.dwg "
                                      "Alpha.dxf | gamma.png beta.dwg Alpha.dxf"}));
    }

    // A tile made from a search result shows the lock its record names: its state, whether lock
    // and delete are offered, and the badge on the preview naming the holder. A lock given up
    // or taken after the tile shows hides or shows the badge at once.
    void tileShowsItsLockAndFollowsIt()
    {
        QStringList seen;
        // Not locked, locked by me (blanks around), locked by another user.
        for (const char *lockedBy : {"", " alice ", "bob"}) {
            FzFileInfo record;
            record.SetProperty("title", "deck.dwg");
            record.SetProperty("_LockedBy", lockedBy);
            ViewWidget tile(record, m_noPlatform);
            tile.applyTileLayout();
            tile.show();
            const auto badge = [&tile] { // the badge sits on the preview
                for (const QLabel *label : tile.findChildren<QLabel *>()) {
                    if (qobject_cast<QLabel *>(label->parentWidget()) && label->isVisible())
                        return label->toolTip().section('\n', 0, 0);
                }
                return QString("no badge");
            };
            const int lockState = tile.lockState();
            QStringList shown{QString("%1, lock %2, delete %3: %4")
                                  .arg(lockState)
                                  .arg(tile.actionMenu()->lockAction()->isEnabled())
                                  .arg(tile.actionMenu()->deleteAction()->isEnabled())
                                  .arg(badge())};
            for (int later : {int(NotLocked), lockState}) {
                tile.setLockState(later);
                shown << badge();
            }
            seen << shown.join(" | ");
        }
        QCOMPARE(seen, (QStringList{"3, lock 1, delete 1: no badge | no badge | no badge",
                                    "1, lock 1, delete 1: File is locked by alice | no badge | "
                                    "File is locked by alice",
                                    "2, lock 0, delete 0: File is locked by bob | no badge | "
                                    "File is locked by bob"}));
    }

    // A file name too long for its row ends in an ellipsis (or starts with one) and fits;
    // one that fits, or a label told not to shorten, shows the whole name. Secondary texts are
    // smaller.
    void namesAreShortenedAndSecondaryTextsSmaller()
    {
        const QString name = "bridge-deck-reinforcement-sheet-04-revised.dwg";
        const QChar ellipsis(0x2026);
        QStringList seen;
        // Too narrow, shortened at either end; wide enough; too narrow but not shortening.
        for (const auto &[width, eliding, mode] : {std::tuple{80, true, Qt::ElideRight},
                                                   std::tuple{80, true, Qt::ElideLeft},
                                                   std::tuple{2000, true, Qt::ElideRight},
                                                   std::tuple{80, false, Qt::ElideRight}}) {
            ElidedLabel label;
            label.setText(name);
            label.setEliding(eliding);
            label.setElideMode(mode);
            label.resize(width, 20);
            const QString shown = label.displayedText();
            QString shape = "whole";
            if (shown != name && shown.startsWith(ellipsis) && name.endsWith(shown.mid(1)))
                shape = "…end";
            else if (shown != name && shown.endsWith(ellipsis) && name.startsWith(shown.chopped(1)))
                shape = "start…";
            if (shape != "whole" && label.fontMetrics().horizontalAdvance(shown) > width)
                shape += " too wide";
            seen << shape;
        }
        QCOMPARE(seen, (QStringList{"start…", "…end", "whole", "whole"}));

        // Secondary texts (sizes, dates) are 85 % of the font they stand beside, in the unit
        // that font is given in: 10 points, 20 pixels, 1 point.
        QStringList sizes;
        for (const auto &[points, pixels] : {std::pair{10.0, 0}, {0.0, 20}, {1.0, 0}}) {
            QFont font;
            pixels ? font.setPixelSize(pixels) : font.setPointSizeF(points);
            const QFont smaller = secondaryFont(font);
            sizes << QString("%1pt %2px").arg(smaller.pointSizeF()).arg(smaller.pixelSize());
        }
        QCOMPARE(sizes, (QStringList{"8.5pt -1px", "-1pt 17px", "0.85pt -1px"}));
    }

    // The open dialog's grid of search results, and the pane's: under each preview the user
    // reads the file's name, its space and who holds its lock, and nothing of the tile view's
    // longer text. A lock taken from the tile's menu or passed to a colleague shows at once,
    // as tiles and back in the grid. Each compared whole with the state approved for it.
    void gridShowsEachResultsNameSpaceAndLock()
    {
        QWidget grid;
        auto *column = new QVBoxLayout(&grid);
        QList<ViewWidget *> tiles;
        for (const auto &[title, space, lockedBy] :
             {std::tuple{"deck.dwg", "Engineering", ""}, {"pier.dwg", "Common Space", "bob"}}) {
            FzFileInfo record;
            record.SetProperty("title", title);
            record.SetProperty("_CS", space);
            record.SetProperty("_LockedBy", lockedBy);
            record.SetProperty("_filemodified", "2024/03/05@14:07:09:GMT");
            tiles << new ViewWidget(record, m_noPlatform);
            // As the open dialog fills its results.
            tiles.back()->setText(title, "2024/03/05@14:07:09:GMT", space);
            tiles.back()->applyGridLayout();
        }
        // The task pane's grid: a file of the drawing, named before its details arrive.
        tiles << new ViewWidget(QStringLiteral("/drawings/piers.dxf"), m_noPlatform);
        tiles.back()->setName("piers.dxf");
        for (ViewWidget *tile : tiles)
            column->addWidget(tile);
        grid.show();
        ApprovedState approved;
        approved.replace(shownDate(), "<5 March 2024, 14:07:09 UTC>");
        QStringList differences{approved.differences(&grid, "grid-results")};
        // The lock passes from bob to carol between two answers, and deck.dwg is locked here.
        // As tiles: under the details, the size and who holds the lock, or, for a file of the
        // drawing, that its state is being worked out.
        tiles[1]->setLockOwner("carol");
        tiles[0]->LockStatusSlot(1);
        for (ViewWidget *tile : tiles)
            tile->applyTileLayout();
        differences << approved.differences(&grid, "grid-results-as-tiles");
        for (ViewWidget *tile : tiles)
            tile->applyGridLayout();
        differences << approved.differences(&grid, "grid-results-locks-changed");
        differences.removeAll(QString());
        QVERIFY2(differences.isEmpty(), qPrintable(differences.join('\n')));
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
        auto *row = layout == "row"
            ? new ImageViewDialog(path, new LxTreeWidgetItem(&tree), m_noPlatform)
            : nullptr;
        auto *view = row ? nullptr : new ViewWidget(path, m_noPlatform);
        if (view)
            layout == "tile" ? view->applyTileLayout() : view->applyGridLayout();
        const std::unique_ptr<QWidget> widget(row ? static_cast<QWidget *>(row) : view);
        FileItemView *item = row ? static_cast<FileItemView *>(row) : view;
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
        approved.replace(shownDate(), "<5 March 2024, 14:07:09 UTC>");
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
        QCOMPARE(tile.detailsText(),
                 "deck.dwg\nLast Modification Date: " + shownDate() + "\nCommon Space");
        QCOMPARE(tile.toolTip(), tile.detailsText());
    }

    void deleteAsksFirst()
    {
        FzFileInfo record;
        record.SetProperty("title", "crane.dwg");
        ViewWidget tile(record, m_noPlatform);
        QSignalSpy deleted(&tile, &ViewWidget::ListViewItemDelete);
        QSignalSpy confirmed(CSFileDeleteDialog::instance(), &CSFileDeleteDialog::deleteViewItem);

        QString answer = "cancelButton";
        const auto answering = answerModals(
            [&answer](QWidget *modal) { modal->findChild<QPushButton *>(answer)->click(); });
        tile.actionMenu()->deleteAction()->trigger();
        QCOMPARE(deleted.count(), 0);

        answer = "continueButton";
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
        QTest::addColumn<QString>("lockedAfter"); // on the platform
        QTest::newRow("lock a drawing") << "piers.dxf" << false << 3 << "alice";
        QTest::newRow("lock from a tile") << "logo.png" << true << 3 << "alice";
        QTest::newRow("unlock from a tile") << "logo.png" << true << 1 << "";
        // Shown as mine, but bob holds it: the platform refuses, the user is told and nothing
        // changes.
        QTest::newRow("unlock another user's lock") << "deck.dwg" << false << 1 << "bob";
    }

    void lockChangesPlatformAndIcon()
    {
        QFETCH(QString, title);
        QFETCH(bool, tile);
        QFETCH(int, shownState);
        QFETCH(QString, lockedAfter);
        // Shown afterwards: not locked once nobody holds it, else as mine.
        const int stateAfter = lockedAfter.isEmpty() ? 3 : 1;

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
        const auto answering = answerModals([&warned](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                warned = true;
                box->close();
            }
        });
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

    // A platform that cannot be reached: the box names the file and why. One that does not
    // answer: Escape on the "Please wait" box ends the wait and the lock stays as it was; lock
    // pressed again while the request is on its way asks the platform nothing more.
    void lockWithoutAnAnswerSaysWhyOrIsCancelled()
    {
        // The action menu of a file the stand-in platform holds, as a search result shows it.
        PlatformDouble platform;
        FzFileInfo record;
        record.SetTitle("quay.dxf");
        record.SetProperty("name", platform.addObject("quay.dxf", "0\nEOF\n").toStdString());
        QPushButton button;
        button.show();
        ListViewActionMenu menu(&button, FileItemContext{&platform, m_context.tenant, "alice"},
                                QString(), &record);
        // A row's menu offers its entries in one typeface, the lists' own.
        QStringList families;
        for (const QAction *action : menu.actions())
            families << action->objectName() + ": " + action->font().family();
        QCOMPARE(families, (QStringList{"GetLatestMenu: Arial", "LockMenu: Arial",
                                        "DeleteMenu: Arial", "HistoryMenu: Arial",
                                        "WhereUsedMenu: Arial"}));
        QString warned;
        bool escape = true;
        const auto answering = answerModals([&warned, &escape](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                warned = box->text();
                box->close();
            } else if (escape && modal->objectName() == "ProgressDialog") {
                QTest::keyClick(modal, Qt::Key_Escape);
            }
        });

        platform.setBehaviour(PlatformDouble::Refuse);
        menu.lockAction()->trigger();
        QTRY_VERIFY(!warned.isEmpty());
        QCOMPARE(warned, QString("quay.dxf could not be locked on the collaborative space.\n"
                                 "The AUREX Platform cannot be reached: Connection refused."));

        warned.clear();
        platform.setBehaviour(PlatformDouble::Hang);
        menu.lockAction()->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!menu.isBusy(), 15000);
        answering->stop();
        platform.release();
        // Nothing was said and the menu stays as it was; the lock is the platform's to give or
        // not, should the call still reach it.
        QVERIFY(warned.isEmpty());
        QCOMPARE(menu.lockState(), int(NotLocked));

        // Not cancelled this time: the hanging request ends without an answer once released,
        // and the box that says so is closed.
        QTRY_VERIFY(!platform.isHanging());
        escape = false;
        answering->start();
        const int asked = platform.lockCount();
        platform.setBehaviour(PlatformDouble::Hang);
        menu.lockAction()->trigger();
        QTRY_COMPARE(platform.lockCount(), asked + 1);
        menu.lockAction()->trigger();
        platform.release();
        QTRY_VERIFY_WITH_TIMEOUT(!menu.isBusy(), 15000);
        QCOMPARE(platform.lockCount(), asked + 1);
    }

    // A row's state line is painted in the colour of what matters most: red while another
    // user holds the lock, orange while the platform has a newer version, blue for the user's
    // own lock, grey otherwise.
    void stateLinesArePaintedInTheirStatesColour()
    {
        const QList<QPair<int, int>> states{{FileStatusOutOfDate, LockedByOther},
                                            {FileStatusOutOfDate, NotLocked},
                                            {FileStatusCurrent, LockedByMe},
                                            {FileStatusCurrent, NotLocked}};
        QStringList colours;
        for (const auto &[status, lockState] : states) {
            FileStateLabel label;
            label.setStatus(status);
            label.setLockOwner("bob");
            label.setLockState(lockState);
            label.setSize(2048);
            label.resize(400, 24);
            const QImage picture = label.grab().toImage();
            // The text's own colour stands where the glyphs cover whole pixels: the pixel
            // farthest from the background.
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
            const int hue = text.hsvHue();
            colours << (farthest <= 200               ? "no text"
                            : text.hsvSaturation() < 60 ? "grey"
                            : hue < 15 || hue > 345     ? "red"
                            : hue < 45                  ? "orange"
                            : hue > 190 && hue < 230    ? "blue"
                                                        : text.name());
        }
        QCOMPARE(colours, (QStringList{"red", "orange", "blue", "grey"}));
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
