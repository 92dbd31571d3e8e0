#pragma once

#include <QString>
#include <functional>

class QWidget;

// A progress window for long work over many items: "<verb> n of N", no cancel. Work of a few
// items finishes before it could be read, and shows none.
std::function<void(int done, int total)> progressDialog(QWidget *parent, const QString &verb);
