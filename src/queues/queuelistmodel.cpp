#include "queuelistmodel.h"

#include "platform/dates.h"

#include <QColor>
#include <QHash>
#include <algorithm>
#include <limits>
#include <numeric>

namespace Queues {

int rowIcon(QStringView key)
{
    const QString f = family(key);
    if (f == u"IS")
        return 1;
    if (f == u"S")
        return 2;
    if (f == u"UPI" || f == u"FVF")
        return 5;
    return 6;
}

} // namespace Queues

namespace {

// A day cell reads "12 Days"; the number it starts with orders it. A cell that does not
// start with a number (an empty one, when the basis date was not a date) sorts lowest.
double numberKey(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == u'-' || t[end] == u'+'))
        ++end;
    const qsizetype digitsFrom = end;
    while (end < t.size() && (t[end].isDigit() || t[end] == u'.'))
        ++end;
    bool ok = false;
    const double v = end > digitsFrom ? t.left(end).toDouble(&ok) : 0.0;
    return ok ? v : -std::numeric_limits<double>::infinity();
}

} // namespace

QueueListModel::QueueListModel(const QStringList &headers, QObject *parent)
    : QAbstractTableModel(parent), m_headers(headers)
{
    Q_ASSERT(headers.size() == kColumns);
}

void QueueListModel::setQueue(QueueResult result)
{
    beginResetModel();
    m_key = result.key;
    m_rows = std::move(result.rows);
    m_checked.assign(m_rows.size(), 0);
    m_iconIndex.assign(m_rows.size(), quint8(Queues::rowIcon(m_key)));
    if (m_key == u"S") {
        QHash<QString, int> perBuyer;
        for (const QueueRow &r : m_rows)
            ++perBuyer[r.userName];
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (perBuyer.value(m_rows[i].userName) > 1)
                m_iconIndex[i] = Queues::kSeveralItemsIcon;
        }
    }
    m_highlight = -1;
    endResetModel();
}

const QString &QueueListModel::cell(int r, int column) const
{
    const QueueRow &q = m_rows[size_t(r)];
    switch (column) {
    case 0: return q.userName;
    case 1: return q.emailAddress;
    case 2: return q.auctionName;
    case 3: return q.basisDate;
    default: return q.days;
    }
}

void QueueListModel::setChecked(int r, bool on)
{
    if (r < 0 || r >= rowCount())
        return;
    m_checked[size_t(r)] = on ? 1 : 0;
    const QModelIndex i = index(r, 0);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

void QueueListModel::setAllChecked(bool on)
{
    if (m_rows.empty())
        return;
    std::fill(m_checked.begin(), m_checked.end(), quint8(on ? 1 : 0));
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

QueueListModel::SortType QueueListModel::sortTypeOf(const QString &name)
{
    const QString upper = name.toUpper();
    if (upper == u"DATE")
        return SortType::Date;
    if (upper == u"NUMBER")
        return SortType::Number;
    return SortType::Text;
}

void QueueListModel::sortByColumn(int column, SortType type)
{
    if (column < 0 || column >= kColumns)
        return;
    m_order = m_order == Order::Ascending ? Order::Descending : Order::Ascending;
    const size_t n = m_rows.size();
    if (n < 2)
        return;

    std::vector<int> perm(n);
    std::iota(perm.begin(), perm.end(), 0);
    const bool descending = m_order == Order::Descending;
    const auto sortBy = [&](auto less) {
        if (descending)
            std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) { return less(b, a); });
        else
            std::stable_sort(perm.begin(), perm.end(), less);
    };

    if (type == SortType::Text) {
        sortBy([&](int a, int b) {
            return QString::compare(cell(a, column), cell(b, column), Qt::CaseInsensitive) < 0;
        });
    } else {
        std::vector<double> keys(n);
        if (type == SortType::Number) {
            for (size_t i = 0; i < n; ++i)
                keys[i] = numberKey(cell(int(i), column));
        } else {
            // A list shows few distinct dates; each is read once.
            const Dates::DateReader reader;
            QHash<QString, double> seen;
            for (size_t i = 0; i < n; ++i) {
                const QString &text = cell(int(i), column);
                auto it = seen.constFind(text);
                if (it == seen.cend()) {
                    const auto d = reader.read(text);
                    it = seen.insert(text, d ? double(d->toJulianDay())
                                             : -std::numeric_limits<double>::infinity());
                }
                keys[i] = *it;
            }
        }
        sortBy([&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> newPos(n);
    std::vector<QueueRow> rows;
    rows.reserve(n);
    std::vector<quint8> checked(n), icons(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t from = size_t(perm[i]);
        newPos[from] = int(i);
        rows.push_back(std::move(m_rows[from]));
        checked[i] = m_checked[from];
        icons[i] = m_iconIndex[from];
    }
    m_rows = std::move(rows);
    m_checked = std::move(checked);
    m_iconIndex = std::move(icons);
    if (m_highlight >= 0)
        m_highlight = newPos[size_t(m_highlight)];
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(newPos[size_t(i.row())], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void QueueListModel::setHighlightRow(int r)
{
    if (r == m_highlight)
        return;
    const int old = m_highlight;
    m_highlight = r;
    for (int row : {old, r}) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, kColumns - 1), {Qt::ForegroundRole});
    }
}

int QueueListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int QueueListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant QueueListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int r = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return cell(r, index.column());
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return isChecked(r) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::DecorationRole: {
        const size_t i = size_t(m_iconIndex[size_t(r)]) - 1;
        if (index.column() == 0 && i < m_icons.size())
            return m_icons[i];
        return {};
    }
    case Qt::ForegroundRole:
        if (m_highlight < 0)
            return {};
        return QColor(r == m_highlight ? Qt::blue : Qt::black);
    default: return {};
    }
}

bool QueueListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags QueueListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant QueueListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kColumns)
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}
