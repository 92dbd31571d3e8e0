#pragma once

#include "queues/queuerules.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <algorithm>
#include <vector>

// The rows of one follow-up list as its list view shows them: five columns, a check box and
// a small icon per row. Sorting reorders the rows and never changes a cell's text. A cell's
// text is made when the view asks for it; the list keeps showing the records as they were
// computed, also after they change in the store.
class QueueListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumns = 5;
    enum class SortType { Text, Date, Number };
    enum class Order { Ascending, Descending };

    explicit QueueListModel(const QStringList &headers, QObject *parent = nullptr);

    // Replaces the rows with a freshly computed list; every row starts unchecked. Icons are
    // the list's own, except on the ship list, where every row of a buyer who has several
    // rows gets the several-items icon. The sort order is kept.
    void setQueue(QueueResult result);
    // The small-icon image list, by the index rowIcon() gives (index 1 is icons[0]).
    void setIcons(std::vector<QIcon> icons) { m_icons = std::move(icons); }

    QueueRow row(int r) const { return m_rows[source(r)]; }
    QString cell(int r, int column) const { return m_rows.cell(source(r), column); }
    int iconAt(int r) const { return m_iconIndex[source(r)]; }
    bool isChecked(int r) const { return m_checked[source(r)] != 0; }
    void setChecked(int r, bool on);
    void setAllChecked(bool on);
    int checkedCount() const { return int(std::count(m_checked.begin(), m_checked.end(), 1)); }
    const QString &key() const { return m_key; }

    // One column click: the order flips from whatever it was (ascending at first), then the
    // rows are sorted by the column as text, as dates or by their leading number. Equal keys
    // keep their relative order. Cells that are not dates or numbers sort lowest.
    void sortByColumn(int column, SortType type);
    Order order() const { return m_order; }
    static SortType sortTypeOf(const QString &name); // "DATE", "NUMBER", anything else text

    // The row drawn in blue under the pointer; -1 for none.
    void setHighlightRow(int r);
    int highlightRow() const { return m_highlight; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Rows keep their computed order in m_rows, with their checks and icons; a sort only
    // changes which of them each shown row is.
    size_t source(int r) const { return size_t(m_shown[size_t(r)]); }

    QStringList m_headers;
    QString m_key;
    QueueRows m_rows;
    std::vector<int> m_shown;
    std::vector<quint8> m_checked;
    std::vector<quint8> m_iconIndex;
    QMetaObject::Connection m_storeWatch;
    std::vector<QIcon> m_icons;
    Order m_order = Order::Ascending;
    int m_highlight = -1;
};

namespace Queues {
// The small icon of a list's rows by node key: 1 invoices, 2 ship, 5 disputes and fee
// credits, 6 paid, reminders and feedback; 5 also marks a buyer with several items to ship.
int rowIcon(QStringView key);
constexpr int kSeveralItemsIcon = 5;
} // namespace Queues
