#include "whereuseddialog.h"

#include "fileitems/filestatus.h"
#include "session/showaurextaskpane.h"
#include "support/dialogjobs.h"
#include "support/fontscale.h"
#include "support/keyboardaccess.h"
#include "support/valuejob.h"

#include <QBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

WhereUsedDialog::WhereUsedDialog(ShowAurexTaskPane *session, const QString &name,
                                 const QString &title, QWidget *parent)
    : QDialog(parent)
    , m_platform(session->platform())
    , m_available(session->isSignedIn() && !session->isOffline())
    , m_name(name)
    , m_title(title)
    , m_heading(new QLabel(this))
    , m_view(new QTreeWidget(this))
    , m_message(new QLabel(this))
    , m_refreshButton(new QPushButton(tr("Refresh"), this))
    , m_jobs(new DialogJobs(this))
{
    setObjectName(QStringLiteral("WhereUsedDialog"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle(tr("Where %1 Is Used").arg(title));
    m_heading->setObjectName(QStringLiteral("HeadingLabel"));
    m_heading->setWordWrap(true);
    m_heading->setText(tr("The drawings on the AUREX Platform that reference %1. Under each "
                          "drawing stand the drawings that reach %1 through it.")
                           .arg(title));
    m_view->setObjectName(QStringLiteral("DrawingsView"));
    m_view->setColumnCount(ColumnCount);
    m_view->setHeaderLabels({tr("Drawing"), tr("Drawing Number"), tr("Collaborative Space"),
                             tr("Version"), tr("Saved By"), tr("Saved On")});
    m_view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_view->header()->setStretchLastSection(true);
    m_view->setRootIsDecorated(true);
    m_view->setUniformRowHeights(true);
    m_message->setObjectName(QStringLiteral("MessageLabel"));
    m_message->setWordWrap(true);
    m_message->hide();
    m_refreshButton->setObjectName(QStringLiteral("RefreshButton"));
    auto *closeButton = new QPushButton(tr("Close"), this);
    closeButton->setObjectName(QStringLiteral("CloseButton"));
    closeButton->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_refreshButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_message);
    layout->addLayout(buttons);
    resize(760, 360);
    growWithFont(this);
    KeyboardAccess::install(this);

    connect(m_refreshButton, &QPushButton::clicked, this, &WhereUsedDialog::refresh);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    if (m_available) {
        refresh();
        return;
    }
    m_refreshButton->setEnabled(false);
    showMessage(session->isOffline()
                    ? tr("Which drawings use a file is known to the AUREX Platform: go online "
                         "to see it. You are working offline.")
                    : tr("Which drawings use a file is known to the AUREX Platform: sign in to "
                         "see it."));
}

WhereUsedDialog *WhereUsedDialog::showNew(ShowAurexTaskPane *session, const QString &name,
                                          const QString &title)
{
    // No parent: deletes itself when closed.
    auto *dialog = new WhereUsedDialog(session, name, title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (dialog->isBusy())
        connect(dialog, &WhereUsedDialog::listed, dialog, &QWidget::show);
    else
        dialog->show();
    return dialog;
}

bool WhereUsedDialog::isBusy() const
{
    return m_jobs->isBusy();
}

QString WhereUsedDialog::message() const
{
    return m_message->isHidden() ? QString() : m_message->text();
}

void WhereUsedDialog::showMessage(const QString &text)
{
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
}

void WhereUsedDialog::refresh()
{
    AurexPlatform *platform = m_platform;
    const QString name = m_name;
    const QString title = m_title;
    auto *ask = new ValueJob<WhereUsed>([platform, name, title](JobControl &, WhereUsed &answer) {
        return answer.ask(platform, name, title);
    });
    m_jobs->run(ask, [this, ask] {
        if (ask->error() != AurexJob::NoError)
            showMessage(ask->errorString());
        else
            showAnswer(ask->value());
        emit listed();
    });
}

void WhereUsedDialog::showAnswer(const WhereUsed &answer)
{
    m_view->clear();
    // Each drawing under the one it reaches the file through; the platform lists the nearer
    // ones first, so that one is placed already.
    QHash<QString, QTreeWidgetItem *> byPhid;
    for (const WhereUsed::Drawing &drawing : answer.drawings()) {
        QTreeWidgetItem *above = drawing.depth > 1 ? byPhid.value(drawing.viaPhid) : nullptr;
        auto *item = above ? new QTreeWidgetItem(above) : new QTreeWidgetItem(m_view);
        item->setText(DrawingColumn, drawing.title);
        item->setToolTip(DrawingColumn, drawing.drawingTitle.isEmpty()
                                            ? drawing.title
                                            : drawing.title + QLatin1Char('\n')
                                                + drawing.drawingTitle);
        item->setText(NumberColumn, drawing.number);
        item->setText(SpaceColumn, drawing.space);
        item->setText(VersionColumn,
                      drawing.revision > 0 ? QString::number(drawing.revision) : QString());
        item->setText(SavedByColumn, drawing.savedBy);
        item->setText(SavedOnColumn, platformStampText(drawing.stamp));
        byPhid.insert(drawing.phid, item);
    }
    m_view->expandAll();
    QStringList lines;
    if (answer.drawings().isEmpty() && answer.hidden() == 0)
        lines << tr("No drawing on the AUREX Platform uses %1.").arg(answer.title());
    else if (answer.drawings().isEmpty())
        lines << tr("No drawing that you can see uses %1.").arg(answer.title());
    if (answer.hidden() > 0)
        lines << answer.hiddenText();
    showMessage(lines.join(QLatin1Char('\n')));
}
