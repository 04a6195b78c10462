// The module's texts follow the host's language number: German from the compiled-in catalogue
// for 1, the English of the code for the others, and English again once the module removes its
// catalogue.

#include "support/moduletranslator.h"

#include <QCoreApplication>
#include <QtTest>

class TestModuleTranslator : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { ModuleTranslator::remove(); }

    void followsTheHostLanguage_data()
    {
        QTest::addColumn<int>("hostLanguage");
        QTest::addColumn<bool>("installed");
        // A status word, a lock with its holder, and a count of one and of three files.
        QTest::addColumn<QStringList>("texts");

        const QStringList german = { QString::fromUtf8("Aktuell"), "Gesperrt von bob",
                                     "1 von 1 Datei, 2 MB", "1 von 3 Dateien, 2 MB" };
        const QStringList english = { "Current", "Locked by bob", "1 of 1 files, 2 MB",
                                      "1 of 3 files, 2 MB" };
        QTest::newRow("1: German") << 1 << true << german;
        QTest::newRow("0: the system's, left to the host") << 0 << false << english;
        QTest::newRow("2: English") << 2 << false << english;
        QTest::newRow("7: French, no catalogue yet") << 7 << false << english;
        QTest::newRow("99: unknown") << 99 << false << english;
    }

    void followsTheHostLanguage()
    {
        QFETCH(int, hostLanguage);
        QFETCH(bool, installed);
        QFETCH(QStringList, texts);
        QCOMPARE(ModuleTranslator::install(hostLanguage), installed);
        const auto files = [](int total) {
            return QCoreApplication::translate("TransferProgressDialog", "%1 of %n files, %3",
                                               nullptr, total)
                .arg(1)
                .arg("2 MB");
        };
        QCOMPARE(QStringList({ QCoreApplication::translate("FileStatus", "Current"),
                               QCoreApplication::translate("FileStatus", "Locked by %1").arg("bob"),
                               files(1), files(3) }),
                 texts);
    }

    // Installed twice, the catalogue is there once; removed, the code's English is back.
    void removedLeavesEnglish()
    {
        QVERIFY(ModuleTranslator::install(1));
        QVERIFY(ModuleTranslator::install(1));
        ModuleTranslator::remove();
        QCOMPARE(QCoreApplication::translate("FileStatus", "Current"), QString("Current"));
        ModuleTranslator::remove();
    }
};

QTEST_MAIN(TestModuleTranslator)
#include "tst_moduletranslator.moc"
