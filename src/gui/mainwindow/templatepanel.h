#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The template editor view: the text of one email template, the placeholder input list and
// the buttons that open the ten fixed templates.
class TemplatePanel : public QWidget
{
    Q_OBJECT
public:
    explicit TemplatePanel(const QString &appFolder, QWidget *parent = nullptr);

    // Fills the input list: the placeholders, then the user's own non-empty input lines.
    void setInputs(const QStringList &extraLines);

    // Opens a fixed template of "Email Templates", offering its backup when it is missing.
    void openFixed(const QString &fileName);
    // Asks for a template file and opens it.
    void OpenTemplate();
    // Asks where to save the editor's text, proposing the file it was last opened from or
    // saved to.
    void SaveTemplate();
    void newTemplate();

    QPlainTextEdit *editor() const { return m_text20; }
    // The path a Save proposes: the file last opened or saved; empty for a new text.
    const QString &proposedFile() const { return m_proposed; }
    // The controls with a help balloon in Shift help mode: the "Email Inputs" label, Enter
    // Input, the editor and the first template button. The editor is represented by its
    // viewport, which is what receives the mouse.
    QList<QWidget *> helpControls() const;

signals:
    void titleChanged(const QString &title);
    void statusMessage(const QString &text);

private:
    void enterInput();
    // Reads a template into the editor; on failure tells the user and keeps the editor.
    bool load(const QString &path);
    void reportFailure(const QString &what);

    QString m_appFolder;
    QString m_proposed;
    QLabel *m_inputsLabel = nullptr;
    QComboBox *m_combo3 = nullptr;
    QPushButton *m_command13 = nullptr;
    QPlainTextEdit *m_text20 = nullptr;
    QList<QPushButton *> m_templateButtons;
};
