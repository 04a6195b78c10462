#pragma once

#include "elidedlabel.h"

#include <QColor>

// The words beside a file's status and lock icons in the lists' rows and tiles: the size where
// it is given, the status ("Newer on the platform") and who holds the lock ("Locked by bob"), on
// one line elided at the right. Coloured by what matters most: red for someone else's lock,
// orange for a newer version on the platform, blue for the user's own lock, grey otherwise.
// Main thread only.
class FileStateLabel : public ElidedLabel
{
    Q_OBJECT

public:
    explicit FileStateLabel(QWidget *parent = nullptr);

    void setStatus(int status);
    void setLockState(int lockState);
    // Who holds the lock when it is someone else's; empty when not known.
    void setLockOwner(const QString &owner);
    // The file's size, shown first; negative for none.
    void setSize(qint64 bytes);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();

    int m_status;
    int m_lockState;
    QString m_owner;
    qint64 m_size = -1;
    QColor m_colour;
};
