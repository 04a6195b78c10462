#pragma once

#include <QObject>

class QAction;
class QToolButton;

// The sort menu of a file list, built on its tool button: newest or oldest modified first,
// names A to Z or Z to A. Each choice shows its icon on the button and emits its number (1 to 4)
// through AscendingSortEmitted. A child of the button; main thread only.
class SortingActions : public QObject
{
    Q_OBJECT

public:
    enum SortOrder {
        NewestModified = 1,
        OldestModified = 2,
        AscendingName = 3,
        DescendingName = 4,
    };

    explicit SortingActions(QToolButton *button);

    QAction *action(SortOrder order) const;
    // Shows order's icon on the button, as when it was chosen, without emitting it; 0 (no order
    // chosen yet) leaves the button as it is.
    void show(int order);

    // Whether order compares names (an order not chosen yet, 0, does too), and which way.
    static bool isByName(int order);
    static Qt::SortOrder direction(int order);

signals:
    void AscendingSortEmitted(int order);

public slots:
    void actionSortbyNewestModified_triggered();
    void actionSortbyOldestModified_triggered();
    void actionSortbyAscendingName_triggered();
    void actionSortZtoAAction_triggered();

private:
    void choose(SortOrder order);

    QToolButton *m_button;
    QAction *m_actions[4];
};
