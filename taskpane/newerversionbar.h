#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The bar above the pane's lists that says a colleague saved a newer version of a file of the
// active drawing ("bob saved a newer version of deck.dwg."), with Reload (bring the newer files
// down and open the drawing again) and Later (hide until the next newer version). Not modal: the
// user works on meanwhile. A child of the pane; main thread.
class NewerVersionBar : public QFrame
{
    Q_OBJECT

public:
    explicit NewerVersionBar(QWidget *parent = nullptr);

    void showNewer(const QString &user, const QString &title);
    QString text() const;

signals:
    void reloadAsked();

private:
    QLabel *m_label;
    QPushButton *m_reload;
    QPushButton *m_later;
};
