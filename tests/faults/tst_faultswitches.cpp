// How AUREX_FAULT_POINTS switches points on: each named point fails on the hit it names (the
// first unless told), once; a hit count that is no positive number means the first; a word
// other than kill or fail switches nothing; other points pass.

#include "faults/faultpoint.h"

#include <QtTest>

class TestFaultSwitches : public QObject
{
    Q_OBJECT

private slots:
    void eachPointFailsOnTheHitItNames()
    {
        const QStringList points{"first", "third", "zeroth", "unnumbered", "unknown", "unlisted"};
        QStringList hits;
        for (const QString &point : points) {
            QString failed;
            for (int hit = 1; hit <= 4; ++hit)
                failed += FaultPoint::fails(point.toLatin1().constData()) ? '!' : '.';
            hits << point + " " + failed;
        }
        QCOMPARE(hits, (QStringList{"first !...", "third ..!.", "zeroth !...",
                                    "unnumbered !...", "unknown ....", "unlisted ...."}));
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
