// How AUREX_FAULT_POINTS switches points on: each named point fails on the hit it names (the
// first unless told), once; a hit count that is no positive number means the first; a word
// other than kill or fail switches nothing (and is said so); other points pass; each point that
// fails says so on standard error.

#include "faults/faultpoint.h"

#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>

#include <unistd.h>

class TestFaultSwitches : public QObject
{
    Q_OBJECT

private slots:
    void eachPointFailsOnTheHitItNames()
    {
        const QStringList points{"first", "third", "zeroth", "unnumbered", "unknown", "unlisted"};
        // What the process says on standard error meanwhile, where a test of a whole program
        // reads which point held.
        QTemporaryFile said;
        QVERIFY(said.open());
        std::fflush(stderr);
        const int savedError = ::dup(STDERR_FILENO);
        ::dup2(said.handle(), STDERR_FILENO);
        QStringList hits;
        for (const QString &point : points) {
            QString failed;
            for (int hit = 1; hit <= 4; ++hit)
                failed += FaultPoint::fails(point.toLatin1().constData()) ? '!' : '.';
            hits << point + " " + failed;
        }
        std::fflush(stderr);
        ::dup2(savedError, STDERR_FILENO);
        ::close(savedError);
        QCOMPARE(hits, (QStringList{"first !...", "third ..!.", "zeroth !...",
                                    "unnumbered !...", "unknown ....", "unlisted ...."}));
        said.seek(0);
        QCOMPARE(QString::fromUtf8(said.readAll()).split('\n', Qt::SkipEmptyParts),
                 (QStringList{"AUREX_FAULT_POINTS: \"unknown=explode\" is neither NAME=kill nor "
                              "NAME=fail; ignored",
                              "fault point first: fail", "fault point third: fail",
                              "fault point zeroth: fail", "fault point unnumbered: fail"}));
        // The failure says which point made it.
        QVERIFY(FaultPoint::failureText("third").contains("third"));
    }
};

int main(int argc, char *argv[])
{
    // Read once, when the first point is reached.
    qputenv("AUREX_FAULT_POINTS",
            "first=fail, third=fail@3,zeroth=fail@0,unnumbered=fail@x,unknown=explode");
    QCoreApplication app(argc, argv);
    TestFaultSwitches test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faultswitches.moc"
