#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

// The dialog the probe module shows for script tests: a line edit, a check box, a list and two
// buttons; a label echoes what the user changed, as the widgets' signals report it.
class ProbeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProbeDialog(const QString &name, QWidget *parent = nullptr);

    // "name, on/off, row text": what the user entered, for the command that showed the dialog.
    QString answer() const;

private:
    void echo();

    QLineEdit *m_name;
    QCheckBox *m_agree;
    QListWidget *m_choices;
    QLabel *m_echo;
};
