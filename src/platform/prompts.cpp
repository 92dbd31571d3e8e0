#include "prompts.h"

#include "platform/busycursor.h"
#include "platform/logonform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

Prompts *g_replacement = nullptr;

QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

Prompts::Button firstButton(int buttons)
{
    for (const auto b : {Prompts::Ok, Prompts::Yes, Prompts::No, Prompts::Cancel}) {
        if (buttons & b)
            return b;
    }
    return Prompts::Ok;
}

} // namespace

namespace {
Prompts *g_fallback = nullptr;
}

namespace {

Prompts &current()
{
    static DialogPrompts dialogs;
    if (g_replacement)
        return *g_replacement;
    return g_fallback ? *g_fallback : dialogs;
}

// Every box is asked with the normal pointer: the hourglass of the work that asks would
// say the program is busy while it waits for the user.
class PointerLifting : public Prompts
{
public:
    Button message(const QString &text, const QString &title, int buttons, Icon icon) override
    {
        const NormalPointer normal;
        return current().message(text, title, buttons, icon);
    }
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override
    {
        const NormalPointer normal;
        return current().input(prompt, title, defaultText);
    }
    QString openFileName(const QString &title, const QString &folder,
                         const QString &filter) override
    {
        const NormalPointer normal;
        return current().openFileName(title, folder, filter);
    }
    QString saveFileName(const QString &title, const QString &folder,
                         const QString &filter) override
    {
        const NormalPointer normal;
        return current().saveFileName(title, folder, filter);
    }
    bool logon(LogonDetails &details) override
    {
        const NormalPointer normal;
        return current().logon(details);
    }
};

} // namespace

Prompts &prompts()
{
    static PointerLifting lifting;
    return lifting;
}

void setPrompts(Prompts *replacement) { g_replacement = replacement; }
void setFallbackPrompts(Prompts *fallback) { g_fallback = fallback; }

Prompts::Button DialogPrompts::message(const QString &text, const QString &title, int buttons,
                                       Icon icon)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(displayText(text));
    switch (icon) {
    case Icon::None: break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    QMessageBox::StandardButtons std;
    if (buttons & Ok)
        std |= QMessageBox::Ok;
    if (buttons & Yes)
        std |= QMessageBox::Yes;
    if (buttons & No)
        std |= QMessageBox::No;
    if (buttons & Cancel)
        std |= QMessageBox::Cancel;
    box.setStandardButtons(std ? std : QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Yes: return Yes;
    case QMessageBox::No: return No;
    case QMessageBox::Cancel: return Cancel;
    default: return Ok;
    }
}

std::optional<QString> DialogPrompts::input(const QString &prompt, const QString &title,
                                            const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title,
                                               displayText(prompt), QLineEdit::Normal,
                                               defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString DialogPrompts::openFileName(const QString &title, const QString &folder,
                                    const QString &filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
}

QString DialogPrompts::saveFileName(const QString &title, const QString &folder,
                                    const QString &filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, folder, filter);
}

bool DialogPrompts::logon(LogonDetails &details)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("frmLogon"));
    dialog.setWindowTitle(QStringLiteral("Mail Logon"));
    auto *form = new LogonForm(&dialog);
    form->setDetails(details);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    details = form->details();
    return true;
}

std::optional<ScriptedPrompts::Answer> ScriptedPrompts::next()
{
    if (m_answers.isEmpty())
        return std::nullopt;
    return m_answers.takeFirst();
}

void ScriptedPrompts::record(Asked asked)
{
    asked.busyPointer = QGuiApplication::overrideCursor() != nullptr;
    m_asked.append(std::move(asked));
}

Prompts::Button ScriptedPrompts::message(const QString &text, const QString &title, int buttons,
                                         Icon icon)
{
    record({Asked::Message, text, title, buttons, icon, {}, {}});
    const auto a = next();
    return a ? a->button : firstButton(buttons);
}

std::optional<QString> ScriptedPrompts::input(const QString &prompt, const QString &title,
                                              const QString &defaultText)
{
    record({Asked::Input, prompt, title, 0, Icon::None, {}, {}});
    const auto a = next();
    if (!a)
        return defaultText;
    if (a->button == Cancel)
        return std::nullopt;
    return a->text.value_or(defaultText);
}

QString ScriptedPrompts::openFileName(const QString &title, const QString &folder,
                                      const QString &filter)
{
    record({Asked::OpenFile, {}, title, 0, Icon::None, folder, filter});
    const auto a = next();
    return a && a->text ? *a->text : QString();
}

QString ScriptedPrompts::saveFileName(const QString &title, const QString &folder,
                                      const QString &filter)
{
    record({Asked::SaveFile, {}, title, 0, Icon::None, folder, filter});
    const auto a = next();
    return a && a->text ? *a->text : QString();
}

bool ScriptedPrompts::logon(LogonDetails &details)
{
    record({Asked::Logon, details.user, QStringLiteral("Mail Logon"), 0, Icon::None, {}, {}});
    m_logonsAsked.append(details);
    if (m_logonAnswers.isEmpty())
        return false;
    const std::optional<LogonDetails> a = m_logonAnswers.takeFirst();
    if (!a)
        return false;
    details = *a;
    return true;
}
