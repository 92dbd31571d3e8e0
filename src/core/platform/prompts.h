#pragma once

#include "platform/logondetails.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Every modal question goes through here, so that window tests answer from a script
// instead of blocking on a dialog.
class Prompts
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum Button { Ok = 0x1, Cancel = 0x2, Yes = 0x4, No = 0x8 };

    virtual ~Prompts() = default;

    // Returns the button pressed. Line breaks in the text may be CR LF.
    virtual Button message(const QString &text, const QString &title, int buttons = Ok,
                           Icon icon = Icon::None) = 0;
    // The text entered, or nothing when the user cancelled.
    virtual std::optional<QString> input(const QString &prompt, const QString &title,
                                         const QString &defaultText = {}) = 0;
    // A chosen file path, or "" when cancelled.
    virtual QString openFileName(const QString &title, const QString &folder,
                                 const QString &filter) = 0;
    virtual QString saveFileName(const QString &title, const QString &folder,
                                 const QString &filter) = 0;
    // The mail logon dialog over `details`; false when cancelled, `details` then unchanged.
    virtual bool logon(LogonDetails &details) = 0;
};

// The prompts in use by the whole program: the replacement, else the fallback, else the
// non-interactive default below.
// Whichever answers, the box is shown with the normal pointer. The caller keeps ownership of
// what it installs.
Prompts &prompts();
// Replaces the prompts in use for a while; nullptr goes back to the fallback.
void setPrompts(Prompts *replacement);
// What is used when nothing replaces it: the desktop program installs its dialogs once the
// application object exists; test programs a script that answers every question nobody
// scripted, so no test can wait on a dialog.
// Returns the fallback it replaces.
Prompts *setFallbackPrompts(Prompts *fallback);

// Where nobody can answer (the command line, a program without a desktop): a message goes to
// standard error and gets the most cautious of its buttons (Cancel, No, then Ok), an input
// and the logon dialog are cancelled, a file dialog chooses nothing.
class NonInteractivePrompts : public Prompts
{
public:
    Button message(const QString &text, const QString &title, int buttons, Icon icon) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;
    QString openFileName(const QString &title, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder,
                         const QString &filter) override;
    bool logon(LogonDetails &details) override;
};

// Answers from a script, in order, and records every question. When the script runs out,
// a message gets its first offered button, an input its default text, a file dialog "",
// the logon dialog is cancelled.
class ScriptedPrompts : public Prompts
{
public:
    struct Asked
    {
        enum Kind { Message, Input, OpenFile, SaveFile, Logon } kind;
        QString text;
        QString title;
        int buttons = 0;
        Icon icon = Icon::None;
        // Of a file dialog: where it started (a folder or a proposed file) and its filter.
        QString folder;
        QString filter;
        // Whether the hourglass was up while it was asked.
        bool busyPointer = false;
    };
    struct Answer
    {
        Button button = Ok;
        std::optional<QString> text;
    };

    void answerButton(Button b) { m_answers.append({b, std::nullopt}); }
    void answerText(const QString &t) { m_answers.append({Ok, t}); }
    void answerCancel() { m_answers.append({Cancel, std::nullopt}); }
    // The logon dialog has its own script: the details to accept with, or a cancel.
    void answerLogon(const LogonDetails &d) { m_logonAnswers.append(d); }
    void answerLogonCancel() { m_logonAnswers.append(std::nullopt); }
    // The details each logon dialog was opened with.
    const QList<LogonDetails> &logonsAsked() const { return m_logonsAsked; }

    const QList<Asked> &asked() const { return m_asked; }
    void clear()
    {
        m_asked.clear();
        m_answers.clear();
        m_logonAnswers.clear();
        m_logonsAsked.clear();
    }

    Button message(const QString &text, const QString &title, int buttons, Icon icon) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;
    QString openFileName(const QString &title, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder,
                         const QString &filter) override;
    bool logon(LogonDetails &details) override;

private:
    void record(Asked asked);
    std::optional<Answer> next();
    QList<Asked> m_asked;
    QList<Answer> m_answers;
    QList<std::optional<LogonDetails>> m_logonAnswers;
    QList<LogonDetails> m_logonsAsked;
};
