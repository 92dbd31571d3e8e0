#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class QLabel;

// The first window of the program: shaped, frameless and centred, it is shown while the
// main window loads.
class FrmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit FrmSplash(QWidget *parent = nullptr);

    // Shows the splash, lets it paint, then runs `loadMainWindow` (the main window's load).
    // Whatever escapes from the load is reported as an error of "frmSplash-Load". The
    // splash is hidden afterwards, and stays loaded; the caller then shows the main window
    // when this returns true.
    bool Form_Load(const std::function<bool()> &loadMainWindow);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_skin;
    QLabel *m_product = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_loading = nullptr;
};
