#include "frmabout.h"

#include "windows/programinfo.h"
#include "windows/skinform.h"
#include "errors/handelerrors.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

QStringList defaultSystemInfoTools()
{
    return {QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor"),
            QStringLiteral("kinfocenter")};
}

QString findSystemInfoTool(const QStringList &candidates, const QString &pathVariable)
{
    const QStringList folders = pathVariable.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString &name : candidates) {
        // A bare name only: a candidate with a slash would reach outside the PATH.
        if (name.isEmpty() || name.contains(QLatin1Char('/')))
            continue;
        for (const QString &folder : folders) {
            const QFileInfo file(QDir(folder).filePath(name));
            if (file.isFile() && file.isExecutable())
                return file.absoluteFilePath();
        }
    }
    return {};
}

FrmAbout::FrmAbout(QWidget *parent)
    : QDialog(parent), m_candidates(defaultSystemInfoTools()),
      m_path(qEnvironmentVariable("PATH")),
      m_starter([](const QString &program) { return QProcess::startDetached(program, {}); })
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Lotwise"));
    setModal(true);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setAccessibleName(ProgramInfo::title());
    icon->setPixmap(QIcon(QStringLiteral(":/seed/images/lotwise.png")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *title = new QLabel(ProgramInfo::title(), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    title->setFont(big);

    auto *version = new QLabel(ProgramInfo::versionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));

    auto *description = new QLabel(
        QStringLiteral("Keeps track of sold auctions: invoices, payments, shipping, "
                       "feedback and reminders."),
        this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfo->setAutoDefault(false);
    connect(sysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(); });

    auto *grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 3, 1);
    grid->addWidget(title, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->addWidget(description, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowMinimumHeight(3, 12);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 4, 1);
    setMinimumWidth(420);
    adjustSize();
    SkinForm::centreOnScreen(this);
}

void FrmAbout::setSystemInfoSearch(const QStringList &candidates, const QString &pathVariable)
{
    m_candidates = candidates;
    m_path = pathVariable;
}

bool FrmAbout::StartSysInfo()
{
    bool started = false;
    trapErrors(QStringLiteral("frmAbout-StartSysInfo"), [&] {
        const QString tool = findSystemInfoTool(m_candidates, m_path);
        started = !tool.isEmpty() && m_starter && m_starter(tool);
        if (!started)
            prompts().message(QStringLiteral("System Information Is Unavailable At This Time"),
                              windowTitle(), Prompts::Ok, Prompts::Icon::None);
    });
    return started;
}

void FrmAbout::ShowAbout(QWidget *parent)
{
    FrmAbout about(parent);
    about.exec();
}
