#include "queuepanel.h"

#include "errors/handelerrors.h"
#include "mainwindow/taskimages.h"
#include "platform/busycursor.h"
#include "records/recordcommands.h"
#include "records/recordstore.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

QueueListView::QueueListView(QWidget *parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    // Every row is one line: the view then lays out 100,000 rows without measuring them.
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setStretchLastSection(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &i) {
        if (!m_pressOnCheckBox)
            emit rowClicked(i.row());
    });
}

bool QueueListView::onCheckBox(const QModelIndex &index, const QPoint &at) const
{
    if (!index.isValid() || index.column() != 0 ||
        !(index.flags() & Qt::ItemIsUserCheckable))
        return false;
    // The same rectangle the delegate toggles the check on.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this).contains(at);
}

void QueueListView::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    m_pressOnCheckBox = onCheckBox(indexAt(at), at);
    if (!m_pressOnCheckBox) {
        QTreeView::mousePressEvent(event);
        return;
    }
    // A tick changes the tick alone: the selected row and the current row stay where they
    // were, so neither the record nor the boxes beside the list follow it.
    const QPersistentModelIndex current = currentIndex();
    const QItemSelection selected = selectionModel()->selection();
    QTreeView::mousePressEvent(event);
    selectionModel()->select(selected, QItemSelectionModel::ClearAndSelect);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
}

void QueueListView::keyPressEvent(QKeyEvent *event)
{
    const int before = currentIndex().row();
    QTreeView::keyPressEvent(event);
    const int after = currentIndex().row();
    if (after >= 0 && after != before)
        emit rowClicked(after);
}

void QueueListView::mouseMoveEvent(QMouseEvent *event)
{
    emit pointerOverRow(indexAt(event->position().toPoint()).row());
    QTreeView::mouseMoveEvent(event);
}

void QueueListView::leaveEvent(QEvent *event)
{
    emit pointerOverRow(-1);
    QTreeView::leaveEvent(event);
}

QueuePanel::QueuePanel(RecordStore &store, const Setup &setup, QWidget *parent)
    : QWidget(parent), m_store(store)
{
    setObjectName(QString::fromLatin1(setup.name));
    setAccessibleName(QString::fromLatin1(setup.caption));

    m_model = new QueueListModel(setup.headers, this);
    std::vector<QIcon> images;
    for (int i = 1; i <= 6; ++i)
        images.push_back(taskImage(i));
    m_model->setIcons(std::move(images));
    m_list = new QueueListView;
    m_list->setObjectName(QString::fromLatin1(setup.listName));
    m_list->setAccessibleName(QString::fromLatin1(setup.caption));
    m_list->setModel(m_model);
    connect(m_list, &QueueListView::rowClicked, this, [this](int r) { rowClick(r + 1); });
    connect(m_list->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { SotrListView(column, columnSortType(column)); });

    m_checkAll = new QPushButton(QStringLiteral("Check All"));
    m_checkAll->setObjectName(QString::fromLatin1(setup.checkAllName));
    connect(m_checkAll, &QPushButton::clicked, this, &QueuePanel::checkAll);
    m_action = new QPushButton(QString::fromLatin1(setup.actionCaption));
    m_action->setObjectName(QString::fromLatin1(setup.actionName));
    if (setup.countName) {
        m_count = new QLabel;
        m_count->setObjectName(QString::fromLatin1(setup.countName));
    }

    // The list stretches with the panel; the boxes keep to the right and the buttons to the
    // bottom edge.
    auto *grid = new QGridLayout(this);
    grid->addWidget(m_list, 0, 0);
    m_side = new QFormLayout;
    m_side->setRowWrapPolicy(QFormLayout::WrapAllRows);
    m_sideColumn = new QVBoxLayout;
    m_sideColumn->addLayout(m_side);
    grid->addLayout(m_sideColumn, 0, 1);
    m_buttons = new QHBoxLayout;
    m_buttons->addWidget(m_checkAll);
    m_buttons->addWidget(m_action);
    m_buttons->addStretch(1);
    if (m_count)
        m_buttons->addWidget(m_count);
    grid->addLayout(m_buttons, 1, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
}

void QueuePanel::addSideFill(QWidget *box, int widthStretch)
{
    m_sideColumn->addWidget(box, 1);
    static_cast<QGridLayout *>(layout())->setColumnStretch(1, widthStretch);
}

void QueuePanel::copyToClipboard(const QString &text)
{
    QClipboard *clip = QApplication::clipboard();
    clip->clear();
    clip->setText(text);
}

QPlainTextEdit *QueuePanel::showBox(const char *name)
{
    auto *box = new QPlainTextEdit;
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setTabChangesFocus(true);
    return box;
}

void QueuePanel::setQueue(QueueResult result)
{
    if (m_count)
        m_count->setText(result.caption);
    m_model->setQueue(std::move(result));
    m_list->header()->setSortIndicatorShown(false);
}

QString QueuePanel::columnSortType(int column)
{
    switch (column) {
    case 3: return QStringLiteral("DATE");
    case 4: return QStringLiteral("NUMBER");
    default: return {};
    }
}

void QueuePanel::SotrListView(int column, const QString &sortType)
{
    BusyCursor busy;
    m_list->setUpdatesEnabled(false);
    m_model->sortByColumn(column, QueueListModel::sortTypeOf(sortType));
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(column, m_model->order() == QueueListModel::Order::Ascending
                                                   ? Qt::AscendingOrder
                                                   : Qt::DescendingOrder);
    m_list->setUpdatesEnabled(true);
}

void QueuePanel::checkAll()
{
    if (m_model->rowCount() == 0)
        return;
    BusyCursor busy;
    const bool check = m_checkAll->text() == u"Check All";
    m_checkAll->setText(check ? QStringLiteral("Uncheck All") : QStringLiteral("Check All"));
    m_model->setAllChecked(check);
}

int QueuePanel::rowCount() const { return m_model->rowCount(); }

int QueuePanel::selectedRow() const
{
    const QModelIndex i = m_list->currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

void QueuePanel::selectRow(int row)
{
    if (row < 1 || row > rowCount())
        return;
    const QModelIndex i = m_model->index(row - 1, 0);
    m_list->setCurrentIndex(i);
    m_list->scrollTo(i);
}

void QueuePanel::rowClick(int row)
{
    trapErrors(m_list->objectName() + QStringLiteral("_Click"), [&] { clickRow(row); });
}

bool QueuePanel::clickRow(int row)
{
    if (row < 1 || row > rowCount())
        return false;
    const QueueRow &r = m_model->row(row - 1);
    bool found = false;
    try {
        BusyCursor busy;
        found = RecordCommands::findListRecord(m_store, r.userName, r.auctionName);
    } catch (...) {
        // The position stayed on the record that could not be left: show none of it here.
        afterRowClick(false);
        throw;
    }
    if (!found)
        emit statusMessage(QStringLiteral("The record of %1, %2 is no longer in the records; "
                                          "show the list again to bring it up to date.")
                               .arg(r.userName.trimmed(), r.auctionName.trimmed()));
    afterRowClick(found);
    return found;
}
