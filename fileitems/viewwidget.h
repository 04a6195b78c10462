#pragma once

#include "fileitemcontext.h"
#include "fileitemview.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <memory>

class FileStateLabel;
class FzFileInfo;
class ListViewActionMenu;
class QBoxLayout;
class QLabel;
class QPushButton;

// The tile of one file in a list view: its preview with a lock badge, and either its name (grid)
// or its details text and status icon (tiles), with a "More Action" button that opens the
// file's ListViewActionMenu. The task pane builds tiles from local paths, the open dialog from
// the platform's search results. Owned by the list it is set on; main thread only.
class ViewWidget : public QWidget, public FileItemView
{
    Q_OBJECT

public:
    // A tile of a local file; the task pane's tiles start syncing with no platform parts.
    ViewWidget(const QString &localPath, const FileItemContext &context,
               QWidget *parent = nullptr);
    // A tile of a platform search result: keeps a copy of the record and takes its lock state
    // and lock tool tip from the record's "_LockedBy".
    ViewWidget(const FzFileInfo &record, const FileItemContext &context,
               QWidget *parent = nullptr);
    ~ViewWidget() override;

    QString localPath() const override { return m_localPath; }
    // The record the tile was built from, or null for a local file.
    const FzFileInfo *record() const { return m_record.get(); }
    // The "More Action" menu; null until the platform is known to have the file.
    ListViewActionMenu *actionMenu() const override { return m_menu; }
    QString displayName() const { return m_displayName; }
    QString detailsText() const;
    int status() const { return m_status; }
    int lockState() const { return m_lockState; }
    bool isKnown() const { return m_known; }
    bool isDetailsMode() const { return m_detailsMode; }

    void setPreview(const QString &source) override;
    void setName(const QString &name) override;
    void setStatus(int status) override;
    void setLockState(int lockState) override;
    void setLockOwner(const QString &owner) override;
    // Also the tool tips; the grid's name label shows the name and the space.
    void setText(const QString &fileName, const QString &platformStamp,
                 const QString &collaborativeSpace) override;
    void setVersionStory(const QString &story) override;
    // Shows or hides the "More Action" button and the lock badge.
    void setKnown(bool known) override;

    // The tile geometry of the lists: a row with the preview left of the details, the state
    // line and the status icon (tiles), or a 98 pixel wide cell with the name, space and lock
    // holder under the preview (grid). Heights follow the font.
    void applyTileLayout();
    void applyGridLayout();
    // Frames the preview in the selection colour while the tile's item is selected.
    void setHighlighted(bool highlighted);

signals:
    void ListViewItemDelete(QWidget *parent);

public slots:
    void LockStatusSlot(int lockState);

private:
    void build();
    void setPreviewSize(int side);
    void showPreview();
    void showGridText();
    void showToolTip();
    int gridWidth() const;
    void updatePlatformParts();

    std::unique_ptr<FzFileInfo> m_record;
    const FileItemContext m_context;
    QString m_localPath;
    QString m_displayName;
    QString m_title;
    // What the grid's lines under the preview show.
    QString m_fileName;
    QString m_drawingNumber;  // from the record's title block
    QString m_drawingCaption; // drawing number and title
    QString m_space;
    QString m_lockOwner;
    QString m_detailsText;
    QString m_versionStory;
    QString m_titleBlockText; // for the tool tip
    qint64 m_size = -1; // unknown
    QPixmap m_preview;
    int m_status = 5;
    int m_lockState = 3;
    bool m_known = false;
    bool m_detailsMode = false;

    QBoxLayout *m_layout = nullptr;
    QLabel *m_previewLabel = nullptr;
    QLabel *m_lockBadge = nullptr; // a child of the preview
    QLabel *m_nameLabel = nullptr;
    QLabel *m_textLabel = nullptr;
    QLabel *m_statusLabel = nullptr;
    FileStateLabel *m_stateLabel = nullptr;
    QPushButton *m_moreActionButton = nullptr;
    ListViewActionMenu *m_menu = nullptr;
};
