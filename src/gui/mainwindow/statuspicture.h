#pragma once

#include "platform/clicklabel.h"

#include <QAbstractButton>
#include <functional>

// A status picture: a checkable button that paints the "set" or "not set" picture, so
// keyboard users can tab to it and press Space and screen readers hear its caption and
// state. Its state is set by whoever owns it; a press only reports the click.
class StatusPicture : public QAbstractButton
{
    Q_OBJECT
public:
    explicit StatusPicture(const QString &objectName, const QString &caption,
                           QWidget *parent = nullptr);

    void setOn(bool on);
    bool isOn() const { return isChecked(); }
    // Image 1 when on, image 2 when off, as the switch rules speak of them.
    int imageIndex() const { return isOn() ? 1 : 2; }

    QSize sizeHint() const override { return {20, 20}; }
    // Never smaller: a squeezed picture shrinks to a dot nobody can read or hit.
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override {}

private:
    bool m_settingState = false;
};

// An on/off switch of a list panel: the picture and its caption side by side, on at first.
// A click on the caption always toggles it; a click on the picture toggles it when
// `pictureFlips` says so.
struct Switch
{
    QWidget *row = nullptr;
    StatusPicture *picture = nullptr;
    ClickLabel *label = nullptr;
};
Switch makeSwitch(const QString &name, const QString &labelName, const QString &caption,
                  std::function<bool()> pictureFlips = {});
