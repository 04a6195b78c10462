#pragma once

#include "fileitemcontext.h"
#include "fileitemview.h"

#include <QDialog>
#include <QString>

class ListViewActionMenu;
class QTreeWidgetItem;

namespace Ui {
class ImageViewDialog;
}

// The row of one file in the structured list: preview, name, status icon, lock button and, for
// a file the platform knows, a "More Action" button with the file's ListViewActionMenu. Set on
// its tree item, whose modification time it keeps; owned by the tree; main thread only.
class ImageViewDialog : public QDialog, public FileItemView
{
    Q_OBJECT

public:
    ImageViewDialog(const QString &localPath, QTreeWidgetItem *item, const FileItemContext &context,
                    QWidget *parent = nullptr);
    ~ImageViewDialog() override;

    QString localPath() const override { return m_localPath; }
    QTreeWidgetItem *item() const { return m_item; }
    bool isLocked() const { return m_locked; }
    int status() const { return m_status; }
    int lockState() const { return m_lockState; }
    QString name() const;
    // The action menu, once the file is known to the platform; null before.
    ListViewActionMenu *actionMenu() const override { return m_menu; }

    void setPreview(const QString &source) override;
    void setName(const QString &name) override;
    void setStatus(int status) override;
    void setLockState(int lockState) override;
    void setLockOwner(const QString &owner) override;
    // The name's tool tip.
    void setText(const QString &fileName, const QString &platformStamp,
                 const QString &collaborativeSpace) override;
    void setVersionStory(const QString &story) override;
    // A known file gets its action menu in the row's current lock state.
    void setKnown(bool known) override;
    // Writes the platform modification time into the row's item (its sort key).
    void setModified(qint64 msecsSinceEpoch);

public slots:
    void LockStatusSlot(int lockState);

private:
    // Gives the row its "More Action" button with its action menu in lockState; the menu
    // offers lock and unlock only.
    void makeActionMenu(int lockState);

    Ui::ImageViewDialog *m_ui;
    QString m_localPath;
    QString m_detailsText; // of the name's tool tip, without the version story
    QString m_versionStory;
    QTreeWidgetItem *m_item;
    const FileItemContext m_context;
    bool m_locked = false;
    int m_status = 5;
    int m_lockState = 3;
    ListViewActionMenu *m_menu = nullptr;
};
