// The help address in the host's language, and the please-wait box.

#include "support/helpaddress.h"
#include "support/progressdialog.h"

#include <QtTest>

class TestHelpAndProgress : public QObject
{
    Q_OBJECT

private slots:
    void helpCodeFollowsTheHostLanguage_data()
    {
        QTest::addColumn<bool>("saveDialog");
        QTest::addColumn<int>("hostLanguage");
        QTest::addColumn<QString>("systemLocale");
        QTest::addColumn<QString>("code");
        QTest::newRow("french host") << false << 7 << "de_DE" << "french";
        QTest::newRow("save dialog: a blank before the version") << true << 7 << "de_DE" << "french ";
        QTest::newRow("english host") << false << 2 << "de_DE" << "english";
        QTest::newRow("unknown host number") << false << 99 << "de_DE" << "";
        QTest::newRow("system, German") << false << 0 << "de_DE" << "german";
        QTest::newRow("system, Taiwanese Chinese") << false << 0 << "zh_TW" << "Chinese";
        QTest::newRow("system, mainland Chinese") << false << 0 << "zh_CN" << "Chinese-simplified";
        QTest::newRow("system, Swahili") << false << 0 << "sw_KE" << "";
    }

    // Each of the host's languages, 1 to 18, opens the help in a language of its own.
    void everyHostLanguageHasItsOwnHelp()
    {
        QSet<QString> codes;
        for (int language = 1; language <= 18; ++language) {
            const QUrl url = HelpAddress::build(HelpAddress::TaskPane, language, QLocale::c());
            const QString code = QUrlQuery(url).queryItemValue("L", QUrl::FullyDecoded);
            QVERIFY2(!code.isEmpty() && !codes.contains(code),
                     qPrintable(QString::number(language)));
            codes.insert(code);
        }
    }

    void helpCodeFollowsTheHostLanguage()
    {
        QFETCH(bool, saveDialog);
        QFETCH(int, hostLanguage);
        QFETCH(QString, systemLocale);
        QFETCH(QString, code);
        const QUrl url = HelpAddress::build(saveDialog ? HelpAddress::SaveDialog
                                                       : HelpAddress::TaskPane,
                                            hostLanguage, QLocale(systemLocale));
        const QUrlQuery query(url);
        QCOMPARE(query.queryItemValue("L", QUrl::FullyDecoded), code);
        QCOMPARE(query.queryItemValue("V"), QString("2015"));
        QCOMPARE(query.queryItemValue("F"), QString("c_collaborative_sharing_overview.htm"));
        QCOMPARE(url.adjusted(QUrl::RemoveQuery | QUrl::RemoveAuthority).toString(),
                 QString("http:/Help.aspx"));
    }

    void pleaseWaitCyclesItsDots()
    {
        ProgressDialog dialog;
        QVERIFY(dialog.isModal());
        QStringList seen{dialog.text()};
        for (int step = 0; step < 6; ++step) {
            dialog.update(); // what each tick of its timer does
            seen << dialog.text();
        }
        QCOMPARE(seen, QStringList({"Please wait", "Please wait.", "Please wait..", "Please wait...",
                                    "Please wait", "Please wait.", "Please wait.."}));
    }
};

QTEST_MAIN(TestHelpAndProgress)
#include "tst_helpandprogress.moc"
