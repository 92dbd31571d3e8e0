#pragma once

#include <QDialog>
#include <QImage>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;
class SkinDrag;

// The notes window: the shaped, frameless window in which the task summary and the
// start-up reminder list what is waiting. Its lines stay while it is hidden, until "O.K"
// closes it, which empties the list.
class FrmNotes : public QDialog
{
    Q_OBJECT
public:
    explicit FrmNotes(QWidget *parent = nullptr);

    void addLine(const QString &line);
    void clear();
    int lineCount() const;
    QStringList lines() const;

    // Modal to the whole program, without waiting: the call returns at once and the rest
    // of the program keeps handling its events (menus "Tasks To Complete", "Reminders").
    void showModal();
    // Shown beside the main window (the status bar's "Reminder" panel).
    void showModeless();

    SkinDrag *drag() const { return m_drag; }

signals:
    // "O.K" was pressed: the window is closed and emptied; the main window shows itself.
    void closedByUser();

public slots:
    void reject() override; // Escape does what "O.K" does: there is no other way out

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void cmdOK_Click();
    void showCentred();

    QImage m_skin;
    QLabel *m_heading = nullptr;
    QListWidget *m_list = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_autoComplete = nullptr;
    SkinDrag *m_drag = nullptr;
};
