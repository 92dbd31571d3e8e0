#include "queuelistmodel.h"

#include "platform/dates.h"
#include "records/recordstore.h"

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

// A cell that starts with a number sorts by it; any other (an empty one) sorts lowest.
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
    disconnect(m_storeWatch);
    m_key = result.key;
    m_rows = std::move(result.rows);
    if (const RecordStore *store = m_rows.store()) {
        m_storeWatch = connect(store, &RecordStore::recordsAboutToChange, this, [this] {
            disconnect(m_storeWatch);
            m_rows.freeze();
        });
    }
    const size_t n = m_rows.size();
    m_shown.resize(n);
    std::iota(m_shown.begin(), m_shown.end(), 0);
    m_checked.assign(n, 0);
    m_iconIndex.assign(n, quint8(Queues::rowIcon(m_key)));
    if (m_key == u"S") {
        QHash<QString, int> perBuyer;
        for (size_t i = 0; i < n; ++i)
            ++perBuyer[m_rows.cell(i, 0)];
        for (size_t i = 0; i < n; ++i) {
            if (perBuyer.value(m_rows.cell(i, 0)) > 1)
                m_iconIndex[i] = Queues::kSeveralItemsIcon;
        }
    }
    m_highlight = -1;
    endResetModel();
}

void QueueListModel::setChecked(int r, bool on)
{
    if (r < 0 || r >= rowCount())
        return;
    m_checked[source(r)] = on ? 1 : 0;
    const QModelIndex i = index(r, 0);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

void QueueListModel::setAllChecked(bool on)
{
    if (m_checked.empty())
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
    const size_t n = m_shown.size();
    if (n < 2)
        return;

    // Keys are made once per sort, by row of m_rows; the comparisons then only read them.
    std::vector<int> perm = m_shown;
    const bool descending = m_order == Order::Descending;
    const auto sortBy = [&](const auto &keys) {
        const auto less = [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; };
        if (descending)
            std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) { return less(b, a); });
        else
            std::stable_sort(perm.begin(), perm.end(), less);
    };

    constexpr double kLowest = -std::numeric_limits<double>::infinity();
    if (type == SortType::Text) {
        // Case-folded texts compare as the texts do without regard to letter case.
        std::vector<QString> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = m_rows.cell(i, column).toCaseFolded();
        sortBy(keys);
    } else if (type == SortType::Number && column == kColumns - 1) {
        // The day column orders by the age its text starts with.
        std::vector<double> keys(n);
        for (size_t i = 0; i < n; ++i) {
            const qint32 age = m_rows.age(i);
            keys[i] = age == QueueMember::kNoAge ? kLowest : double(age);
        }
        sortBy(keys);
    } else if (type == SortType::Date && column == kColumns - 2 && m_rows.store()) {
        // Rows read from the store: their ages were counted from these very dates, so the
        // older the date the greater the age, and no date is no age; no text is read.
        std::vector<double> keys(n);
        for (size_t i = 0; i < n; ++i) {
            const qint32 age = m_rows.age(i);
            keys[i] = age == QueueMember::kNoAge ? kLowest : -double(age);
        }
        sortBy(keys);
    } else {
        std::vector<double> keys(n);
        if (type == SortType::Number) {
            for (size_t i = 0; i < n; ++i)
                keys[i] = numberKey(m_rows.cell(i, column));
        } else {
            // A list shows few distinct dates; each is read once.
            const Dates::DateReader reader;
            QHash<QString, double> seen;
            for (size_t i = 0; i < n; ++i) {
                const QString text = m_rows.cell(i, column);
                auto it = seen.constFind(text);
                if (it == seen.cend()) {
                    const auto d = reader.read(text);
                    it = seen.insert(text, d ? double(d->toJulianDay()) : kLowest);
                }
                keys[i] = *it;
            }
        }
        sortBy(keys);
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    // Where each shown row goes: its source row's new place.
    std::vector<int> placeOf(n);
    for (size_t i = 0; i < n; ++i)
        placeOf[size_t(perm[i])] = int(i);
    const auto newPos = [&](int r) { return placeOf[source(r)]; };
    if (m_highlight >= 0)
        m_highlight = newPos(m_highlight);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(newPos(i.row()), i.column()));
    m_shown = std::move(perm);
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
    return parent.isValid() ? 0 : int(m_shown.size());
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
        const size_t i = size_t(iconAt(r)) - 1;
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
