#pragma once

#include "mainwindow/queuepanel.h"
#include "mainwindow/statuspicture.h"

class QComboBox;
class QPlainTextEdit;

// The feedback list, with the note to paste into the auction site's feedback form and the
// switch that mails a notice when feedback is marked.
class FeedBackPanel : public QueuePanel
{
    Q_OBJECT
public:
    explicit FeedBackPanel(RecordStore &store, QWidget *parent = nullptr);

    QComboBox *noteBox() const { return m_note; }
    // The fixed first note, then the user's own.
    void fillNotes(const QStringList &notes);
    StatusPicture *noticeSwitch() const { return m_notice.picture; }

protected:
    void afterRowClick(bool found) override;

private:
    QComboBox *m_note = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    Switch m_notice;
};
