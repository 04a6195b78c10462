// Closing a drawing from its tab asks about unsaved changes, like the close command.

#include "commandprocessor.h"
#include "filecommands.h"
#include "hostdocument.h"
#include "hostdocumentmanager.h"
#include "mainwindow.h"

#include <cfxuicustomizationmanager.h>
#include <oddbhostappservices.h>

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
        QVERIFY(document);
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
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
