#include "restoredialog.h"

#include "platform/busycursor.h"
#include "platform/dates.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QString backupTimeText(const QDateTime &taken)
{
    return Dates::shortDateText(taken.date()) + u' ' +
           QLocale().toString(taken.time(), QLocale::ShortFormat);
}

std::vector<RestoreDialog::Entry> RestoreDialog::survey(const QString &backupFolder)
{
    BusyCursor busy;
    std::vector<Entry> entries;
    for (const StoreBackups::Backup &b : StoreBackups::list(backupFolder))
        entries.push_back({b, RecordStore::checkFile(b.path)});
    return entries;
}

RestoreDialog::RestoreDialog(std::vector<Entry> entries, QWidget *parent)
    : QDialog(parent), m_entries(std::move(entries))
{
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(QStringLiteral("Restore from Backup"));
    auto *intro = new QLabel(
        m_entries.empty()
            ? QStringLiteral("There are no backups yet. Lotwise makes one when it starts "
                             "(once a day) and when it closes.")
            : QStringLiteral("Choose the backup to put in place of the records you have now. "
                             "Your present Auctions.db is kept aside in the application "
                             "folder, not deleted."));
    intro->setWordWrap(true);
    auto *caption = new QLabel(QStringLiteral("&Backups:"));
    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("lvBackups"));
    m_list->setAccessibleName(QStringLiteral("Backups"));
    caption->setBuddy(m_list);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Taken"), QStringLiteral("Records")});
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    for (const Entry &e : m_entries) {
        auto *item = new QTreeWidgetItem(m_list);
        item->setText(0, backupTimeText(e.backup.taken));
        item->setText(1, e.check.sound() ? QString::number(e.check.records)
                                         : QStringLiteral("damaged"));
        item->setToolTip(0, e.check.sound() ? e.backup.path : e.check.problem);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    auto *buttons = new QDialogButtonBox;
    m_restore = buttons->addButton(QStringLiteral("&Restore"), QDialogButtonBox::AcceptRole);
    m_restore->setObjectName(QStringLiteral("cmdRestore"));
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &RestoreDialog::updateButtons);
    connect(m_list, &QTreeWidget::itemActivated, this, [this] {
        if (!chosen().isEmpty())
            accept();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(caption);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    if (!m_entries.empty())
        m_list->setCurrentItem(m_list->topLevelItem(0));
    updateButtons();
    resize(460, 380);
}

const RestoreDialog::Entry *RestoreDialog::chosenEntry() const
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || !m_entries[size_t(row)].check.sound())
        return nullptr;
    return &m_entries[size_t(row)];
}

QString RestoreDialog::chosen() const
{
    const Entry *e = chosenEntry();
    return e ? e->backup.path : QString();
}

QDateTime RestoreDialog::chosenTime() const
{
    const Entry *e = chosenEntry();
    return e ? e->backup.taken : QDateTime();
}

void RestoreDialog::updateButtons()
{
    m_restore->setEnabled(!chosen().isEmpty());
}
