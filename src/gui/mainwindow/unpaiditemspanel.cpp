#include "unpaiditemspanel.h"

#include "mainwindow/statuspicture.h"
#include "records/recordstore.h"

#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

UnpaidItemsPanel::UnpaidItemsPanel(RecordStore &store, QWidget *parent)
    : QueuePanel(store,
                 {"UnpaidItemsPanel", "Report an Unpaid Item", "ListView4",
                  {QStringLiteral("User Name"), QStringLiteral("Email Address"),
                   QStringLiteral("Auction Name"), QStringLiteral("Auction Close"),
                   QStringLiteral("Since Auction Close")},
                  "Command28", "Command27", "Mark", "Label59"},
                 parent)
{
    const auto readOnlyLine = [](const char *name) {
        auto *box = new QLineEdit;
        box->setObjectName(QString::fromLatin1(name));
        box->setReadOnly(true);
        return box;
    };
    m_itemNumber = readOnlyLine("UnpaidItemNumber");
    m_userName = readOnlyLine("UnpaidUserName");
    m_link = new ClickLabel(disputeCaption());
    m_link->setObjectName(QStringLiteral("Label57"));
    m_link->makeLink();
    m_link->installEventFilter(this);
    // A mid-grey ground keeps the link readable both white and black.
    m_link->setAutoFillBackground(true);
    m_link->setContentsMargins(4, 2, 4, 2);
    setLinkColour(Qt::white);
    auto *note = new QLabel(QStringLiteral(
        "Note: You have up to 45 days of the close auction to file a Unpaid Item Dispute. "
        "After you have reported the dispute you have 60 days to claim you Final Value Fee "
        "credit. After 60 Days if you have not claimed your Final Value Fee credit the claim "
        "will be closed and no credit given. You can claim your credit by going to the Dispute "
        "Console."));
    note->setObjectName(QStringLiteral("Label58"));
    note->setWordWrap(true);
    side()->addRow(QStringLiteral("Item Number"), m_itemNumber);
    side()->addRow(QStringLiteral("User Name"), m_userName);
    side()->addRow(m_link);
    side()->addRow(note);

    setMouseTracking(true);
    m_link->setMouseTracking(true);
    connect(list(), &QueueListView::pointerOverRow, model(), &QueueListModel::setHighlightRow);
}

void UnpaidItemsPanel::setLinkCaption(const QString &caption)
{
    m_link->setText(caption);
    m_link->setAccessibleName(caption);
}

void UnpaidItemsPanel::setLinkColour(Qt::GlobalColor colour)
{
    QPalette pal = m_link->palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    m_link->setPalette(pal);
}

void UnpaidItemsPanel::afterRowClick(bool found)
{
    const bool has = found && store().hasCurrent();
    m_itemNumber->setText(has ? store().get(Field::AuctionUrl) : QString());
    m_userName->setText(has ? store().get(Field::UserName) : QString());
    if (!has)
        return;
    copyToClipboard(store().get(Field::AuctionUrl));
}

// The link is black under the pointer and white once the pointer is back on the panel.
void UnpaidItemsPanel::mouseMoveEvent(QMouseEvent *event)
{
    setLinkColour(Qt::white);
    QueuePanel::mouseMoveEvent(event);
}

bool UnpaidItemsPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_link && (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter))
        setLinkColour(Qt::black);
    return QueuePanel::eventFilter(watched, event);
}
