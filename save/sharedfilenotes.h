#pragma once

#include <QCoreApplication>
#include <QList>
#include <QSet>
#include <QString>

class AurexPlatform;
class SaveTreeItem;

// What the save dialog says under its rows of the files it would change that other drawings,
// outside the files saved together, also use: "rebar.dxf is also used by tower.dwg and
// quay.dxf." Information, never an error: the save goes on. Collected from the rows on the main
// thread, asked of the platform in a job (a value, copied along), read back by the dialog as
// its rows stand.
class SharedFileNotes
{
    Q_DECLARE_TR_FUNCTIONS(SharedFileNotes)

public:
    SharedFileNotes() = default;
    // The files of top's rows that a save would change on the platform (changes to save, or an
    // overwrite), by platform name.
    explicit SharedFileNotes(SaveTreeItem *top);

    bool isEmpty() const { return m_files.isEmpty(); }
    // Asks the platform which drawings use each file; blocks. A file the platform cannot tell
    // about is passed over: the notes are information only.
    void ask(AurexPlatform *platform);
    // One sentence per file whose row still sends it, at most kShown, then how many more; ""
    // when there is nothing to say.
    QString text(SaveTreeItem *top) const;

    static constexpr int kShown = 3;

private:
    struct File
    {
        QString path;
        QString name;
        QString title;
        QString note; // after ask()
    };
    QList<File> m_files;
    QSet<QString> m_names; // of every file of the save, changed or not
};
