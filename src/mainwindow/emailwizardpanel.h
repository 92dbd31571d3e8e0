#pragma once

#include "mainwindow/queuepanel.h"
#include "mainwindow/statuspicture.h"

#include <functional>

class QComboBox;
class QListWidget;

// The email wizard list: invoices, paid auctions and payment reminders, with the subject, the
// template and the switch that decides whether "Send" also marks the records.
class EmailWizardPanel : public QueuePanel
{
    Q_OBJECT
public:
    // `markPictureFlips` tells whether a click on the mark switch's picture may change it.
    EmailWizardPanel(RecordStore &store, std::function<bool()> markPictureFlips,
                     QWidget *parent = nullptr);

    QComboBox *subjectBox() const { return m_subject; }
    QListWidget *templateList() const { return m_templates; }
    // The .elm files of the folder, by name.
    void fillTemplates(const QString &folder);
    // Selects the template whose file name is exactly `fileName`; with none the selection stays.
    void selectTemplate(const QString &fileName);
    QString selectedTemplate() const;
    // The hint, the mark switch and its caption are shown or hidden together.
    void setMarkControlsVisible(bool visible);
    bool markControlsVisible() const;
    StatusPicture *markSwitch() const { return m_mark.picture; }
    // "Print...": invoices for the checked rows.
    QPushButton *printButton() const { return m_print; }

private:
    QComboBox *m_subject = nullptr;
    QListWidget *m_templates = nullptr;
    class QLabel *m_hint = nullptr;
    Switch m_mark;
    QPushButton *m_print = nullptr;
};
