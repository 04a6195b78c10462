#include "ribbonbar.h"

#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QToolButton>

namespace {

QIcon buttonIcon(const CFxUiCommandItem *item)
{
    if (!item)
        return QIcon();
    const CFxString image = item->GetLargeImage().isEmpty() ? item->GetSmallImage()
                                                            : item->GetLargeImage();
    return image.isEmpty() ? QIcon() : QIcon(image.toQString());
}

} // namespace

RibbonBar::RibbonBar(CFxUiCustomizationManager *manager, MacroRunner runner, QWidget *parent)
    : QTabWidget(parent)
    , m_manager(manager)
    , m_runner(std::move(runner))
{
    setObjectName(QStringLiteral("Ribbon"));
    setDocumentMode(true);
    // As high as its panels need at the current font, no higher.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void RibbonBar::rebuild()
{
    const int currentIndex = this->currentIndex();
    while (count() > 0) {
        QWidget *page = widget(0);
        removeTab(0);
        delete page;
    }
    const CFxUiWorkspace *workspace = m_manager->GetCurrentWorkspace();
    if (!workspace)
        return;
    const auto *tabs = workspace->GetRibbonTabs();
    for (int t = 0; t < tabs->Count(); ++t) {
        const CFxUiRibbonElement *tab = tabs->At(t);
        auto *page = new QWidget;
        page->setObjectName(tab->GetIdentifier().toQString());
        auto *pageLayout = new QHBoxLayout(page);
        pageLayout->setContentsMargins(4, 2, 4, 2);
        for (int p = 0; p < tab->GetChildren()->Count(); ++p) {
            const CFxUiRibbonElement *panelDef = tab->GetChildren()->At(p);
            auto *panel = new QGroupBox(panelDef->GetCaption().toQString(), page);
            panel->setObjectName(panelDef->GetIdentifier().toQString());
            auto *panelLayout = new QHBoxLayout(panel);
            for (int b = 0; b < panelDef->GetChildren()->Count(); ++b) {
                const CFxUiRibbonElement *buttonDef = panelDef->GetChildren()->At(b);
                auto *button = new QToolButton(panel);
                button->setObjectName(buttonDef->GetIdentifier().toQString());
                button->setText(buttonDef->GetCaption().toQString());
                button->setIcon(buttonIcon(buttonDef->GetCommandItem()));
                button->setIconSize(QSize(32, 32));
                button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
                if (const CFxUiCommandItem *item = buttonDef->GetCommandItem()) {
                    button->setToolTip(item->GetHelpText().toQString());
                    const QString macro = item->GetMacro().toQString();
                    MacroRunner runner = m_runner;
                    connect(button, &QToolButton::clicked, button, [runner, macro]() { runner(macro); });
                }
                panelLayout->addWidget(button);
            }
            pageLayout->addWidget(panel);
        }
        pageLayout->addStretch(1);
        addTab(page, tab->GetCaption().toQString());
    }
    if (currentIndex >= 0 && currentIndex < count())
        setCurrentIndex(currentIndex);
}
