#pragma once

#include "mainwindow/queuepanel.h"
#include "mainwindow/statuspicture.h"

#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

// The email wizard list: invoices, paid auctions and payment reminders, with the subject, the
// template and the switch that decides whether "Send" also marks the records, and a preview
// of the mail the selected row's buyer would get.
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
    // The full path of the selected template; "" when none is selected.
    QString selectedTemplatePath() const;
    // The hint, the mark switch and its caption are shown or hidden together.
    void setMarkControlsVisible(bool visible);
    bool markControlsVisible() const;
    StatusPicture *markSwitch() const { return m_mark.picture; }
    // "Print...": invoices for the checked rows.
    QPushButton *printButton() const { return m_print; }

    // What the mail layer puts under every body; the preview shows it too.
    void setFooter(const QString &footer);
    // While held, as during a batch that walks every row, the preview is not redrawn; it is
    // brought up to date when let go.
    void holdPreview(bool held);
    QLineEdit *previewTo() const { return m_previewTo; }
    QLineEdit *previewSubject() const { return m_previewSubject; }
    QPlainTextEdit *previewBody() const { return m_previewBody; }
    // The body as it would be sent, line ends and all.
    const QString &previewText() const { return m_previewText; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Merges the selected template with the selected row's record in memory; nothing is
    // written and the current record stays where it is.
    void updatePreview();
    void showPreview(const QString &to, const QString &body, const QString &why);
    static void showFromStart(QLineEdit *box, const QString &text);

    QComboBox *m_subject = nullptr;
    QListWidget *m_templates = nullptr;
    class QLabel *m_hint = nullptr;
    Switch m_mark;
    QString m_folder;
    QString m_footer;
    QLineEdit *m_previewTo = nullptr;
    QLineEdit *m_previewSubject = nullptr;
    QPlainTextEdit *m_previewBody = nullptr;
    QString m_previewText;
    bool m_previewHeld = false;
    QPushButton *m_print = nullptr;
};
