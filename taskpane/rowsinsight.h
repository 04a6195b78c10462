#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QAbstractItemView;
class QDeadlineTimer;

// Keeps the rows of an item view's items in sight made, the others left for later: a view of
// hundreds of files makes a widget only for the items in sight and a page below them. When the
// view is scrolled, resized, shown or laid out anew, the rows that came into sight are made on
// the next turn of the event loop, a step's time at a time. Main thread only.
class RowsInSight : public QObject
{
public:
    // How long a view works on its rows in one turn of the host's event loop, so that it never
    // stalls for long however many rows are to be made: the new widgets' polish, layout and
    // paint follow in the same turn and take about twice as long again.
    static constexpr int kStepMs = 8;
    // The fewest items a view makes rows for from its top, however small its viewport is: a
    // view that was never laid out has no height to go by.
    static constexpr int kLeastRows = 24;

    // make makes the rows of the items in sight that have none until the deadline, and says
    // whether none is left.
    RowsInSight(QAbstractItemView *view, std::function<bool(const QDeadlineTimer &)> make);

    // How far below the top of the view's viewport rows are made: its height and a page more,
    // so that paging down shows finished rows.
    int depth() const;
    // Makes the rows in sight until deadline; true when every one stands.
    bool make(const QDeadlineTimer &deadline);
    // Every item in sight when last looked had its row.
    bool areMade() const { return m_made; }
    // Which items are in sight may have changed: their rows are made on the next turn.
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractItemView *m_view;
    std::function<bool(const QDeadlineTimer &)> m_make;
    QTimer m_timer;
    bool m_made = false;
};
