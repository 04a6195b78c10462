// A script signs out and in again through the module's sign-in dialog, against a real platform,
// and reads the sign-in entry's caption from the host's widget snapshots.

#include "platformprocess.h"
#include "testhome.h"
#include "widgetsnapshotfile.h"

#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

const char kSignInEntry[] = "ID_AUREX_LOGINOUT";

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString caption(const QString &snapshot)
{
    return WidgetSnapshotFile(snapshot).find(kSignInEntry).value("text").toString();
}

} // namespace

class TestSignInScript : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
        QVERIFY(m_platform.addUser("dana", "dana-pw-123", "Dana", "Reyes"));
        QVERIFY(m_platform.writeLauncherFiles("dana", m_home.environment()));
    }

    void scriptSignsOutAndInThroughTheDialog()
    {
        const QString signIn = QString::fromLatin1(kSignInEntry);
        const QStringList lines = {
            "_UISNAPSHOT " + path("started.json"),
            "_UITRIGGER " + signIn,
            "_UISNAPSHOT " + path("signedout.json"),
            "_UITRIGGER " + signIn,
            "_UIWAIT CSLoginDialog 20",
            "_UISET UserLineEdit dana",
            "_UISET PasswordLineEdit dana-pw-123",
            "_UISNAPSHOT " + path("dialog.json"),
            "_UICLICK LoginPushButton",
            // The dialog closes once the platform has answered.
            "_UIWAITGONE CSLoginDialog 30",
        };
        QFile script(path("signin.scr"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(lines.join('\n').toUtf8());
        script.close();

        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, { "--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                                   "--script", script.fileName(), "--print-widgets",
                                   path("signedin.json"), "--exit" });
        QVERIFY(lintra.waitForFinished(90000));
        const QByteArray errors = lintra.readAllStandardError();
        QVERIFY2(lintra.exitCode() == 0, errors.constData());

        QCOMPARE(caption(path("started.json")), QString("Sign Out of AUREX Platform"));
        QCOMPARE(caption(path("signedout.json")), QString("Sign In to AUREX Platform"));
        QCOMPARE(caption(path("signedin.json")), QString("Sign Out of AUREX Platform"));

        const WidgetSnapshotFile snapshot(path("dialog.json"));
        QCOMPARE(snapshot.find("CSLoginDialog").value("title").toString(), QString("Log in to AUREX"));
        QCOMPARE(snapshot.find("UserLineEdit").value("text").toString(), QString("dana"));
        QVERIFY(!snapshot.find("PasswordLineEdit").isEmpty());
        const QByteArray dialog = readFile(path("dialog.json"));
        // A password typed into the dialog reaches neither the snapshot nor the output.
        QVERIFY(!dialog.contains("dana-pw-123"));
        QVERIFY(!errors.contains("dana-pw-123"));
    }

private:
    QString path(const QString &name) const { return m_home.filePath(name); }

    PlatformProcess m_platform;
    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestSignInScript)
#include "tst_signinscript.moc"
