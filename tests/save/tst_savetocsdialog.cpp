// The save dialog and its check-in against a real platform, with real drawings open in the
// host: rows decided from the file database and the platform, duplicates, locks, files left
// out, the lost-update guard, and what the platform and the file database hold afterwards.

#include "approvedstate.h"
#include "demodrawingset.h"
#include "dxftesthelpers.h"
#include "hostenvironment.h"
#include "platformclient.h"
#include "platformprobe.h"
#include "savetestsupport.h"

#include "connector/recordbuilder.h"
#include "connector/recordfields.h"
#include "save/conflictdialog.h"
#include "save/outbox.h"
#include "save/outboxdelivery.h"
#include "save/savedialogtreemodel.h"
#include "save/saveset.h"
#include "save/savetocsdialog.h"
#include "save/savetreeitem.h"
#include "session/showaurextaskpane.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>
#include <hostdocumentmanager.h>
#include <lintraaurexconnectorwrapper.h>

#include <QAbstractItemModelTester>
#include <QtTest>
#include <QtWidgets>

namespace {

struct PlatformFile
{
    QString name;
    QString phid;
    int revision = 0;
    QString sha256;
    QString modifiedBy;
};

// The file of that title in space as the signed-in user sees it; empty when there is none.
PlatformFile platformFile(const QString &space, const QString &title)
{
    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    FzFileInfo query;
    setRecordProperty(query, "_TypePattern", "*");
    setRecordProperty(query, "_CS", space);
    setRecordProperty(query, "_or_title_0", title);
    if (!connector->SearchPattern(&query) || connector->GetSearchListSize() != 1)
        return {};
    const FzFileInfo &found = *connector->GetSearchFileAt(0);
    return {recordProperty(found, "name"), recordProperty(found, "phid"),
            recordProperty(found, "revision").toInt(), recordProperty(found, "_sha256"),
            recordProperty(found, "_ModifiedBy")};
}

QString sha256Of(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

SaveTreeItem *rowNamed(SaveToCSDialog &dialog, const QString &displayName)
{
    for (SaveTreeItem *row : dialog.saveSet()->rows()) {
        if (row->displayName == displayName)
            return row;
    }
    return nullptr;
}

QModelIndex indexOf(SaveToCSDialog &dialog, SaveTreeItem *row, int column)
{
    // Rows below the invisible root are the model's top level.
    const bool topLevel = !row->parent() || !row->parent()->parent();
    return dialog.model()->index(row->row(), column,
                                 topLevel ? QModelIndex() : indexOf(dialog, row->parent(), 0));
}

void choose(SaveToCSDialog &dialog, const QString &displayName, const QString &action)
{
    SaveTreeItem *row = rowNamed(dialog, displayName);
    QVERIFY2(row, qPrintable(displayName));
    QVERIFY(dialog.model()->setData(indexOf(dialog, row, SaveDialogTreeModel::ActionColumn),
                                    action));
}

// Waits until the dialog's platform work (details, duplicate check, check-in) has ended.
void settle(SaveToCSDialog &dialog)
{
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBusy(), 60000);
}

void press(SaveToCSDialog &dialog, const char *button)
{
    QPushButton *widget = dialog.findChild<QPushButton *>(button);
    QVERIFY(widget);
    widget->click();
    settle(dialog);
}

} // namespace

class TestSaveToCSDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_fixture.start("alice", &error), qPrintable(error));
        // Error boxes are answered as soon as they show.
        auto *closer = new QTimer(this);
        connect(closer, &QTimer::timeout, this, [this] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible()) {
                    m_boxes.append({box->text(), box->informativeText()});
                    box->accept();
                }
            }
        });
        closer->start(20);
    }

    void init()
    {
        m_host = std::make_unique<HostEnvironment>();
        m_boxes.clear();
        ++m_round;
    }

    void cleanup() { m_host.reset(); }

    void newDrawingWithoutReferences()
    {
        const QString drawing = folder() + "/solo-plan.dwg";
        QVERIFY(DxfTest::copySample("ezdxf/geometry-r2018.dxf", drawing));
        QVERIFY(m_host->documents()->OpenDocument(drawing));
        QSignalSpy activated(ShowAurexTaskPane::instance(),
                             &ShowAurexTaskPane::DocumentActivatedSignal);

        // The dialog's slots never wait for the platform inside themselves: a timer due at once
        // fires only after the construction and the press have returned.
        bool timerFired = false;
        QTimer::singleShot(0, this, [&timerFired] { timerFired = true; });
        SaveToCSDialog dialog(ShowAurexTaskPane::instance());
        QVERIFY(!timerFired);
        settle(dialog);
        QAbstractItemModelTester tester(dialog.model()); // reports through QtTest
        QCOMPARE(dialog.saveSet()->rows().size(), 1);
        // What the user reads from left to right: each column's heading over the drawing's row
        // (its text, the choice in its box, or the tip its icon shows).
        const QHeaderView *header = dialog.findChild<QTreeView *>()->header();
        QStringList shown;
        for (int visual = 0; visual < dialog.model()->columnCount(); ++visual) {
            const int column = header->logicalIndex(visual);
            const QModelIndex cell = indexOf(dialog, dialog.saveSet()->top(), column);
            QString text;
            for (int role : {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole})
                text = text.isEmpty() ? dialog.model()->data(cell, role).toString() : text;
            shown << dialog.model()->headerData(column, Qt::Horizontal).toString() + ": "
                    + (text.startsWith("<img src") ? "its preview" : text);
        }
        QCOMPARE(shown, QStringList({"Type: its preview", "Display Name: solo-plan.dwg",
                                     "Status: New", "Action: Save As New",
                                     "Collaborative Space: Common Space"}));
        // The platform refuses a whole check-in whose comment is longer than 2,000 characters:
        // a longer one pasted is cut there.
        auto *comment = dialog.findChild<QLineEdit *>("CheckInCommentEdit");
        comment->insert(QString(2001, QChar('x')));
        QCOMPARE(comment->text().size(), 2000);
        comment->setText("  First plan of the site  ");
        timerFired = false;
        QTimer::singleShot(0, this, [&timerFired] { timerFired = true; });
        dialog.findChild<QPushButton *>("SavePushButton")->click();
        QVERIFY(!timerFired);
        settle(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(activated.count(), 1);

        const PlatformFile stored = platformFile("Common Space", "solo-plan.dwg");
        QVERIFY(!stored.phid.isEmpty());
        QCOMPARE(stored.sha256, sha256Of(DxfTest::readBytes(drawing)));
        const FileDatabase database{QString()};
        QCOMPARE(QStringList({database.entryValue(drawing, "vaultisid"),
                              database.entryValue(drawing, "name"),
                              database.isLocallyModified(drawing)}),
                 QStringList({stored.phid, stored.name, "false"}));
        // The comment went with the check-in, as the user meant it.
        const PlatformProbe alice(*m_fixture.platform, "alice", "alice-demo-pw");
        QCOMPARE(alice.versions("solo-plan.dwg"), QStringList({"1 alice: First plan of the site"}));
    }

    // The save command without a drawing shows the dialog at once, saying what to do (its
    // approved state), and deletes it once closed. (With a drawing it shows the dialog once
    // its rows are there: the pane's test presses its Save button.)
    void saveCommandShowsTheDialogWithItsRows()
    {
        QPointer<SaveToCSDialog> empty =
            SaveToCSDialog::showForActiveDrawing(ShowAurexTaskPane::instance());
        QVERIFY(empty && empty->isVisible());
        verifyApproved(*empty, "without-a-drawing");
        empty->close();
        QTRY_VERIFY(empty.isNull());
    }

    // The PDF that cannot be found stays out unless the user asks for it (the approved rows).
    void referenceLeftOutTakesItsReferencesAlong()
    {
        QVERIFY(m_host->documents()->OpenDocument(makeReferenceSet("yard")));
        SaveToCSDialog dialog(ShowAurexTaskPane::instance());
        settle(dialog);
        QAbstractItemModelTester tester(dialog.model()); // a tree, parents and all
        verifyApproved(dialog, "new-drawing-with-references");
        const auto spaceOf = [&dialog](const char *title) {
            return indexOf(dialog, rowNamed(dialog, title), SaveDialogTreeModel::SpaceColumn);
        };
        // An action the dialog does not offer is refused.
        QVERIFY(!dialog.model()->setData(
            indexOf(dialog, rowNamed(dialog, "yard-bolt.dwg"), SaveDialogTreeModel::ActionColumn),
            "Burn It"));
        QCOMPARE(rowNamed(dialog, "yard-bolt.dwg")->action, SaveAction::SaveAsNew);
        // Reset gives back the rows as the dialog made them.
        choose(dialog, "yard-bolt.dwg", "Do Not Save");
        press(dialog, "ResetPushButton");
        QCOMPARE(rowNamed(dialog, "yard-bolt.dwg")->action, SaveAction::SaveAsNew);
        QVERIFY(dialog.model()->flags(spaceOf("yard-bolt.dwg")) & Qt::ItemIsEditable);
        // Every new file goes to the space chosen for them (the approved rows).
        dialog.findChild<QComboBox *>("ActiveSpaceComboBox")->setCurrentText("Bridge Project");
        choose(dialog, "yard-bolt.dwg", "Do Not Save");
        QVERIFY(!(dialog.model()->flags(spaceOf("yard-bolt.dwg")) & Qt::ItemIsEditable));
        verifyApproved(dialog, "new-drawing-one-reference-left-out");
        press(dialog, "SavePushButton");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        for (const char *title : {"yard.dxf", "yard-logo.png", "yard-plan.pdf"})
            QVERIFY2(!platformFile("Bridge Project", title).phid.isEmpty(), title);
        const FileDatabase database{QString()};
        for (const char *title : {"parts/yard-bolt.dwg", "parts/yard-nut.dxf"}) {
            QVERIFY2(platformFile("Bridge Project", QFileInfo(title).fileName()).phid.isEmpty(),
                     title);
            QCOMPARE(database.updateStamp(folder() + "/" + title), QString("-1"));
        }
    }

    // Text put before or after the base name of every file saved as new, as often as the
    // user applies it; a file left out keeps its name, and no text changes nothing.
    void newFilesTakeAPrefixOrSuffix()
    {
        QVERIFY(m_host->documents()->OpenDocument(makeReferenceSet("kerb")));
        SaveToCSDialog dialog(ShowAurexTaskPane::instance());
        settle(dialog);
        const auto apply = [&dialog](int where, const QString &text) {
            dialog.findChild<QComboBox *>("ToggleComboBox")->setCurrentIndex(where);
            dialog.findChild<QLineEdit *>("lineEdit")->setText(text);
            dialog.findChild<QPushButton *>("ApplyToAllPushButton")->click();
            QStringList names;
            for (const SaveTreeItem *row : dialog.saveSet()->rows())
                names << row->displayName;
            names.sort();
            return names.join(' ');
        };
        QCOMPARE(QStringList({apply(0, ""), apply(0, "B7-"), apply(1, "-r2")}),
                 (QStringList{"kerb-bolt.dwg kerb-logo.png kerb-nut.dxf kerb-plan.pdf kerb.dxf "
                              "lost.pdf",
                              "B7-kerb-bolt.dwg B7-kerb-logo.png B7-kerb-nut.dxf "
                              "B7-kerb-plan.pdf B7-kerb.dxf lost.pdf",
                              "B7-kerb-bolt-r2.dwg B7-kerb-logo-r2.png B7-kerb-nut-r2.dxf "
                              "B7-kerb-plan-r2.pdf B7-kerb-r2.dxf lost.pdf"}));
    }

    void duplicateTitleIsSavedOnlyWhenOverwritten()
    {
        // The demo's bridge drawing has a logo.png in the Common Space already.
        QVERIFY(m_host->documents()->OpenDocument(makeReferenceSet("dock", "logo.png")));
        const PlatformFile before = platformFile("Common Space", "logo.png");
        {
            SaveToCSDialog dialog(ShowAurexTaskPane::instance());
            settle(dialog);
            // Red as the dialog opens, without "Check for Duplicates".
            QLabel *errorLabel = dialog.findChild<QLabel *>("error_label");
            SaveTreeItem *logo = rowNamed(dialog, "logo.png");
            QVERIFY(logo->hasError && logo->existsOnServer);
            QVERIFY(!errorLabel->isHidden());
            // The name cell of the row in error stands out, and so does a selected row's.
            dialog.show();
            auto *view = dialog.findChild<QTreeView *>("SaveDialogTreeView");
            const auto cellOf = [&](const QString &name, int column) {
                return view->visualRect(indexOf(dialog, rowNamed(dialog, name), column));
            };
            const auto nameCellColor = [&](const QString &name) {
                const QRect cell = cellOf(name, SaveDialogTreeModel::DisplayNameColumn);
                return view->viewport()->grab().toImage().pixelColor(cell.right() - 3,
                                                                      cell.top() + 3);
            };
            const QColor plain = nameCellColor("dock.dxf");
            const QColor error = nameCellColor("logo.png");
            view->selectionModel()->select(
                indexOf(dialog, rowNamed(dialog, "dock.dxf"), SaveDialogTreeModel::DisplayNameColumn),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            const QColor selected = nameCellColor("dock.dxf");
            QVERIFY2(error != plain && selected != plain && selected != error,
                     qPrintable(QStringList({plain.name(), error.name(), selected.name()})
                                    .join(' ')));
            // The same press keeps it red and saves nothing.
            press(dialog, "SavePushButton");
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(platformFile("Common Space", "dock.dxf").phid.isEmpty());
            // Left out, the duplicate stands in no one's way; taken in again, it does.
            choose(dialog, "logo.png", "Do Not Save");
            QVERIFY(errorLabel->isHidden());
            choose(dialog, "logo.png", "Save As New");
            QVERIFY(!errorLabel->isHidden());

            choose(dialog, "logo.png", "Overwrite");
            press(dialog, "CheckDuplicatePushButton");
            QVERIFY(!logo->hasError);
            QVERIFY(errorLabel->isHidden());
            // Only a file saved as new may go to another space: its space box is drawn as one
            // to choose from, the overwritten file's as one that is not (a paler face).
            const auto spaceBoxFace = [&](const QString &name) {
                const QRect cell = cellOf(name, SaveDialogTreeModel::SpaceColumn);
                const QImage shown = view->viewport()->grab(cell).toImage();
                QMap<int, int> pixels; // by lightness, the white around the box left out
                for (int y = 0; y < shown.height(); ++y)
                    for (int x = 0; x < shown.width(); ++x)
                        ++pixels[shown.pixelColor(x, y).lightness()];
                pixels.remove(255);
                int face = -1;
                for (auto it = pixels.cbegin(); it != pixels.cend(); ++it)
                    face = face < 0 || it.value() > pixels.value(face) ? it.key() : face;
                return face;
            };
            QVERIFY2(spaceBoxFace("dock.dxf") < spaceBoxFace("logo.png"),
                     qPrintable(QString("%1 %2").arg(spaceBoxFace("dock.dxf"))
                                    .arg(spaceBoxFace("logo.png"))));
            // Reset gives the rows back as the dialog made them, the duplicate's error with them.
            press(dialog, "ResetPushButton");
            QVERIFY(rowNamed(dialog, "logo.png")->hasError);
            QVERIFY(!errorLabel->isHidden());
            choose(dialog, "logo.png", "Overwrite");
            press(dialog, "CheckDuplicatePushButton");
            QVERIFY(errorLabel->isHidden());
            press(dialog, "SavePushButton");
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        const PlatformFile after = platformFile("Common Space", "logo.png");
        QCOMPARE(after.name, before.name);
        QCOMPARE(after.revision, before.revision + 1);
        QCOMPARE(after.sha256, sha256Of(DxfTest::readBytes(folder() + "/logo.png")));
        QVERIFY(!platformFile("Common Space", "dock.dxf").phid.isEmpty());
    }

    // alice changes files of the downloaded bridge.dwg set outside the host, maybe holding a
    // lock herself or only reading Common Space. The approved dialog shows each row's action,
    // status, reasons and error, the message line and the spaces offered to new files. A
    // refused save changes nothing on the platform or in the file database; a save gives each
    // sent file a new revision of its bytes, and leaves alice's own lock hers and others free.
    void aSaveOfTheSetGoesWholeOrNotAtAll_data()
    {
        QTest::addColumn<QStringList>("changed");
        QTest::addColumn<bool>("reader");
        QTest::addColumn<QString>("mine");    // locked by alice before the save
        QTest::addColumn<QStringList>("saved"); // empty: the save is refused
        // Only a file that is sent can be refused over bob's lock.
        QTest::newRow("changed where bob holds the lock")
            << QStringList{"deck.dwg"} << false << "" << QStringList();
        // bob's lock on deck.dwg, unchanged here, is left alone by itself: the save goes on.
        QTest::newRow("unchanged where bob holds the lock")
            << QStringList{"deck-photo.png", "piers.dxf"} << false << "piers.dxf"
            << QStringList{"deck-photo.png", "piers.dxf"};
        // What she did not change is passed over; her change is red with the reason.
        QTest::newRow("alice only reads the space")
            << QStringList{"piers.dxf"} << true << "" << QStringList();
    }

    void aSaveOfTheSetGoesWholeOrNotAtAll()
    {
        QFETCH(QStringList, changed);
        QFETCH(bool, reader);
        QFETCH(QString, mine);
        QFETCH(QStringList, saved);
        savetest::download("bridge.dwg", folder());
        for (const QString &file : changed)
            QVERIFY(DemoDrawingSet::changeOutsideTheHost(folder() + '/' + file, "alice's"));
        QVERIFY(m_host->documents()->OpenDocument(folder() + "/bridge.dwg"));
        const PlatformProbe alice(*m_fixture.platform, "alice", "alice-demo-pw");
        QVERIFY(mine.isEmpty() || alice.setLocked(mine, true));
        const auto unlock = qScopeGuard([&] {
            if (!mine.isEmpty())
                alice.setLocked(mine, false);
        });
        const std::shared_ptr<void> editorAgain = reader ? aliceOnlyReadsCommonSpace() : nullptr;
        QVERIFY(!reader || editorAgain);
        const QMap<QString, int> before = revisions();
        SaveToCSDialog dialog(ShowAurexTaskPane::instance());
        settle(dialog);
        const QByteArray database = DxfTest::readBytes(FileDatabase::locationFor(QString()));
        verifyApproved(dialog, QString("set-") + QTest::currentDataTag());
        press(dialog, "SavePushButton");
        QCOMPARE(dialog.result(), int(saved.isEmpty() ? QDialog::Rejected : QDialog::Accepted));

        QMap<QString, int> expected = before;
        for (const QString &title : saved) {
            ++expected[title];
            QCOMPARE(platformFile("Common Space", title).sha256,
                     sha256Of(DxfTest::readBytes(folder() + '/' + title)));
            QCOMPARE(alice.lockedBy(title), title == mine ? QString("alice") : QString());
        }
        QCOMPARE(revisions(), expected);
        if (saved.isEmpty())
            QCOMPARE(DxfTest::readBytes(FileDatabase::locationFor(QString())), database);
    }

    // New files to a space alice may only read: offered her first space she may save to, and
    // if she chooses the other anyway, the platform refuses them and the dialog says why in
    // the platform's words, not only that nothing was saved.
    void newFilesToASpaceTheUserMayOnlyReadAreRefusedWithTheReason()
    {
        QVERIFY(m_host->documents()->OpenDocument(makeReferenceSet("wharf")));
        const std::shared_ptr<void> editorAgain = aliceOnlyReadsCommonSpace();
        QVERIFY(editorAgain);
        SaveToCSDialog dialog(ShowAurexTaskPane::instance());
        settle(dialog);
        QCOMPARE(rowNamed(dialog, "wharf.dxf")->collabSpace, QString("Bridge Project"));
        dialog.saveSet()->setSpace("Common Space");
        m_boxes.clear();
        press(dialog, "SavePushButton");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        // The refusal's box is answered (and noted) as it shows, a moment after the job ended.
        QTRY_COMPARE(m_boxes.size(), 1);
        QStringList said{dialog.findChild<QLabel *>("error_label")->text()};
        for (const auto &box : qAsConst(m_boxes))
            said << box.first << box.second;
        QVERIFY2(said.join('\n').contains("The platform did not store the files; nothing was "
                                           "saved.\nYou can read Common Space but not save to "
                                           "it."),
                 qPrintable(said.join(" | ")));
        QVERIFY(platformFile("Common Space", "wharf.dxf").phid.isEmpty());
    }

    void lostUpdateIsRefusedUntilOverwritten()
    {
        const QMap<QString, QString> names = savetest::download("bridge.dwg", folder());
        // Another program changes bridge.dwg.
        const QString path = folder() + "/bridge.dwg";
        QVERIFY(DemoDrawingSet::changeOutsideTheHost(path, "edited elsewhere"));
        QVERIFY(m_host->documents()->OpenDocument(path));
        SaveToCSDialog dialog(ShowAurexTaskPane::instance());
        settle(dialog);
        QVERIFY(!dialog.saveSet()->top()->hasError);
        for (const char *other : {"deck.dwg", "piers.dxf", "logo.png", "load-table.pdf"})
            choose(dialog, other, "Do Not Save");

        // Bob saves a version of his own while alice's dialog is open.
        PlatformClient bob(m_fixture.platform->serverHost());
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        const QJsonObject version{{"parent", -1}, {"title", "bridge.dwg"},
                                  {"name", names.value(path)}, {"collabspace", "Common Space"}};
        const QByteArray bobs = DxfTest::readBytes(DxfTest::dataPath("ezdxf/geometry-r2013.dxf"));
        QCOMPARE(bob.checkIn({version}, {bobs}), 200);
        const PlatformFile afterBob = platformFile("Common Space", "bridge.dwg");
        QCOMPARE(afterBob.modifiedBy, QString("bob"));
        press(dialog, "SavePushButton");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QTRY_COMPARE(m_boxes.size(), 1);
        QVERIFY2(m_boxes.first().second.contains("bob"), qPrintable(m_boxes.first().second));
        QVERIFY(dialog.saveSet()->top()->hasError);
        QCOMPARE(platformFile("Common Space", "bridge.dwg").sha256, afterBob.sha256);

        choose(dialog, "bridge.dwg", "Overwrite");
        press(dialog, "SavePushButton");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const PlatformFile mine = platformFile("Common Space", "bridge.dwg");
        QCOMPARE(mine.sha256, sha256Of(DxfTest::readBytes(path)));
        QCOMPARE(mine.modifiedBy, QString("alice"));
        // The file database holds the platform's stamp of that version, read through its details.
        FzFileInfo details;
        setRecordProperty(details, "name", mine.name);
        LintraAurexConnectorWrapper::GetInstance()->Details({&details});
        QCOMPARE(FileDatabase(QString()).updateStamp(path),
                 recordProperty(details, "_filemodified"));
    }

    // A save made offline meets newer versions that bob saved meanwhile: each choice of the
    // conflict dialog does what it says, on the platform and in alice's working copy.
    void outboxConflictChoicesDoWhatTheySay()
    {
        const QMap<QString, QString> names = savetest::download("bridge.dwg", folder());
        const QString piers = folder() + "/piers.dxf";
        const QString rebar = folder() + "/rebar.dxf";
        const QString logo = folder() + "/logo.png";
        // Each one's change to each file, as another program makes it.
        QMap<QString, QByteArray> alices, bobs;
        for (const QString &file : {piers, rebar, logo}) {
            const QByteArray bytes = DxfTest::readBytes(file);
            const auto edited = [&](const QByteArray &who) {
                return file.endsWith(".png") ? bytes + who : "999\n" + who + "\n" + bytes;
            };
            alices.insert(file, edited("alice's"));
            bobs.insert(file, edited("bob's"));
        }
        {
            // Saved in the host, which records each local save.
            FileDatabase saves{QString()};
            for (auto it = alices.cbegin(); it != alices.cend(); ++it) {
                QVERIFY(DxfTest::writeBytes(it.key(), it.value()));
                QCOMPARE(saves.setLocallyModified(it.key(), "true"), QString("0"));
            }
            QVERIFY(saves.save());
        }
        // Saved while offline, as the save dialog leaves them in the outbox: piers.dxf with the
        // rebar.dxf it references, and bridge.dwg, unchanged, with logo.png. Each is based on
        // the version downloaded.
        // Read once, and let go of before sending: sending records in it from another thread.
        auto database = std::make_unique<FileDatabase>(QString());
        const auto row = [&](SaveTreeItem *parent, const QString &file, bool changed) {
            const QString path = folder() + '/' + file;
            auto *item = parent ? parent->appendChild(path, file)
                                : new SaveTreeItem(path, file, nullptr);
            item->action = SaveAction::SaveChanges;
            item->kind = file.endsWith(".png") ? ReferenceNode::RasterImage
                                               : ReferenceNode::Drawing;
            item->name = names.value(path);
            item->collabSpace = "Common Space";
            item->existsOnServer = true;
            item->status = changed ? 1 : 2;
            item->hasLocalChanges = changed;
            item->baseStamp = database->updateStamp(path);
            return item;
        };
        const std::unique_ptr<SaveTreeItem> piersSave(row(nullptr, "piers.dxf", true));
        row(piersSave.get(), "rebar.dxf", true);
        QVERIFY(Outbox(QString()).append(*piersSave, 2));
        const std::unique_ptr<SaveTreeItem> bridgeSave(row(nullptr, "bridge.dwg", false));
        row(bridgeSave.get(), "logo.png", true);
        QVERIFY(Outbox(QString()).append(*bridgeSave, 1));
        database.reset();

        PlatformClient bob(m_fixture.platform->serverHost());
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        for (auto it = bobs.cbegin(); it != bobs.cend(); ++it) {
            const QJsonObject version{{"parent", -1},
                                      {"title", QFileInfo(it.key()).fileName()},
                                      {"name", names.value(it.key())},
                                      {"collabspace", "Common Space"}};
            QCOMPARE(bob.checkIn({version}, {it.value()}), 200);
        }

        // Online again: alice keeps her piers.dxf as a copy, takes bob's rebar.dxf and overwrites
        // his logo.
        OutboxDelivery delivery(ShowAurexTaskPane::instance(), nullptr);
        QStringList asked;
        connect(&delivery, &OutboxDelivery::conflictAsked, this, [&](ConflictDialog *dialog) {
            const QMap<QString, QString> choices{{"piers.dxf", "Keep mine as a copy"},
                                                 {"rebar.dxf", "Take theirs"},
                                                 {"logo.png", "Overwrite theirs"}};
            const QList<SaveTreeItem *> rows = dialog->rows();
            dialog->show();
            for (int i = 0; i < rows.size(); ++i) {
                asked.append(rows.at(i)->displayName);
                auto *choice = dialog->findChild<QComboBox *>(QString("conflictChoice%1").arg(i));
                choice->setCurrentText(choices.value(rows.at(i)->displayName));
                // The file is named left of its choice, on the same line.
                const QLabel *named = nullptr;
                for (const QLabel *label : dialog->findChildren<QLabel *>()) {
                    if (label->text().startsWith("<b>" + rows.at(i)->displayName + "</b>"))
                        named = label;
                }
                QVERIFY(named);
                QVERIFY(named->geometry().right() < choice->geometry().left());
                QVERIFY(named->geometry().top() <= choice->geometry().center().y()
                        && choice->geometry().center().y() <= named->geometry().bottom());
            }
            dialog->accept();
        });
        QSignalSpy finished(&delivery, &OutboxDelivery::finished);
        delivery.start();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toString(), QString());
        asked.sort();
        QCOMPARE(asked, (QStringList{"logo.png", "piers.dxf", "rebar.dxf"}));
        // Sent, the outbox is the user's again: discarding what is left (nothing) is no
        // refusal.
        QCOMPARE(delivery.discardAll(), QString());

        const QString copy = ConflictDialog::copyTitle("piers.dxf", "alice", QDate::currentDate());
        QMap<QString, QString> onPlatform;
        for (const QString &title : {QString("piers.dxf"), copy, QString("rebar.dxf"),
                                     QString("logo.png")})
            onPlatform.insert(title, platformFile("Common Space", title).sha256);
        QCOMPARE(onPlatform, (QMap<QString, QString>{{"piers.dxf", sha256Of(bobs.value(piers))},
                                                     {copy, sha256Of(alices.value(piers))},
                                                     {"rebar.dxf", sha256Of(bobs.value(rebar))},
                                                     {"logo.png", sha256Of(alices.value(logo))}}));
        // Here: bob's rebar.dxf replaced alice's, whose change is kept beside it; her piers.dxf
        // stays hers and now stands for her copy, which her bridge.dwg goes on using.
        QCOMPARE(DxfTest::readBytes(rebar), bobs.value(rebar));
        const QStringList kept = QDir(folder()).entryList({"rebar (local changes *).dxf"});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(DxfTest::readBytes(folder() + '/' + kept.first()), alices.value(rebar));
        QCOMPARE(DxfTest::readBytes(piers), alices.value(piers));
        const FileDatabase after{QString()};
        QCOMPARE(after.entryAttribute(piers, "name"), platformFile("Common Space", copy).name);
        QVERIFY(!after.hasLocalChanges(piers));
    }

    // alice changes rebar.dxf and the drawing number in piers.dxf's title block. Drawings
    // outside her set use both: the dialog says so (its approved state), and the save goes
    // on. The new number is found in the space and in all spaces, the old one no longer.
    void changedFilesOthersUseAreSaidAndTheNewNumberIsFound()
    {
        savetest::download("piers.dxf", folder());
        const QString piers = folder() + "/piers.dxf";
        QByteArray numbered = DxfTest::readBytes(piers);
        QVERIFY(numbered.contains("BR-310-S"));
        QVERIFY(DxfTest::writeBytes(piers, numbered.replace("BR-310-S", "BR-310-T")));
        QVERIFY(DemoDrawingSet::changeOutsideTheHost(folder() + "/rebar.dxf", "alice's bars"));
        QVERIFY(m_host->documents()->OpenDocument(piers));
        SaveToCSDialog dialog(ShowAurexTaskPane::instance());
        settle(dialog);
        verifyApproved(dialog, "changes-to-files-others-use");
        // A file left out is not said to change.
        choose(dialog, "rebar.dxf", "Do Not Save");
        QCOMPARE(dialog.findChild<QLabel *>("SharedFilesLabel")->text(),
                 QString("piers.dxf is also used by bridge.dwg."));
        press(dialog, "SavePushButton");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const auto found = [](const QString &text, bool everySpace) {
            const auto query = everySpace ? makeAllSpacesSearchQuery(text)
                                          : makeSpaceSearchQuery("Common Space", text);
            LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
            QStringList titles;
            if (!connector->SearchPattern(query.get()))
                return QStringList{"search failed"};
            for (int i = 0; i < connector->GetSearchListSize(); ++i)
                titles << recordTitle(*connector->GetSearchFileAt(i)) + ' '
                        + recordProperty(*connector->GetSearchFileAt(i), "_DrawingNumber");
            return titles;
        };
        const QStringList expected{"piers.dxf BR-310-T"};
        QCOMPARE(found("br-310-t", false), expected);
        QCOMPARE(found("BR-310-T", true), expected);
        // Copies made by earlier saves of this run may still carry the old number; piers.dxf
        // no longer does.
        for (const bool everySpace : {false, true}) {
            const QStringList old = found("br-310-s", everySpace);
            QVERIFY2(!old.contains("search failed")
                         && old.filter(QRegularExpression("^piers\\.dxf ")).isEmpty(),
                     qPrintable(old.join('\n')));
        }
    }

    // Runs last: the platform goes away.
    void platformGoneIsSaidAndNoRowIsGuessed()
    {
        savetest::download("bridge.dwg", folder());
        QVERIFY(m_host->documents()->OpenDocument(folder() + "/bridge.dwg"));
        m_fixture.platform->stop();
        SaveToCSDialog dialog(ShowAurexTaskPane::instance());
        settle(dialog);
        QTRY_COMPARE(m_boxes.size(), 1);
        QVERIFY2(m_boxes.first().first.startsWith("The AUREX Platform cannot be reached: "),
                 qPrintable(m_boxes.first().first));
        QVERIFY(dialog.saveSet()->rows().isEmpty());
    }

private:
    // The dialog, shown, compared whole with its approved state; the rounds' folders vary.
    void verifyApproved(SaveToCSDialog &dialog, const QString &name)
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        ApprovedState approved;
        approved.replace(m_fixture.home.path(), "<home>");
        approved.replace(QRegularExpression("round\\d+"), "round");
        // Previews are written to temporary files of their own.
        approved.replace(QRegularExpression("<img src = '[^']*'"), "<img src = '<preview>'");
        const QString differences = approved.differences(&dialog, name);
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
    }

    // The revision of every file of the Common Space, by title.
    static QMap<QString, int> revisions()
    {
        LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
        FzFileInfo query;
        setRecordProperty(query, "_TypePattern", "*");
        setRecordProperty(query, "_CS", "Common Space");
        QMap<QString, int> found;
        if (!connector->SearchPattern(&query))
            return found;
        for (int i = 0; i < connector->GetSearchListSize(); ++i) {
            const FzFileInfo &file = *connector->GetSearchFileAt(i);
            found.insert(recordTitle(file), recordProperty(file, "revision").toInt());
        }
        return found;
    }

    QString folder() const
    {
        return m_fixture.home.filePath(QStringLiteral("round%1").arg(m_round));
    }

    // Makes alice a reader of Common Space until the returned guard goes; null when the
    // platform refused.
    std::shared_ptr<void> aliceOnlyReadsCommonSpace()
    {
        PlatformProcess *platform = m_fixture.platform.get();
        if (platform->run({"member", "role", "Common Space", "alice", "reader"}).exitCode != 0)
            return nullptr;
        return std::shared_ptr<void>(platform, [](void *process) {
            static_cast<PlatformProcess *>(process)->run(
                {"member", "role", "Common Space", "alice", "editor"});
        });
    }

    // host.dxf's set under new names: DRAWING.dxf > parts/DRAWING-bolt.dwg > parts/DRAWING-nut.dxf,
    // DRAWING-logo.png (or logo), DRAWING-plan.pdf. Returns the drawing's path.
    QString makeReferenceSet(const QString &drawing, const QString &logo = QString())
    {
        const QString logoName = logo.isEmpty() ? drawing + "-logo.png" : logo;
        auto copy = [&](const QString &sample, const QString &target, QByteArrayList replace) {
            QByteArray bytes = DxfTest::readBytes(DxfTest::dataPath("ezdxf/refs/" + sample));
            for (int i = 0; i + 1 < replace.size(); i += 2)
                bytes.replace(replace.at(i), replace.at(i + 1));
            return DxfTest::writeBytes(folder() + "/" + target, bytes);
        };
        const QByteArray name = drawing.toUtf8();
        copy("host.dxf", drawing + ".dxf",
             {"bolt.dwg", name + "-bolt.dwg", "logo.png", logoName.toUtf8(), "plan.pdf",
              name + "-plan.pdf"});
        copy("parts/bolt.dwg", "parts/" + drawing + "-bolt.dwg", {"nut.dxf", name + "-nut.dxf"});
        copy("parts/nut.dxf", "parts/" + drawing + "-nut.dxf", {});
        QImage picture(8, 4, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(m_round * 40 % 360, 200, 200));
        picture.save(folder() + "/" + logoName);
        DxfTest::writeBytes(folder() + "/" + drawing + "-plan.pdf", "%PDF-1.4\n%%EOF\n");
        return folder() + "/" + drawing + ".dxf";
    }

    savetest::Fixture m_fixture;
    std::unique_ptr<HostEnvironment> m_host;
    QList<QPair<QString, QString>> m_boxes; // each box's text and informative text
    int m_round = 0;
};

QTEST_MAIN(TestSaveToCSDialog)
#include "tst_savetocsdialog.moc"
