#include "rowsinsight.h"

#include <QAbstractItemView>
#include <QDeadlineTimer>
#include <QEvent>
#include <QScrollBar>

RowsInSight::RowsInSight(QAbstractItemView *view,
                         std::function<bool(const QDeadlineTimer &)> make)
    : QObject(view)
    , m_view(view)
    , m_make(std::move(make))
{
    // Made once the view has settled, in one go.
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!this->make(QDeadlineTimer(kStepMs)))
            m_timer.start(); // the others on the next turn
    });
    const auto inSightChanged = [this] { changed(); };
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, inSightChanged);
    connect(view->verticalScrollBar(), &QScrollBar::rangeChanged, this, inSightChanged);
    connect(view->model(), &QAbstractItemModel::layoutChanged, this, inSightChanged);
    view->installEventFilter(this);
}

int RowsInSight::depth() const
{
    return 2 * m_view->viewport()->height();
}

bool RowsInSight::make(const QDeadlineTimer &deadline)
{
    m_made = m_make(deadline);
    return m_made;
}

void RowsInSight::changed()
{
    m_made = false;
    m_timer.start();
}

bool RowsInSight::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        changed();
    return QObject::eventFilter(watched, event);
}
