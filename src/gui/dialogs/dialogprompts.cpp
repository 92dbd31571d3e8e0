#include "dialogprompts.h"

#include "platform/logonform.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

Prompts::Button DialogPrompts::message(const QString &text, const QString &title, int buttons,
                                       Icon icon)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(displayText(text));
    switch (icon) {
    case Icon::None: break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    QMessageBox::StandardButtons std;
    if (buttons & Ok)
        std |= QMessageBox::Ok;
    if (buttons & Yes)
        std |= QMessageBox::Yes;
    if (buttons & No)
        std |= QMessageBox::No;
    if (buttons & Cancel)
        std |= QMessageBox::Cancel;
    box.setStandardButtons(std ? std : QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Yes: return Yes;
    case QMessageBox::No: return No;
    case QMessageBox::Cancel: return Cancel;
    default: return Ok;
    }
}

std::optional<QString> DialogPrompts::input(const QString &prompt, const QString &title,
                                            const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title,
                                               displayText(prompt), QLineEdit::Normal,
                                               defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString DialogPrompts::openFileName(const QString &title, const QString &folder,
                                    const QString &filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
}

QString DialogPrompts::saveFileName(const QString &title, const QString &folder,
                                    const QString &filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, folder, filter);
}

bool DialogPrompts::logon(LogonDetails &details)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("frmLogon"));
    dialog.setWindowTitle(QStringLiteral("Mail Logon"));
    auto *form = new LogonForm(&dialog);
    form->setDetails(details);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    details = form->details();
    return true;
}
