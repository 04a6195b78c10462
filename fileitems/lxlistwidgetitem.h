#pragma once

#include <QListWidgetItem>
#include <QObject>

// An item of a file list view (tiles or grid): holds the shown name (role 16) and the platform
// modification time (role 17) it is sorted by. Owned by its list widget; main thread only.
class LxListWidgetItem : public QObject, public QListWidgetItem
{
    Q_OBJECT

public:
    explicit LxListWidgetItem(QListWidget *list = nullptr);

    QVariant data(int role) const override;
    void setData(int role, const QVariant &value) override;
    bool operator<(const QListWidgetItem &other) const override;

private:
    QString m_name;
    qint64 m_modified = 0;
};
