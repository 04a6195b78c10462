// Text other people typed, as the lists and tool tips show it: controls and the characters that
// reorder text written out, line breaks kept only where a tool tip can show them, runs of
// spaces on one line made one.

#include "support/displaytext.h"

#include <QtTest>

class TestDisplayText : public QObject
{
    Q_OBJECT

private slots:
    void typedTextIsShownSafely_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("oneLine");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("plain") << "Deck widened" << "Deck widened" << "Deck widened"
                               << "Deck widened";
        QTest::newRow("lines and a tab")
            << "\n  \r\nPiers moved\r\n\tsee sheet 4" << "Piers moved see sheet 4"
            << "\n  \nPiers moved\n see sheet 4" << "Piers moved";
        QTest::newRow("a control character") << QString("bell\aend") << "bell\\u0007end"
                                             << "bell\\u0007end" << "bell\\u0007end";
        // Each kind of mark that reorders what follows it: the Arabic letter mark, the marks
        // left-to-right and right-to-left, the embeddings and overrides, and the isolates.
        QTest::newRow("reordering marks")
            << QString::fromUtf16(u"a\u061Cb\u200Ec\u200Fd\u202Ae\u202Ef\u2066g\u2069h")
            << "a\\u061cb\\u200ec\\u200fd\\u202ae\\u202ef\\u2066g\\u2069h"
            << "a\\u061cb\\u200ec\\u200fd\\u202ae\\u202ef\\u2066g\\u2069h"
            << "a\\u061cb\\u200ec\\u200fd\\u202ae\\u202ef\\u2066g\\u2069h";
        // Letters of right-to-left scripts are words, shown as they are.
        QTest::newRow("Hebrew") << QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD")
                                << QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD")
                                << QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD")
                                << QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD");
    }

    void typedTextIsShownSafely()
    {
        QFETCH(QString, typed);
        QFETCH(QString, oneLine);
        QFETCH(QString, toolTip);
        QFETCH(QString, firstLine);
        QCOMPARE(QStringList({singleLineText(typed), multiLineText(typed), firstLineText(typed)}),
                 QStringList({oneLine, toolTip, firstLine}));
    }
};

QTEST_GUILESS_MAIN(TestDisplayText)
#include "tst_displaytext.moc"
