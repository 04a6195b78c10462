// The main window: closing a drawing from its tab asks about unsaved changes, like the close
// command; menus rebuilt from the model replace the old ones.

#include "commandprocessor.h"
#include "defaultuilayout.h"
#include "filecommands.h"
#include "hostdocument.h"
#include "hostdocumentmanager.h"
#include "mainwindow.h"

#include <cfxuicustomizationmanager.h>
#include <oddbhostappservices.h>

#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void closingAModifiedTabAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("cancel keeps it open") << int(QMessageBox::Cancel) << false;
        QTest::newRow("discard closes it") << int(QMessageBox::Discard) << true;
    }

    void closingAModifiedTabAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        OdDbHostAppServices services;
        HostDocumentManager documents(&services);
        CFxUiCustomizationManager ui;
        CommandProcessor processor;
        FileCommands files(&documents);
        MainWindow window(&ui, &documents, &processor);
        window.show();
        HostDocument *document = documents.newDocument();
        document->setModified();
        const QString title = document->title();

        QStringList questions;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            questions << box->text();
            box->button(QMessageBox::StandardButton(answer))->click();
        });
        closer.start(20);
        auto *tabs = window.findChild<QTabWidget *>("DocumentTabs");
        emit tabs->tabCloseRequested(0);
        closer.stop();

        QCOMPARE(questions.size(), 1);
        QVERIFY(questions.first().contains(title));
        QCOMPARE(documents.GetDocumentCount(), closed ? 0 : 1);
        documents.closeAll();
    }

    void refreshedMenusReplaceTheOldOnes()
    {
        OdDbHostAppServices services;
        HostDocumentManager documents(&services);
        CFxUiCustomizationManager ui;
        buildDefaultUiLayout(&ui);
        CommandProcessor processor;
        MainWindow window(&ui, &documents, &processor);
        ui.RefreshMenus(0);
        ui.RefreshMenus(0);
        // Scripts find menu entries by name: one File menu, whatever was rebuilt before.
        QCOMPARE(window.menuBar()->findChildren<QMenu *>("ID_MnFile").size(), 1);
        QCOMPARE(window.menuBar()->findChildren<QAction *>("ID_New").size(), 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
