#pragma once

#include "records/fields.h"

#include <QDate>
#include <QHash>
#include <QWidget>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class QPushButton;
class RecordStore;
class StatusPicture;

// The record panel: the current auction record's fields, its status pictures and state
// colour, the search box, the store's arrows and the Add and Delete buttons.
class RecordPanel : public QWidget
{
    Q_OBJECT
public:
    explicit RecordPanel(RecordStore &store, QWidget *parent = nullptr);

    void setTodayProvider(std::function<QDate()> today) { m_today = std::move(today); }

    // Redraws fields, pictures, the site chooser and the state colour from the current record.
    void ShowRecordStatus();

    // The record commands; each traps its own errors.
    void addRecord();
    void copyRecord();
    void deleteRecord();
    void moveBack();
    void moveForward();
    // False when nothing matched; the record current before stays current.
    bool search();

    // The click action of a status picture or switch, by object name ("Image1").
    void clickPicture(const QString &name);

    bool quickCopy() const;
    void setQuickCopy(bool on);
    unsigned stateColour() const { return m_colour; }
    // The room the panel's controls need to be read whole, without scrolling.
    QSize neededSize() const;
    // Where the panel's own surface shows: its background, the gaps between its fields and
    // the caption column.
    QList<QWidget *> surfaces() const;
    QWidget *fieldEditor(Field f) const { return m_editors.value(f); }

signals:
    // Double-click on the Auction Number field.
    void itemPageRequested(const QString &auctionNumber);
    // Double-click on the Tracking Number field, at the pointer's screen position.
    void trackingMenuRequested(const QPoint &globalPos);
    void statusMessage(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QDate today() const { return m_today ? m_today() : QDate::currentDate(); }
    QWidget *buildFields();
    QWidget *buildStatus();
    QWidget *buildCommands();
    StatusPicture *addPicture(QWidget *box, class QGridLayout *grid, int row, const QString &name,
                              const QString &caption);
    void fieldEdited(Field f, const QString &text);
    void applyColour(unsigned rgb);

    RecordStore &m_store;
    std::function<QDate()> m_today;
    bool m_showing = false; // filling the editors: their change signals are not edits
    QHash<Field, QWidget *> m_editors;
    QHash<QString, StatusPicture *> m_pictures;
    QList<QLabel *> m_colouredCaptions;
    QFrame *m_shape1 = nullptr;
    QWidget *m_content = nullptr;
    class QScrollArea *m_scroll = nullptr;
    QComboBox *m_site = nullptr;
    QComboBox *m_searchField = nullptr;
    QLineEdit *m_searchText = nullptr;
    unsigned m_colour = 0;
};
