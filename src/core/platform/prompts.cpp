#include "prompts.h"

#include "normalpointer.h"

#include <cstdio>
#include <utility>

namespace {

Prompts *g_replacement = nullptr;

// A message's line breaks as spaces, so that it stays one line of a log.
QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
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

Prompts *g_fallback = nullptr;

Prompts &current()
{
    static NonInteractivePrompts nobody;
    if (g_replacement)
        return *g_replacement;
    return g_fallback ? *g_fallback : nobody;
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
Prompts *setFallbackPrompts(Prompts *fallback) { return std::exchange(g_fallback, fallback); }

Prompts::Button NonInteractivePrompts::message(const QString &text, const QString &title,
                                               int buttons, Icon)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(oneLine(text)));
    for (const auto b : {Prompts::Cancel, Prompts::No, Prompts::Ok, Prompts::Yes}) {
        if (buttons & b)
            return b;
    }
    return Prompts::Ok;
}

std::optional<QString> NonInteractivePrompts::input(const QString &, const QString &,
                                                    const QString &)
{
    return std::nullopt;
}

QString NonInteractivePrompts::openFileName(const QString &, const QString &, const QString &)
{
    return {};
}

QString NonInteractivePrompts::saveFileName(const QString &, const QString &, const QString &)
{
    return {};
}

bool NonInteractivePrompts::logon(LogonDetails &) { return false; }

void ScriptedPrompts::record(Asked asked)
{
    asked.busyPointer = NormalPointer::busy();
    m_asked.append(std::move(asked));
}

std::optional<ScriptedPrompts::Answer> ScriptedPrompts::next()
{
    if (m_answers.isEmpty())
        return std::nullopt;
    return m_answers.takeFirst();
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
