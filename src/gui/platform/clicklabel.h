#pragma once

#include <QLabel>

// The caption beside a picture or a check box; clicking it is the same as clicking its
// control. A caption is the buddy of its control, so a screen reader reads it as that
// control's label.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);

    // A link rather than a caption: it has no control to stand for, so it is a Tab stop of
    // its own that Space or Enter presses, framed while it has the focus.
    void makeLink();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
