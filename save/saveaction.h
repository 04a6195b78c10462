#pragma once

#include <QString>
#include <QStringList>

// What a save does with one file, and how a file stands against the platform, with the texts
// the save dialog shows for them (translated, context "SaveDialogTreeModel").
enum class SaveAction { SaveAsNew, SaveChanges, DoNotSave, Overwrite };

// What a row shows for its action; "Save changes" reads "No changes" for an unchanged file,
// whose save sends nothing.
QString saveActionText(SaveAction action, bool unchanged = false);
// The action whose text is text, as saveActionText() gives it in the language shown: the
// comparison is between translated texts on both sides. False when none is.
bool saveActionFromText(const QString &text, SaveAction *action);
// Every text an action cell can show, in the language shown (to make room for the longest).
QStringList allSaveActionTexts();
// The resource path of an action's icon.
QString saveActionIcon(SaveAction action, bool unchanged = false);

// The status of a row: a LocalFileStatus value (0 New, 1 ModifiedLocally, 2 Current,
// 3 OutOfDate); other values have no text.
QString saveStatusText(int status);
QString saveStatusIcon(int status);
