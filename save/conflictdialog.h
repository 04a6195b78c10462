#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QComboBox;
class SaveTreeItem;

// Asks, per file, what to do with a save from the outbox that the platform refused because
// someone else saved a newer version of the file meanwhile: keep mine as a copy (checked in
// under a title of its own; theirs stays the current version), take theirs (mine is kept aside
// beside the file, theirs comes down in its place) or overwrite theirs. Main thread; made per
// refusal by whoever sends the outbox.
class ConflictDialog : public QDialog
{
    Q_OBJECT

public:
    enum Choice { KeepMineAsCopy = 0, TakeTheirs = 1, Overwrite = 2 };

    // rows: the refused rows (each with its changedMessage), which outlive the dialog.
    ConflictDialog(const QList<SaveTreeItem *> &rows, QWidget *parent = nullptr);

    QList<SaveTreeItem *> rows() const { return m_rows; }
    Choice choice(int index) const;
    void setChoice(int index, Choice choice);

    // The title a copy is checked in under: "NAME (USER's copy DATE).EXT".
    static QString copyTitle(const QString &title, const QString &user, const QDate &date);

private:
    QList<SaveTreeItem *> m_rows;
    QList<QComboBox *> m_choices;
};
