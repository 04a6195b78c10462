// The help address in the host's language, and the please-wait box.

#include "support/helpaddress.h"
#include "support/progressdialog.h"

#include <QTimer>
#include <QtTest>

class TestHelpAndProgress : public QObject
{
    Q_OBJECT

private slots:
    void helpCodeFollowsTheHostLanguage_data()
    {
        QTest::addColumn<int>("hostLanguage");
        QTest::addColumn<QString>("systemLocale");
        QTest::addColumn<QString>("code");
        QTest::newRow("french host") << 7 << "de_DE" << "french";
        QTest::newRow("english host") << 2 << "de_DE" << "english";
        QTest::newRow("unknown host number") << 99 << "de_DE" << "";
        QTest::newRow("system, German") << 0 << "de_DE" << "german";
        QTest::newRow("system, Taiwanese Chinese") << 0 << "zh_TW" << "Chinese";
        QTest::newRow("system, mainland Chinese") << 0 << "zh_CN" << "Chinese-simplified";
        QTest::newRow("system, Swahili") << 0 << "sw_KE" << "";
    }

    void helpCodeFollowsTheHostLanguage()
    {
        QFETCH(int, hostLanguage);
        QFETCH(QString, systemLocale);
        QFETCH(QString, code);
        const QUrl url = HelpAddress::build(HelpAddress::TaskPane, hostLanguage, QLocale(systemLocale));
        const QUrlQuery query(url);
        QCOMPARE(query.queryItemValue("L"), code);
        QCOMPARE(query.queryItemValue("V"), QString("2015"));
        QCOMPARE(query.queryItemValue("F"), QString("c_collaborative_sharing_overview.htm"));
        QCOMPARE(url.path(), QString("/Help.aspx"));
        QCOMPARE(url.scheme(), QString("http"));
    }

    void saveDialogVariantHasABlankBeforeTheVersion()
    {
        const QUrl save = HelpAddress::build(HelpAddress::SaveDialog, 7, QLocale("de_DE"));
        const QUrl pane = HelpAddress::build(HelpAddress::TaskPane, 7, QLocale("de_DE"));
        QCOMPARE(QUrlQuery(save).queryItemValue("L", QUrl::FullyDecoded), QString("french "));
        QCOMPARE(QUrlQuery(pane).queryItemValue("L", QUrl::FullyDecoded), QString("french"));
    }

    void pleaseWaitCyclesItsDots()
    {
        ProgressDialog dialog;
        QVERIFY(dialog.isModal());
        QCOMPARE(dialog.size(), QSize(200, 50));
        QCOMPARE(dialog.text(), QString("Please wait"));
        auto *timer = dialog.findChild<QTimer *>("ProgressTimer");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 500);
        QStringList seen;
        for (int step = 0; step < 6; ++step) {
            dialog.update(); // what each timeout does
            seen << dialog.text();
        }
        QCOMPARE(seen, QStringList({ "Please wait.", "Please wait..", "Please wait...", "Please wait",
                                     "Please wait.", "Please wait.." }));
    }
};

QTEST_MAIN(TestHelpAndProgress)
#include "tst_helpandprogress.moc"
