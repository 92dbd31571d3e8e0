#pragma once

#include <QDialog>
#include <QImage>

class QPlainTextEdit;
class QPushButton;
class SkinDrag;

// The help balloon: a shaped, frameless window with a short help text and "Close".
class FrmHelpBallon : public QDialog
{
    Q_OBJECT
public:
    explicit FrmHelpBallon(QWidget *parent = nullptr);

    // Empties the text box and puts `text` in it.
    void setText(const QString &text);
    QString text() const;

    SkinDrag *drag() const { return m_drag; }

    // Shows a balloon with `text` modally and returns when it is closed. The main window
    // clears its help mode before calling this.
    static void ShowHelpBallon(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_skin;
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_close = nullptr;
    SkinDrag *m_drag = nullptr;
};
