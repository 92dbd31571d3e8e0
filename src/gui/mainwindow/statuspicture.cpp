#include "statuspicture.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

StatusPicture::StatusPicture(const QString &objectName, const QString &caption, QWidget *parent)
    : QAbstractButton(parent)
{
    setObjectName(objectName);
    setCheckable(true);
    setAccessibleName(caption);
    setToolTip(caption);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    // An assistive tool's "Toggle" flips the state directly, without a click. The state is
    // the owner's to set, so the flip is undone and reported as the press it stands for.
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (m_settingState)
            return;
        setOn(!on);
        emit clicked(isChecked());
    });
}

void StatusPicture::setOn(bool on)
{
    m_settingState = true;
    setChecked(on);
    m_settingState = false;
}

void StatusPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height()) - 4;
    const QRectF box((width() - side) / 2, (height() - side) / 2, side, side);
    if (isOn()) {
        // Set: a filled green disc with a white tick, readable at a glance.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2e, 0x9d, 0x4a));
        p.drawEllipse(box);
        QPainterPath tick;
        tick.moveTo(box.left() + side * 0.27, box.top() + side * 0.52);
        tick.lineTo(box.left() + side * 0.44, box.top() + side * 0.69);
        tick.lineTo(box.left() + side * 0.74, box.top() + side * 0.33);
        p.setPen(QPen(Qt::white, qMax(2.0, side / 8), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else {
        // Not set: an empty grey ring.
        p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), qMax(1.5, side / 10)));
        p.setBrush(palette().base());
        p.drawEllipse(box.adjusted(1, 1, -1, -1));
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

Switch makeSwitch(const QString &name, const QString &labelName, const QString &caption,
                  std::function<bool()> pictureFlips)
{
    Switch s;
    s.row = new QWidget;
    auto *h = new QHBoxLayout(s.row);
    h->setContentsMargins(0, 0, 0, 0);
    s.picture = new StatusPicture(name, caption);
    s.label = new ClickLabel(caption);
    s.label->setObjectName(labelName);
    s.label->setBuddy(s.picture);
    h->addWidget(s.picture);
    h->addWidget(s.label, 1);
    s.picture->setOn(true);
    StatusPicture *picture = s.picture;
    QObject::connect(picture, &QAbstractButton::clicked, picture, [picture, pictureFlips] {
        if (!pictureFlips || pictureFlips())
            picture->setOn(!picture->isOn());
    });
    QObject::connect(s.label, &ClickLabel::clicked, picture,
                     [picture] { picture->setOn(!picture->isOn()); });
    return s;
}
