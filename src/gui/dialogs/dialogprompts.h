#pragma once

#include "platform/prompts.h"

// Real dialogs, parented to the active window. main() installs them as the fallback prompts
// once the application object exists.
class DialogPrompts : public Prompts
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
