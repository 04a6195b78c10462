#include "sharedfilenotes.h"

#include "checkinrecords.h"
#include "savelogging.h"
#include "savetreeitem.h"

#include "open/whereused.h"

namespace {

// A save with more changed files than this asks about the first ones only: the note is a
// warning, not an inventory, and each file costs a call.
const int kMaxAsked = 50;

} // namespace

SharedFileNotes::SharedFileNotes(SaveTreeItem *top)
{
    if (!top)
        return;
    QSet<QString> listed;
    for (SaveTreeItem *row : top->subtree()) {
        // Rows of files the platform has carry its name: from the file database, or from the
        // duplicate check for a file that would overwrite one.
        const QString &name = row->name;
        if (name.isEmpty() || row->action == SaveAction::SaveAsNew)
            continue;
        m_names.insert(name);
        const bool changes = row->action == SaveAction::Overwrite
            || (row->action == SaveAction::SaveChanges && row->hasLocalChanges);
        if (changes && !listed.contains(name) && m_files.size() < kMaxAsked) {
            listed.insert(name);
            m_files.append({row->path, name, row->displayName, QString()});
        }
    }
}

void SharedFileNotes::ask(AurexPlatform *platform)
{
    for (File &file : m_files) {
        WhereUsed users;
        const QString failed = users.ask(platform, file.name, file.title);
        if (!failed.isEmpty()) {
            qCDebug(lcSave) << "no word on who uses" << file.title << failed;
            continue;
        }
        file.note = users.alsoUsedText(m_names);
    }
}

QString SharedFileNotes::text(SaveTreeItem *top) const
{
    if (!top || m_files.isEmpty())
        return QString();
    QSet<QString> sent;
    for (const SaveTreeItem *row : top->subtree()) {
        if (CheckInRecords::isSent(row))
            sent.insert(row->path);
    }
    QStringList notes;
    for (const File &file : m_files) {
        if (!file.note.isEmpty() && sent.contains(file.path))
            notes << file.note;
    }
    const int more = notes.size() - kShown;
    if (more <= 0)
        return notes.join(QLatin1Char('\n'));
    notes = notes.mid(0, kShown);
    notes << (more == 1 ? tr("1 more changed file is used by other drawings too.")
                        : tr("%1 more changed files are used by other drawings too.").arg(more));
    return notes.join(QLatin1Char('\n'));
}
