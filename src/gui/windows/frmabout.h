#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QPushButton;

// The system information tools looked for, in order of preference.
QStringList defaultSystemInfoTools();
// The full path of the first of `candidates` that is an executable file in one of the
// folders of `pathVariable` (a PATH value, folders separated by ':'); "" when none is.
// Empty entries of the PATH are passed over rather than taken as the working folder.
QString findSystemInfoTool(const QStringList &candidates, const QString &pathVariable);

// "About Lotwise": the program's icon, title and version, "OK" and "&System Info...".
class FrmAbout : public QDialog
{
    Q_OBJECT
public:
    // Starts a program by its path, without waiting; false when it could not be started.
    using Starter = std::function<bool(const QString &program)>;

    explicit FrmAbout(QWidget *parent = nullptr);

    // Where "&System Info..." looks, and how it starts what it finds. By default the
    // tools of defaultSystemInfoTools() on this process's PATH, started detached.
    void setSystemInfoSearch(const QStringList &candidates, const QString &pathVariable);
    void setStarter(Starter starter) { m_starter = std::move(starter); }

    // "&System Info...": starts the tool, or says "System Information Is Unavailable At
    // This Time" when there is none or it does not start. True when it started.
    bool StartSysInfo();

    // Shows the window modally, owned by `parent`, and returns when it is closed.
    static void ShowAbout(QWidget *parent);

private:
    QStringList m_candidates;
    QString m_path;
    Starter m_starter;
};
