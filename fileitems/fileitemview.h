#pragma once

#include <QString>

class ListViewActionMenu;

// What the lists set on the widget of one file, a structured-list row or a tile alike, when
// they build it and when the file's platform details arrive.
class FileItemView
{
public:
    virtual ~FileItemView() = default;

    virtual QString localPath() const = 0;
    // The picture at source (a file or a resource), shown at the widget's preview size.
    virtual void setPreview(const QString &source) = 0;
    virtual void setName(const QString &name) = 0;
    virtual void setStatus(int status) = 0;
    virtual void setLockState(int lockState) = 0;
    // Who holds the lock (empty when nobody or not known): the lock's tool tip and words.
    virtual void setLockOwner(const QString &owner) = 0;
    // The details text from the file's name, platform stamp and collaborative space.
    virtual void setText(const QString &fileName, const QString &platformStamp,
                         const QString &collaborativeSpace) = 0;
    // Who saved the platform's version and why (see versionStoryText), added to the details in
    // the tool tip; "" adds nothing.
    virtual void setVersionStory(const QString &story) = 0;
    // Whether the platform knows the file: only then are its lock actions offered.
    virtual void setKnown(bool known) = 0;
    // The file's "More Action" menu; null while the platform does not know the file.
    virtual ListViewActionMenu *actionMenu() const = 0;
};
