#pragma once

#include <QObject>

class QMenu;
class QWidget;

// Makes a window of the module usable from the keyboard in whatever language it shows: each
// time it is shown, every button, check box, group box and labelled field gets a mnemonic of
// its own (Alt and the underlined letter), and Tab walks the fields in reading order, row by
// row as the layout placed them. A menu gets mnemonics for its entries each time it opens.
// Texts that bring their own mnemonic keep it. Lives as long as the window. Main thread.
class KeyboardAccess : public QObject
{
    Q_OBJECT

public:
    static void install(QWidget *window);
    static void install(QMenu *menu);

    // What install() does on each showing, for the window as it stands now.
    static void assignMnemonics(QWidget *window);
    static void assignMnemonics(QMenu *menu);
    static void orderTabs(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit KeyboardAccess(QObject *parent) : QObject(parent) {}
};
