#include "frmimportorders.h"

#include "errors/handelerrors.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/progressdialog.h"
#include "mainwindow/recordpanel.h"
#include "platform/busycursor.h"
#include "platform/prompts.h"
#include "queues/queuerules.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Import Orders");

QString actionText(OrderImport::Plan::Action a)
{
    switch (a) {
    case OrderImport::Plan::Action::Add: return QStringLiteral("Add");
    case OrderImport::Plan::Action::Update: return QStringLiteral("Update");
    case OrderImport::Plan::Action::Unchanged: return QStringLiteral("Leave alone");
    }
    return {};
}

QString records(int n) { return n == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(n); }
QString ordersDoNotAddUp(int n)
{
    return n == 1 ? QStringLiteral("The records of 1 order do not add up to the total the file gives for it")
                  : QStringLiteral("The records of %1 orders do not add up to the totals the file "
                                   "gives for them")
                        .arg(n);
}

QString cents(qint64 c)
{
    return QLocale().toString(double(c) / 100.0, 'f', 2);
}

// A list that shows every row and column when the screen has room: its size for that.
QSize fullSize(QTreeWidget *list, int rows)
{
    int width = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < list->columnCount(); ++c) {
        list->resizeColumnToContents(c);
        width += list->columnWidth(c);
    }
    const int height = 2 * list->frameWidth() + list->header()->sizeHint().height() +
                       list->sizeHintForRow(0) * rows + list->horizontalScrollBar()->sizeHint().height();
    return {width, height};
}
QString rows(int n) { return n == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(n); }

// The list on show is worked out again, so the imported records appear where they belong.
void refreshShownList(FrmMain &win)
{
    const FrmMain::Panel panel = win.visiblePanel();
    const QueueRule *shown = Queues::ruleByTitle(win.windowTitle());
    if (!shown || panel == FrmMain::Panel::Record || panel == FrmMain::Panel::Template)
        return;
    const QString family = Queues::family(shown->key);
    if (family == u"IS")
        win.LoadInvoicesToSend();
    else if (family == u"S")
        win.LoadItemsToShip();
    else if (family == u"VA")
        win.LoadPaidAuctions();
    else if (family == u"FB")
        win.LoadFeedBack(shown->key);
    else if (family == u"AR")
        win.LoadReminders(shown->key);
    else if (family == u"UPI")
        win.LoadUnpaidItem(shown->key);
    else if (family == u"FVF")
        win.LoadFinalFee(shown->key);
}

} // namespace

FrmImportOrders::FrmImportOrders(const OrderImport::Plan &plan, const QString &fileName,
                                 QWidget *parent)
    : QDialog(parent)
{
    using OrderImport::Plan;
    setObjectName(QStringLiteral("frmImportOrders"));
    setWindowTitle(kTitle);

    auto *file = new QLabel(QStringLiteral("File: %1").arg(fileName), this);
    file->setObjectName(QStringLiteral("lblFile"));
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *format = new QLabel(QStringLiteral("Format: %1").arg(OrderImport::formatName(plan.format)), this);
    format->setObjectName(QStringLiteral("lblFormat"));
    auto *counts = new QLabel(QStringLiteral("%1 will be added, %2 updated; %3 left alone.")
                                  .arg(records(plan.added), records(plan.updated), rows(plan.unchanged)),
                              this);
    counts->setObjectName(QStringLiteral("lblCounts"));

    const int rowCount = plan.added + plan.updated + plan.unchanged;
    auto *caption = new QLabel(int(plan.preview.size()) < rowCount
                                   ? QStringLiteral("The first %1 of %2 rows:").arg(plan.preview.size()).arg(rowCount)
                                   : QStringLiteral("The rows of the file:"),
                               this);
    caption->setObjectName(QStringLiteral("lblRows"));
    auto *list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("lstRows"));
    list->setAccessibleName(QStringLiteral("Rows of the file"));
    caption->setBuddy(list);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels({QStringLiteral("Line"), QStringLiteral("Action"), QStringLiteral("Sale Date"),
                           QStringLiteral("User Name"), QStringLiteral("Item Number"),
                           QStringLiteral("Item"), QStringLiteral("Total")});
    for (const Plan::Row &r : plan.preview) {
        const auto v = [&r](Field f) { return r.values[size_t(Fields::index(f))]; };
        auto *item = new QTreeWidgetItem(list, {QString::number(r.line), actionText(r.action),
                                                v(Field::CloseDate), v(Field::UserName),
                                                v(Field::AuctionUrl), v(Field::AuctionName),
                                                v(Field::AuctionTotal)});
        item->setTextAlignment(6, Qt::AlignRight | Qt::AlignVCenter);
    }
    QSize listSize = fullSize(list, int(plan.preview.size()));
    list->setMinimumSize(360, 120);

    // Orders whose records fall short of (or exceed) the file's own total: a column the
    // total counts was not read, so the money would be wrong without a word.
    m_mismatches = plan.mismatchCount;
    QLabel *totalsCaption = nullptr;
    QTreeWidget *totals = nullptr;
    if (m_mismatches > 0) {
        const int listed = int(plan.totalMismatches.size());
        totalsCaption = new QLabel(ordersDoNotAddUp(m_mismatches) +
                                       (listed < m_mismatches
                                            ? QStringLiteral("; the first %1:").arg(listed)
                                            : QStringLiteral(":")),
                                   this);
        totalsCaption->setObjectName(QStringLiteral("lblTotals"));
        totalsCaption->setWordWrap(true);
        totals = new QTreeWidget(this);
        totals->setObjectName(QStringLiteral("lstTotals"));
        totals->setAccessibleName(QStringLiteral("Orders that do not add up"));
        totalsCaption->setBuddy(totals);
        totals->setRootIsDecorated(false);
        totals->setUniformRowHeights(true);
        totals->setHeaderLabels({QStringLiteral("Line"), QStringLiteral("Order Number"),
                                 QStringLiteral("Total in File"), QStringLiteral("Total of Records")});
        for (const OrderImport::TotalMismatch &m : plan.totalMismatches) {
            auto *item = new QTreeWidgetItem(totals, {QString::number(m.line), m.orderNumber,
                                                      cents(m.fileTotal), cents(m.recordsTotal)});
            item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
            item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        }
        // Right-aligned figures stay beside their titles; the rows of the file get the room.
        totals->header()->setStretchLastSection(false);
        const QSize totalsSize = fullSize(totals, qMin(listed, 6));
        totals->setMinimumSize(360, totalsSize.height());
        totals->setMaximumHeight(totalsSize.height());
        listSize = {qMax(listSize.width(), totalsSize.width()), listSize.height() + totalsSize.height()};
    }

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *import = buttons->addButton(QStringLiteral("Import"), QDialogButtonBox::AcceptRole);
    import->setObjectName(QStringLiteral("cmdImport"));
    import->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &FrmImportOrders::importClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(file);
    layout->addWidget(format);
    layout->addWidget(counts);
    layout->addSpacing(6);
    layout->addWidget(caption);
    layout->addWidget(list, 1);
    if (totals) {
        layout->addSpacing(6);
        layout->addWidget(totalsCaption);
        layout->addWidget(totals);
    }
    layout->addWidget(buttons);
    import->setFocus();

    // Every row and column in sight when the screen has room for them.
    const QSize chrome = layout->sizeHint() - list->sizeHint() -
                         (totals ? QSize(0, qMin(totals->sizeHint().height(), totals->maximumHeight()))
                                 : QSize());
    const QRect screen = (parent ? parent->screen() : QDialog::screen())->availableGeometry();
    resize(qMin(qMax(listSize.width(), 640) + chrome.width(), screen.width() * 9 / 10),
           qMin(listSize.height() + chrome.height(), screen.height() * 9 / 10));
}

void FrmImportOrders::importClicked()
{
    // Asked once more: importing them anyway is the seller's call, not a silent one.
    if (m_mismatches > 0 &&
        prompts().message(ordersDoNotAddUp(m_mismatches) +
                              QStringLiteral(", so amounts may be missing. Import anyway?"),
                          kTitle, Prompts::Yes | Prompts::No, Prompts::Icon::Warning) != Prompts::Yes)
        return;
    accept();
}

void FrmImportOrders::ImportOrders(FrmMain &win)
{
    const QString path =
        prompts().openFileName(kTitle, QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
                               QStringLiteral("Order files (*.csv *.txt)"));
    if (path.isEmpty())
        return;
    const QString name = QFileInfo(path).fileName();
    const auto refuse = [&](const QString &why) {
        prompts().message(why, kTitle, Prompts::Ok, Prompts::Icon::Warning);
        win.showStatus(QStringLiteral("Import Orders: %1 was not imported.").arg(name));
    };
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        refuse(QStringLiteral("%1 cannot be read: %2.").arg(path, f.errorString()));
        return;
    }
    OrderImport::Failure failure;
    OrderImport::Plan plan;
    bool read = false;
    if (!trapErrors(kTitle, [&] {
            BusyCursor busy;
            read = OrderImport::plan(f, win.store(), &plan, &failure,
                                     progressDialog(&win, QStringLiteral("Reading row")));
        }))
        return;
    if (!read) {
        refuse(failure.message(path));
        return;
    }

    FrmImportOrders preview(plan, name, &win);
    if (preview.exec() != QDialog::Accepted) {
        win.showStatus(QStringLiteral("Import Orders: cancelled; nothing was written."));
        return;
    }
    const bool written = trapErrors(kTitle, [&] {
        BusyCursor busy;
        OrderImport::apply(std::move(plan), win.store(),
                           progressDialog(&win, QStringLiteral("Writing record")));
    });
    // Refused because records changed on another seat meanwhile: read them afresh, so the
    // next try starts from what is stored.
    if (!written)
        trapErrors(kTitle, [&] { win.store().refresh(); });
    refreshShownList(win);
    win.recordPanel()->ShowRecordStatus();
    win.showStatus(written ? QStringLiteral("Import Orders: %1 %2").arg(name, plan.summary())
                           : QStringLiteral("Import Orders: %1 was not imported.").arg(name));
}
