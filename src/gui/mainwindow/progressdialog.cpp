#include "progressdialog.h"

#include <QProgressDialog>
#include <memory>

namespace {
constexpr int kShownFrom = 6;
}

std::function<void(int, int)> progressDialog(QWidget *parent, const QString &verb)
{
    std::shared_ptr<QProgressDialog> dialog;
    return [parent, verb, dialog](int done, int total) mutable {
        if (total < kShownFrom)
            return;
        if (!dialog) {
            dialog = std::make_shared<QProgressDialog>(parent);
            dialog->setWindowTitle(parent ? parent->windowTitle() : verb);
            dialog->setCancelButton(nullptr);
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->setRange(0, total);
        }
        dialog->setLabelText(QStringLiteral("%1 %2 of %3").arg(verb).arg(qMin(done + 1, total)).arg(total));
        dialog->setValue(done);
        if (done >= total)
            dialog->reset();
    };
}
