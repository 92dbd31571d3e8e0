#include "frmnotes.h"

#include "windows/skinform.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
const QSize kFallbackSize(382, 324);
}

FrmNotes::FrmNotes(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      m_skin(SkinForm::loadSkin(QStringLiteral(":/skins/notes.png")))
{
    setObjectName(QStringLiteral("frmNotes"));
    setWindowTitle(QStringLiteral("Lotwise - Notes"));

    m_heading = new QLabel(QStringLiteral("You have the following tasks to complete."), this);
    m_heading->setObjectName(QStringLiteral("Label1"));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_heading->setGeometry(22, 12, 338, 24);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setAccessibleName(QStringLiteral("Tasks"));
    m_list->setGeometry(22, 52, 338, 212);

    m_ok = new QPushButton(QStringLiteral("O.K"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setGeometry(22, 276, 110, 30);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    // Present, as users know it, but it has never done anything.
    m_autoComplete = new QPushButton(QStringLiteral("Auto Complete"), this);
    m_autoComplete->setObjectName(QStringLiteral("cmdAutoComplete"));
    m_autoComplete->setGeometry(250, 276, 110, 30);
    m_autoComplete->setAutoDefault(false);

    SkinForm::applySkin(this, m_skin, kFallbackSize);
    m_drag = new SkinDrag(this);
    m_drag->watch(m_heading);
    SkinForm::centreOnScreen(this);
}

void FrmNotes::addLine(const QString &line) { m_list->addItem(line); }

void FrmNotes::clear() { m_list->clear(); }

int FrmNotes::lineCount() const { return m_list->count(); }

QStringList FrmNotes::lines() const
{
    QStringList out;
    out.reserve(m_list->count());
    for (int i = 0; i < m_list->count(); ++i)
        out.append(m_list->item(i)->text());
    return out;
}

void FrmNotes::showModal()
{
    if (isVisible() && !isModal())
        hide(); // modality only changes on a hidden window
    setWindowModality(Qt::ApplicationModal);
    showCentred();
}

void FrmNotes::showModeless()
{
    if (isVisible() && isModal())
        hide();
    setWindowModality(Qt::NonModal);
    showCentred();
}

void FrmNotes::showCentred()
{
    if (!isVisible())
        SkinForm::centreOnScreen(this);
    show();
    raise();
    activateWindow();
}

void FrmNotes::cmdOK_Click()
{
    clear();
    hide();
    setResult(QDialog::Accepted);
    emit closedByUser();
}

void FrmNotes::reject() { cmdOK_Click(); }

void FrmNotes::paintEvent(QPaintEvent *)
{
    SkinForm::paintSkin(this, m_skin, QColor(0xFF, 0xF8, 0xD2));
}
