#include "conflictdialog.h"

#include "savetreeitem.h"

#include "support/fontscale.h"
#include "support/keyboardaccess.h"

#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ConflictDialog::ConflictDialog(const QList<SaveTreeItem *> &rows, QWidget *parent)
    : QDialog(parent), m_rows(rows)
{
    setObjectName(QStringLiteral("ConflictDialog"));
    setWindowTitle(tr("Changed on the Platform"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(tr("While you worked offline, someone else saved newer versions of "
                                "these files. Choose what to do with your changes:"),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *grid = new QGridLayout;
    for (int i = 0; i < rows.size(); ++i) {
        const SaveTreeItem *row = rows.at(i);
        auto *file = new QLabel(QStringLiteral("<b>%1</b><br>%2")
                                    .arg(QFileInfo(row->path).fileName().toHtmlEscaped(),
                                         row->changedMessage.toHtmlEscaped()),
                                this);
        file->setToolTip(QDir::toNativeSeparators(row->path));
        file->setWordWrap(true);
        auto *choice = new QComboBox(this);
        choice->setObjectName(QStringLiteral("conflictChoice%1").arg(i));
        choice->addItems({tr("Keep mine as a copy"), tr("Take theirs"), tr("Overwrite theirs")});
        choice->setItemData(KeepMineAsCopy,
                            tr("Your version goes to the platform under a title of its own; "
                               "theirs stays the current version."),
                            Qt::ToolTipRole);
        choice->setItemData(TakeTheirs,
                            tr("Their version replaces yours here; yours is kept beside it as "
                               "a copy with \"local changes\" in its name."),
                            Qt::ToolTipRole);
        choice->setItemData(Overwrite,
                            tr("Your version becomes the current one; theirs stays in the "
                               "file's history on the platform."),
                            Qt::ToolTipRole);
        grid->addWidget(file, i, 0);
        grid->addWidget(choice, i, 1);
        m_choices.append(choice);
    }
    grid->setColumnStretch(0, 1);
    layout->addLayout(grid);
    layout->addStretch(1); // a window grown with the font keeps the rows under the question
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("Resolve"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("resolveButton"));
    buttons->addButton(tr("Later"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("laterButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // Laid out for the usual font at 560 pixels, the texts wrapping; larger fonts grow it.
    constexpr int kWidth = 560;
    resize(kWidth, layout->totalHeightForWidth(kWidth));
    growWithFont(this);
    KeyboardAccess::install(this);
}

ConflictDialog::Choice ConflictDialog::choice(int index) const
{
    return Choice(m_choices.at(index)->currentIndex());
}

void ConflictDialog::setChoice(int index, Choice choice)
{
    m_choices.at(index)->setCurrentIndex(choice);
}

QString ConflictDialog::copyTitle(const QString &title, const QString &user, const QDate &date)
{
    const QFileInfo file(title);
    const QString suffix = file.suffix().isEmpty() ? QString() : '.' + file.suffix();
    return tr("%1 (%2's copy %3)").arg(file.completeBaseName(), user,
                                       date.toString(Qt::ISODate))
        + suffix;
}
