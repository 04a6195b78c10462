// The keyboard in a module window: every button and labelled field reachable with Alt and a
// letter of its own, whatever the language; Tab in reading order whatever order the widgets
// were made in; menu entries with letters of their own each time the menu opens.

#include "support/keyboardaccess.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

namespace {

QChar mnemonicOf(const QString &text)
{
    const QString key = QKeySequence::mnemonic(text).toString(QKeySequence::PortableText);
    return key.isEmpty() ? QChar() : key.back().toLower();
}

template <typename T>
T *named(QWidget *parent, const QString &name, const QString &text = QString())
{
    auto *widget = new T(parent);
    widget->setObjectName(name);
    if constexpr (std::is_base_of_v<QAbstractButton, T> || std::is_base_of_v<QLabel, T>)
        widget->setText(text);
    return widget;
}

// The window of the open dialog's kind, its widgets made bottom row first and right to left so
// that Qt's own tab order (the order of making) is the reverse of reading order.
struct SearchWindow
{
    QDialog dialog;
    QGridLayout *grid = new QGridLayout(&dialog);

    explicit SearchWindow(const QStringList &texts)
    {
        // texts: search-for label, in label, search, check box, cancel, save, settings, hidden
        grid->addWidget(named<QPushButton>(&dialog, "settings", texts[6]), 2, 4);
        grid->addWidget(named<QPushButton>(&dialog, "save", texts[5]), 2, 3);
        grid->addWidget(named<QPushButton>(&dialog, "cancel", texts[4]), 2, 2);
        grid->addWidget(named<QCheckBox>(&dialog, "all", texts[3]), 2, 0, 1, 2);
        auto *hidden = named<QPushButton>(&dialog, "hidden", texts[7]);
        hidden->hide();
        grid->addWidget(hidden, 2, 5);
        grid->addWidget(named<QListWidget>(&dialog, "list"), 1, 0, 1, 5);
        grid->addWidget(named<QPushButton>(&dialog, "search", texts[2]), 0, 4);
        auto *combo = named<QComboBox>(&dialog, "space");
        combo->setEditable(true);
        grid->addWidget(combo, 0, 3);
        auto *in = named<QLabel>(&dialog, "inLabel", texts[1]);
        in->setBuddy(combo);
        grid->addWidget(in, 0, 2);
        auto *edit = named<QLineEdit>(&dialog, "query");
        grid->addWidget(edit, 0, 1);
        auto *searchFor = named<QLabel>(&dialog, "searchForLabel", texts[0]);
        searchFor->setBuddy(edit);
        grid->addWidget(searchFor, 0, 0);
        KeyboardAccess::install(&dialog);
    }

    // The mnemonic of every shown button, check box and labelled field, by name.
    QMap<QString, QChar> mnemonics() const
    {
        QMap<QString, QChar> letters;
        for (const QAbstractButton *button : dialog.findChildren<QAbstractButton *>())
            if (button->isVisible())
                letters.insert(button->objectName(), mnemonicOf(button->text()));
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            letters.insert(label->objectName(), mnemonicOf(label->text()));
        return letters;
    }
};

} // namespace

class TestKeyboardAccess : public QObject
{
    Q_OBJECT

private slots:
    void everyButtonAndFieldHasALetterOfItsOwn_data()
    {
        QTest::addColumn<QStringList>("texts");
        // The letters of all, cancel, inLabel, save, search, searchForLabel and settings: push
        // buttons choose first, then the check box and the labels, each in reading order; a
        // word's first letter where one is free, else the next free letter.
        QTest::addColumn<QString>("expected");
        // Most words start with S, and the cancel button brings its own letter.
        QTest::newRow("English") << QStringList{"Search for", "in", "Search", "Show all versions",
                                                "&Cancel", "Save", "Settings", "Secret"}
                                 << QString("vciasfe");
        QTest::newRow("German")
            << QStringList{"Suchen nach", "in", "Suchen", "Alle Versionen zeigen", "Abbre&chen",
                           "Speichern", "Einstellungen", "Geheim"}
            << QString("acipsne");
    }

    void everyButtonAndFieldHasALetterOfItsOwn()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, expected);
        SearchWindow window(texts);
        window.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&window.dialog));

        const QMap<QString, QChar> letters = window.mnemonics();
        QCOMPARE(letters.keys(), (QStringList{"all", "cancel", "inLabel", "save", "search",
                                              "searchForLabel", "settings"}));
        QString given;
        for (const QChar letter : letters)
            given += letter;
        QCOMPARE(given, expected);

        // What the letters do: Alt and a label's letter puts the cursor into its field, Alt and
        // a button's letter presses it.
        window.dialog.findChild<QListWidget *>("list")->setFocus();
        QTest::keyClick(&window.dialog, letters.value("searchForLabel").toLatin1(),
                        Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("query"));
        QSignalSpy saved(window.dialog.findChild<QPushButton *>("save"), &QPushButton::clicked);
        QTest::keyClick(&window.dialog, letters.value("save").toLatin1(), Qt::AltModifier);
        // A button pressed by its letter shows itself pressed for a moment, then clicks.
        QTRY_COMPARE(saved.count(), 1);

        // Shown again, the letters stay as they were.
        window.dialog.hide();
        window.dialog.show();
        QCOMPARE(window.mnemonics(), letters);
    }

    void tabFollowsReadingOrder()
    {
        SearchWindow window({"Search for", "in", "Search", "Show all versions", "Cancel", "Save",
                             "Settings", "Secret"});
        window.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&window.dialog));
        window.dialog.findChild<QLineEdit *>("query")->setFocus();
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(visited, (QStringList{"query", "space", "search", "list", "all", "cancel",
                                       "save", "settings"}));
    }

    void menuEntriesGetLettersEachTimeTheMenuOpens()
    {
        QMenu menu;
        QAction *latest = menu.addAction("Get Latest");
        QAction *lock = menu.addAction("Lock");
        menu.addAction("Delete");
        menu.addAction("History...");
        KeyboardAccess::install(&menu);
        const auto letters = [&] {
            QStringList shown;
            for (const QAction *action : menu.actions())
                shown.append(mnemonicOf(action->text()));
            return shown;
        };
        const auto opened = [&] {
            menu.popup(QPoint(0, 0));
            QVERIFY(QTest::qWaitForWindowExposed(&menu));
            menu.hide();
        };
        opened();
        QCOMPARE(letters(), (QStringList{"g", "l", "d", "h"}));
        // Texts set anew between openings (the lock entry says Unlock once the file is locked)
        // get a letter again, one the others do not have.
        lock->setText("Unlock");
        latest->setEnabled(false);
        opened();
        QCOMPARE(letters(), (QStringList{"g", "u", "d", "h"}));
    }
};

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboardaccess.moc"
