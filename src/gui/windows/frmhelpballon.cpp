#include "frmhelpballon.h"

#include "windows/skinform.h"

#include <QPlainTextEdit>
#include <QPushButton>

FrmHelpBallon::FrmHelpBallon(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      m_skin(SkinForm::loadSkin(QStringLiteral(":/skins/balloon.png")))
{
    setObjectName(QStringLiteral("frmHelpBallon"));
    setWindowTitle(QStringLiteral("Lotwise - Help"));
    setModal(true);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setAccessibleName(QStringLiteral("Help"));
    m_text->setReadOnly(true);
    m_text->setFrameShape(QFrame::NoFrame);
    // The text sits on the balloon itself.
    m_text->viewport()->setAutoFillBackground(false);
    m_text->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    m_text->setGeometry(18, 14, 294, 92);

    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("cmdClose"));
    m_close->setGeometry(226, 112, 86, 28);
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, [this] {
        unsetCursor();
        accept();
    });

    SkinForm::applySkin(this, m_skin, QSize(330, 181));
    m_drag = new SkinDrag(this);
    // Dragging on the text moves the balloon too; the viewport is what receives the presses.
    m_drag->watch(m_text->viewport());
    SkinForm::centreOnScreen(this);
}

void FrmHelpBallon::setText(const QString &text)
{
    m_text->clear();
    m_text->setPlainText(text);
}

QString FrmHelpBallon::text() const { return m_text->toPlainText(); }

void FrmHelpBallon::ShowHelpBallon(const QString &text, QWidget *parent)
{
    FrmHelpBallon balloon(parent);
    balloon.setText(text);
    // Whatever pointer the caller had (help mode, the hourglass), the balloon shows the arrow.
    balloon.setCursor(Qt::ArrowCursor);
    balloon.exec();
}

void FrmHelpBallon::paintEvent(QPaintEvent *)
{
    SkinForm::paintSkin(this, m_skin, QColor(0xF4, 0xF9, 0xFF));
}
