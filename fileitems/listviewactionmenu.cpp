#include "listviewactionmenu.h"

#include "csfiledeletedialog.h"
#include "fileitemslogging.h"
#include "fileitemview.h"
#include "filestatus.h"
#include "lockjob.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "support/dialogjobs.h"
#include "support/hostaccess.h"
#include "support/keyboardaccess.h"
#include "support/openmessagebox.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopy.h"

#include <fzfileinfo.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QMessageBox>

namespace {
const char kMenuStyle[] =
    "QMenu::item:hover{background-color: #e2e4e3;}QMenu::item:selected { background-color: "
    "#368ec4;}QMenu { background-color: white; border: 1px solid #e2e4e3; }";
// Opens a row's menu for the context menu events that reach a view.
class RowMenuOffer : public QObject
{
public:
    explicit RowMenuOffer(QAbstractItemView *view) : QObject(view), m_view(view) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ContextMenu)
            return QObject::eventFilter(watched, event);
        const auto *request = static_cast<QContextMenuEvent *>(event);
        const bool byKeyboard = request->reason() == QContextMenuEvent::Keyboard;
        const QModelIndex index = byKeyboard
            ? m_view->currentIndex()
            : m_view->indexAt(m_view->viewport()->mapFromGlobal(request->globalPos()));
        const auto *row = dynamic_cast<const FileItemView *>(m_view->indexWidget(index));
        ListViewActionMenu *menu = row ? row->actionMenu() : nullptr;
        if (!menu)
            return QObject::eventFilter(watched, event);
        menu->popup(byKeyboard
                        ? m_view->viewport()->mapToGlobal(m_view->visualRect(index).bottomLeft())
                        : request->globalPos());
        return true;
    }

private:
    QAbstractItemView *m_view;
};

} // namespace

ListViewActionMenu::ListViewActionMenu(QAbstractButton *button, const FileItemContext &context,
                                       const QString &path, const FzFileInfo *record)
    : QMenu(button)
    , m_button(button)
    , m_context(context)
    , m_lockAction(new QAction(this))
    , m_deleteAction(new QAction(tr("Delete"), this))
    , m_historyAction(new QAction(tr("History..."), this))
    , m_latestAction(new QAction(tr("Get Latest"), this))
    , m_whereUsedAction(new QAction(tr("Where Used..."), this))
    , m_lockState(NotLocked)
    , m_path(path)
    , m_record(record ? std::make_unique<FzFileInfo>(*record) : nullptr)
    , m_jobs(new DialogJobs(button ? static_cast<QWidget *>(button) : this))
{
    setStyleSheet(QLatin1String(kMenuStyle));
    m_lockAction->setObjectName(QStringLiteral("LockMenu"));
    m_lockAction->setFont(QFont(QStringLiteral("Arial")));
    m_deleteAction->setObjectName(QStringLiteral("DeleteMenu"));
    m_deleteAction->setFont(QFont(QStringLiteral("Arial")));
    m_historyAction->setObjectName(QStringLiteral("HistoryMenu"));
    m_historyAction->setFont(QFont(QStringLiteral("Arial")));
    m_historyAction->setVisible(bool(m_context.showHistory));
    m_whereUsedAction->setObjectName(QStringLiteral("WhereUsedMenu"));
    m_whereUsedAction->setFont(QFont(QStringLiteral("Arial")));
    m_whereUsedAction->setVisible(bool(m_context.showWhereUsed));
    m_latestAction->setObjectName(QStringLiteral("GetLatestMenu"));
    m_latestAction->setFont(QFont(QStringLiteral("Arial")));
    m_latestAction->setVisible(bool(m_context.getLatest));
    m_latestAction->setEnabled(false);
    addAction(m_latestAction);
    addAction(m_lockAction);
    addAction(m_deleteAction);
    addAction(m_historyAction);
    addAction(m_whereUsedAction);
    connect(m_lockAction, &QAction::triggered, this, &ListViewActionMenu::LockUnlockAction);
    connect(m_deleteAction, &QAction::triggered, this, &ListViewActionMenu::CSFileDeleteAction);
    connect(m_historyAction, &QAction::triggered, this, &ListViewActionMenu::showHistory);
    connect(m_latestAction, &QAction::triggered, this, &ListViewActionMenu::getLatest);
    connect(m_whereUsedAction, &QAction::triggered, this, &ListViewActionMenu::showWhereUsed);
    setLockState(NotLocked);
    KeyboardAccess::install(this);
}

ListViewActionMenu::~ListViewActionMenu() = default;

void ListViewActionMenu::offerOnRows(QAbstractItemView *view)
{
    // The keyboard's request goes to the view, which has the focus; a click's goes to the row
    // or the viewport under the pointer, which pass it on to the view.
    view->installEventFilter(new RowMenuOffer(view));
}

void ListViewActionMenu::setLockState(int lockState)
{
    m_lockState = lockState;
    m_lockAction->setText(lockState == NotLocked ? tr("Lock") : tr("Unlock"));
    const bool heldByOther = lockState == LockedByOther;
    // What the user's role in the file's space does not allow is not offered.
    m_lockAction->setEnabled(!heldByOther && (!m_record || recordMayChange(*m_record)));
    m_deleteAction->setEnabled(
        !heldByOther && (!m_record || recordMayDelete(*m_record, m_context.currentUser)));
}

void ListViewActionMenu::setNewerOnPlatform(bool newer)
{
    m_latestAction->setEnabled(newer);
}

QString ListViewActionMenu::platformName() const
{
    if (m_path.isEmpty())
        return m_record ? recordProperty(*m_record, kKeyName) : QString();
    const std::unique_ptr<FileDatabase> database = m_context.workingCopy
        ? m_context.workingCopy->snapshot()
        : std::make_unique<FileDatabase>(m_context.tenant);
    const QString key = FileDatabase::keyForPath(m_path);
    if (!database->hasEntry(key))
        return QString();
    return database->entryAttribute(key, QStringLiteral("name"));
}

std::unique_ptr<FzFileInfo> ListViewActionMenu::lockRequest() const
{
    if (m_path.isEmpty())
        return m_record ? std::make_unique<FzFileInfo>(*m_record) : nullptr;
    const QString name = platformName();
    // Any file, an image or PDF too, is asked for as a drawing by its name.
    return name.isEmpty() ? nullptr : makeNameRequest(name, drawingFileType());
}

bool ListViewActionMenu::isBusy() const
{
    return m_jobs->isBusy();
}

void ListViewActionMenu::LockUnlockAction()
{
    std::unique_ptr<FzFileInfo> request = lockRequest();
    if (!request) {
        qCDebug(lcFileItems) << "no platform entry to lock for" << m_path;
        return;
    }
    if (!m_context.platform || m_jobs->isBusy())
        return;
    const bool unlock = m_lockState != NotLocked;
    const QString name = m_record ? recordTitle(*m_record) : pathFileName(m_path);
    auto *job = new LockJob(m_context.platform, std::move(request), !unlock, name);
    m_jobs->run(job, [this, job, unlock, name] {
        if (job->error() != AurexJob::NoError) {
            // The platform keeps the lock as it was, and so do the menu and the icons.
            qCWarning(lcFileItems) << (unlock ? "unlock" : "lock") << "refused for" << name;
            HostAccess::writeToCommandLine(
                (unlock ? tr("%1 was not unlocked: %2") : tr("%1 was not locked: %2"))
                    .arg(name, job->errorString()));
            // A window of its own: the list the menu belongs to may go while it is up.
            openMessageBox(nullptr, QMessageBox::Warning, tr("Error"), job->errorString());
            return;
        }
        HostAccess::writeToCommandLine(unlock ? tr("Unlocked %1.").arg(name)
                                              : tr("Locked %1.").arg(name));
        const int newState = unlock ? NotLocked : LockedByMe;
        setLockState(newState);
        emit EmitLockStatus(newState);
    });
}

void ListViewActionMenu::showHistory()
{
    showForFile(m_context.showHistory, "whose history to show");
}

void ListViewActionMenu::showWhereUsed()
{
    showForFile(m_context.showWhereUsed, "whose users to show");
}

void ListViewActionMenu::showForFile(
    const std::function<void(const QString &, const QString &)> &show, const char *what)
{
    const QString name = platformName();
    if (name.isEmpty() || !show) {
        qCDebug(lcFileItems) << "no platform entry" << what << "for" << m_path;
        return;
    }
    show(name, m_record ? recordTitle(*m_record) : pathFileName(m_path));
}

void ListViewActionMenu::getLatest()
{
    const QString name = platformName();
    if (name.isEmpty() || !m_context.getLatest) {
        qCDebug(lcFileItems) << "no platform entry whose latest version to get for" << m_path;
        return;
    }
    m_context.getLatest(name);
}

void ListViewActionMenu::CSFileDeleteAction()
{
    if (CSFileDeleteDialog::instance()->confirmDelete())
        emit EmitListViewItemDelete(m_button ? m_button->parentWidget() : nullptr);
}
