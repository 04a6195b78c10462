#include "saveaction.h"

#include <QCoreApplication>

namespace {

struct ActionInfo
{
    SaveAction action;
    const char *text;
    const char *icon;
};

const ActionInfo kActions[] = {
    {SaveAction::SaveAsNew, QT_TRANSLATE_NOOP("SaveDialogTreeModel", "Save As New"),
     ":/embedded/UI/Resources/FzxUiFileStatusNew.png"},
    {SaveAction::SaveChanges, QT_TRANSLATE_NOOP("SaveDialogTreeModel", "Save changes"),
     ":/embedded/UI/Resources/FzxUiSavetoCollabSapce.png"},
    {SaveAction::DoNotSave, QT_TRANSLATE_NOOP("SaveDialogTreeModel", "Do Not Save"),
     ":/embedded/UI/Resources/FzxUiDoNotSave.png"},
    {SaveAction::Overwrite, QT_TRANSLATE_NOOP("SaveDialogTreeModel", "Overwrite"),
     ":/embedded/UI/Resources/FzxUiOverwrite.png"},
};

// "Save changes" of a file without changes.
const ActionInfo kUnchanged = {SaveAction::SaveChanges,
                               QT_TRANSLATE_NOOP("SaveDialogTreeModel", "No changes"),
                               ":/embedded/UI/Resources/FzxUiFileStatusUnchanged.png"};

struct StatusInfo
{
    const char *text;
    const char *icon;
};

const StatusInfo kStatuses[] = {
    {QT_TRANSLATE_NOOP("SaveDialogTreeModel", "New"),
     ":/embedded/UI/Resources/FzxUiFileStatusNew.png"},
    {QT_TRANSLATE_NOOP("SaveDialogTreeModel", "Modified"),
     ":/embedded/UI/Resources/FzxUiStatusNotSynced.png"},
    {QT_TRANSLATE_NOOP("SaveDialogTreeModel", "No changes"),
     ":/embedded/UI/Resources/FzxUiFileStatusUnchanged.png"},
    {QT_TRANSLATE_NOOP("SaveDialogTreeModel", "ModifiedOnServer"),
     ":/embedded/UI/Resources/FzxUiStatusOutofDate.png"},
};

QString translate(const char *text)
{
    return QCoreApplication::translate("SaveDialogTreeModel", text);
}

const ActionInfo &infoOf(SaveAction action, bool unchanged)
{
    return unchanged && action == SaveAction::SaveChanges ? kUnchanged
                                                          : kActions[static_cast<int>(action)];
}

} // namespace

QString saveActionText(SaveAction action, bool unchanged)
{
    return translate(infoOf(action, unchanged).text);
}

bool saveActionFromText(const QString &text, SaveAction *action)
{
    for (const ActionInfo &info : kActions) {
        if (translate(info.text) == text) {
            *action = info.action;
            return true;
        }
    }
    if (translate(kUnchanged.text) != text)
        return false;
    *action = kUnchanged.action;
    return true;
}

QStringList allSaveActionTexts()
{
    QStringList texts{translate(kUnchanged.text)};
    for (const ActionInfo &info : kActions)
        texts.append(translate(info.text));
    return texts;
}

QString saveActionIcon(SaveAction action, bool unchanged)
{
    return QLatin1String(infoOf(action, unchanged).icon);
}

QString saveStatusText(int status)
{
    return status >= 0 && status < 4 ? translate(kStatuses[status].text) : QString();
}

QString saveStatusIcon(int status)
{
    return status >= 0 && status < 4 ? QLatin1String(kStatuses[status].icon) : QString();
}
