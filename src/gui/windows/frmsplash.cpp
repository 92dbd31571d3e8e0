#include "frmsplash.h"

#include "windows/programinfo.h"
#include "windows/skinform.h"
#include "errors/handelerrors.h"

#include <QCoreApplication>
#include <QLabel>

FrmSplash::FrmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_skin(SkinForm::loadSkin(QStringLiteral(":/skins/splash.png")))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(ProgramInfo::title());

    const QString white = QStringLiteral("color: white;");
    m_product = new QLabel(ProgramInfo::title(), this);
    m_product->setObjectName(QStringLiteral("lblProductName"));
    QFont big = m_product->font();
    big.setPointSize(30);
    big.setBold(true);
    m_product->setFont(big);
    m_product->setStyleSheet(white);
    m_product->setAlignment(Qt::AlignCenter);
    m_product->setGeometry(20, 60, 380, 80);

    m_version = new QLabel(ProgramInfo::versionText(), this);
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_version->setStyleSheet(white);
    m_version->setAlignment(Qt::AlignCenter);
    m_version->setGeometry(20, 166, 380, 22);

    m_loading = new QLabel(QStringLiteral("Now Loading... Please Wait"), this);
    m_loading->setObjectName(QStringLiteral("lblLoading"));
    m_loading->setStyleSheet(white);
    m_loading->setAlignment(Qt::AlignCenter);
    m_loading->setGeometry(20, 204, 380, 22);

    SkinForm::applySkin(this, m_skin, QSize(420, 260));
    SkinForm::centreOnScreen(this);
}

bool FrmSplash::Form_Load(const std::function<bool()> &loadMainWindow)
{
    SkinForm::centreOnScreen(this);
    show();
    raise();
    // Paint the splash now: the load below holds the event loop until it is done.
    QCoreApplication::processEvents();
    bool loaded = false;
    const bool clean = trapErrors(QStringLiteral("frmSplash-Load"), [&] {
        loaded = loadMainWindow ? loadMainWindow() : true;
    });
    hide();
    return clean && loaded;
}

void FrmSplash::paintEvent(QPaintEvent *)
{
    SkinForm::paintSkin(this, m_skin, QColor(0x1E, 0x5E, 0xC8));
}
