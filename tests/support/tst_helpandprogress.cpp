// The help address in the host's language, the please-wait box, and dialogs that grow with the
// user's font.

#include "support/fontscale.h"
#include "support/helpaddress.h"
#include "support/progressdialog.h"

#include <cfxsystemservices.h>

#include <QDesktopServices>
#include <QtTest>

namespace {
// A host that runs in one user-interface language and has nothing else to offer.
class LanguageHost : public CFxSystemServices
{
public:
    explicit LanguageHost(int language) : m_language(language) {}
    CFxDocumentManager *GetDocumentManager() override { return nullptr; }
    CFxDockingPaneManager *GetDockingPaneManager() override { return nullptr; }
    CFxUiCustomizationManager *GetUiCustomizationManager() override { return nullptr; }
    OdDbHostAppServices *GetHostAppServices() override { return nullptr; }
    int GetUILanguage() const override { return m_language; }
    QWidget *GetMainWindow() override { return nullptr; }

private:
    int m_language;
};
} // namespace

class TestHelpAndProgress : public QObject
{
    Q_OBJECT

public slots:
    // Stands for the desktop's browser.
    void openInBrowser(const QUrl &url) { m_opened << url; }

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

    void helpOpensInTheLanguageTheHostRunsIn_data()
    {
        QTest::addColumn<bool>("saveDialog");
        QTest::addColumn<int>("hostLanguage");
        QTest::addColumn<QString>("code");
        QTest::newRow("French host, task pane") << false << 7 << "french";
        QTest::newRow("French host, save dialog") << true << 7 << "french ";
        QTest::newRow("English host, task pane") << false << 2 << "english";
    }

    // A user whose host runs in French presses Help and must get the French page, whatever the
    // computer's own language is.
    void helpOpensInTheLanguageTheHostRunsIn()
    {
        QFETCH(bool, saveDialog);
        QFETCH(int, hostLanguage);
        QFETCH(QString, code);
        LanguageHost host(hostLanguage);
        SetFxSystemServices(&host);
        QDesktopServices::setUrlHandler("http", this, "openInBrowser");
        m_opened.clear();
        HelpAddress::open(saveDialog ? HelpAddress::SaveDialog : HelpAddress::TaskPane);
        QDesktopServices::unsetUrlHandler("http");
        SetFxSystemServices(nullptr);

        QCOMPARE(m_opened.size(), 1);
        const QUrlQuery query(m_opened.first());
        QCOMPARE(QStringList({query.queryItemValue("L", QUrl::FullyDecoded),
                              query.queryItemValue("F")}),
                 QStringList({code, "c_collaborative_sharing_overview.htm"}));
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

    // A dialog laid out for the usual font (characters 7 pixels wide on average) grows in
    // both directions as much as the user's font is wider; with a narrower font it keeps its
    // size rather than shrinking below what its layout was drawn for.
    void dialogsGrowWithTheFont_data()
    {
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("large font") << 28;
        QTest::newRow("small font") << 6;
    }

    void dialogsGrowWithTheFont()
    {
        QFETCH(int, pixelSize);
        QWidget window;
        QFont font = window.font();
        font.setPixelSize(pixelSize);
        window.setFont(font);
        window.resize(400, 300);
        growWithFont(&window);
        const double wider = qMax(1.0, QFontMetrics(font).averageCharWidth() / 7.0);
        QCOMPARE(window.size(), QSize(qRound(400 * wider), qRound(300 * wider)));
        QCOMPARE(window.size() == QSize(400, 300), pixelSize < 10);
    }

private:
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestHelpAndProgress)
#include "tst_helpandprogress.moc"
