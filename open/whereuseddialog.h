#pragma once

#include "whereused.h"

#include <QDialog>
#include <QString>

class AurexPlatform;
class DialogJobs;
class QLabel;
class QPushButton;
class QTreeWidget;
class ShowAurexTaskPane;

// Which drawings use one platform file: a tree of the drawings that reference it, each with the
// drawings above it that reach the file through it, with drawing number, space, version and who
// saved it last, and a line for those in spaces the user is not a member of. Created per use
// without parent by the task pane's and the open dialog's file menus, shown once the answer has
// come, deleted when closed. The platform is asked in a job under the please-wait box; offline
// or signed out, it says that the question needs the platform.
class WhereUsedDialog : public QDialog
{
    Q_OBJECT

public:
    enum Column { DrawingColumn, NumberColumn, SpaceColumn, VersionColumn, SavedByColumn,
                  SavedOnColumn, ColumnCount };

    // The file by its platform name and title. The session outlives the dialog.
    WhereUsedDialog(ShowAurexTaskPane *session, const QString &name, const QString &title,
                    QWidget *parent = nullptr);

    static WhereUsedDialog *showNew(ShowAurexTaskPane *session, const QString &name,
                                    const QString &title);

    bool isBusy() const;
    // What the dialog says under the list ("" when nothing).
    QString message() const;
    QTreeWidget *drawingsView() const { return m_view; }

signals:
    // The answer came, or why it did not is shown.
    void listed();

public slots:
    void refresh();

private:
    void showAnswer(const WhereUsed &answer);
    void showMessage(const QString &text);

    AurexPlatform *m_platform; // the session's when the dialog was made
    bool m_available;          // signed in and online
    QString m_name;
    QString m_title;
    QLabel *m_heading;
    QTreeWidget *m_view;
    QLabel *m_message;
    QPushButton *m_refreshButton;
    DialogJobs *m_jobs;
};
