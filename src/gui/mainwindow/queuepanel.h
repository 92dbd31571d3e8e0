#pragma once

#include "mainwindow/steppablelist.h"
#include "queues/queuelistmodel.h"

#include <QTreeView>
#include <QWidget>

class QFormLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class RecordStore;

// The list view of a list panel: a row click is a mouse click on a row or a keyboard move
// to another row; the header's clicks sort.
class QueueListView : public QTreeView
{
    Q_OBJECT
public:
    explicit QueueListView(QWidget *parent = nullptr);

signals:
    void rowClicked(int row);
    void pointerOverRow(int row); // -1 when over no row

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // Whether the point lies on the check box drawn in the row's first cell.
    bool onCheckBox(const QModelIndex &index, const QPoint &at) const;

    // The last press was on a check box: the click that follows only ticks.
    bool m_pressOnCheckBox = false;
};

// A panel with one follow-up list: the list with its check boxes and five columns, Check All,
// the panel's action button, its count caption and the boxes a row click fills.
class QueuePanel : public QWidget, public SteppableList
{
    Q_OBJECT
public:
    struct Setup
    {
        const char *name;     // objectName of the panel
        const char *caption;  // what a screen reader calls it
        const char *listName; // "ListView1"
        QStringList headers;
        const char *checkAllName;
        const char *actionName;
        const char *actionCaption;
        const char *countName; // nullptr when the list has no count caption
    };

    QueuePanel(RecordStore &store, const Setup &setup, QWidget *parent = nullptr);

    QueueListView *list() const { return m_list; }
    QueueListModel *model() const { return m_model; }
    QPushButton *actionButton() const { return m_action; }
    QPushButton *checkAllButton() const { return m_checkAll; }
    QLabel *countLabel() const { return m_count; }

    // Shows a freshly computed list. The Check All caption is kept.
    void setQueue(QueueResult result);
    // A column header click: sorts by the column with its sort type.
    void SotrListView(int column, const QString &sortType);
    static QString columnSortType(int column);
    // Check All / Uncheck All; an empty list leaves the button as it is.
    void checkAll();

    int rowCount() const override;
    int selectedRow() const override;
    void selectRow(int row) override;
    // Makes the row's record current, then fills the panel's boxes from it; a failure goes
    // to the error handler.
    void rowClick(int row) override;
    // The same row click for a batch: true when the row's record is current, false when it
    // is gone. A store that cannot write the record being left throws, so the batch stops
    // there instead of working on the record it was left on.
    bool clickRow(int row);

signals:
    void titleChanged(const QString &title);
    void statusMessage(const QString &text);

protected:
    // Runs after every row click; `found` is false when the row's record is gone.
    virtual void afterRowClick(bool found) { Q_UNUSED(found) }
    RecordStore &store() const { return m_store; }
    // Labelled boxes beside the list, and the row of buttons under it.
    QFormLayout *side() const { return m_side; }
    QHBoxLayout *buttons() const { return m_buttons; }
    // A box under the side boxes that takes the height they leave, and the side column's
    // share of the panel's width beside the list's 3 (1 unless changed).
    void addSideFill(QWidget *box, int widthStretch);
    // Replaces what the clipboard holds, ready to paste into a label or a form of the site.
    static void copyToClipboard(const QString &text);
    // A read-only text box for a side row, so nothing typed there can go unsaved.
    static class QPlainTextEdit *showBox(const char *name);

private:
    RecordStore &m_store;
    QueueListView *m_list = nullptr;
    QueueListModel *m_model = nullptr;
    QPushButton *m_checkAll = nullptr;
    QPushButton *m_action = nullptr;
    QLabel *m_count = nullptr;
    QFormLayout *m_side = nullptr;
    class QVBoxLayout *m_sideColumn = nullptr;
    QHBoxLayout *m_buttons = nullptr;
};
