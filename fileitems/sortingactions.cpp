#include "sortingactions.h"

#include "iconmenu.h"

#include <QMenu>
#include <QToolButton>

namespace {
constexpr int kIconSide = 20;

} // namespace

SortingActions::SortingActions(QToolButton *button)
    : QObject(button)
    , m_button(button)
{
    QMenu *menu = createIconMenu(button);

    struct Entry {
        const char *text;
        const char *icon;
        const char *objectName;
        void (SortingActions::*slot)();
    };
    const Entry entries[] = {
        {QT_TR_NOOP("Sort by Newest Modified"),
         ":/embedded/UI/Resources/FzxUiSortbyNewestModified.png", "sortNewestAction",
         &SortingActions::actionSortbyNewestModified_triggered},
        {QT_TR_NOOP("Sort by Oldest Modified"),
         ":/embedded/UI/Resources/FzxUiSortbyOldestModified.png", "sortOldestAction",
         &SortingActions::actionSortbyOldestModified_triggered},
        {QT_TR_NOOP("Sort by Ascending Name"),
         ":/embedded/UI/Resources/FzxUiSortbyAscendingName.png", "sortAscendingAction",
         &SortingActions::actionSortbyAscendingName_triggered},
        {QT_TR_NOOP("Sort by Descending Name"),
         ":/embedded/UI/Resources/FzxUiSortbyDescendingName.png", "sortDescendingAction",
         &SortingActions::actionSortZtoAAction_triggered},
    };
    for (int i = 0; i < 4; ++i) {
        QAction *action = addIconAction(menu, entries[i].icon, kIconSide, tr(entries[i].text),
                                        entries[i].objectName);
        connect(action, &QAction::triggered, this, entries[i].slot);
        m_actions[i] = action;
    }
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setIcon(m_actions[0]->icon());
    button->setIconSize(QSize(kIconSide, kIconSide));
}

QAction *SortingActions::action(SortOrder order) const
{
    return m_actions[order - 1];
}

void SortingActions::show(int order)
{
    if (order >= NewestModified && order <= DescendingName)
        m_button->setIcon(action(SortOrder(order))->icon());
}

bool SortingActions::isByName(int order)
{
    return order != NewestModified && order != OldestModified;
}

Qt::SortOrder SortingActions::direction(int order)
{
    return order == NewestModified || order == DescendingName ? Qt::DescendingOrder
                                                              : Qt::AscendingOrder;
}

void SortingActions::choose(SortOrder order)
{
    m_button->setIcon(action(order)->icon());
    emit AscendingSortEmitted(order);
}

void SortingActions::actionSortbyNewestModified_triggered()
{
    choose(NewestModified);
}

void SortingActions::actionSortbyOldestModified_triggered()
{
    choose(OldestModified);
}

void SortingActions::actionSortbyAscendingName_triggered()
{
    choose(AscendingName);
}

void SortingActions::actionSortZtoAAction_triggered()
{
    choose(DescendingName);
}
