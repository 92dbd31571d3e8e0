#include "webfetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStringDecoder>
#include <QTimer>

namespace WebFetch {

Result get(const QUrl &url, int timeoutMs)
{
    Result result;
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")) {
        result.error = QStringLiteral("%1 is not a web address.").arg(url.toString());
        return result;
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    const QNetworkReply::NetworkError error = reply->error();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // The server's own refusals come with their status; a page cut off on the way does not
    // count as an answer, whatever its status line said.
    const bool httpError = (error >= QNetworkReply::ContentAccessDenied &&
                            error <= QNetworkReply::UnknownServerError) ||
                           error == QNetworkReply::TooManyRedirectsError ||
                           error == QNetworkReply::InsecureRedirectError;
    if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError) {
        result.error = QStringLiteral("%1 did not answer within %2 seconds.")
                           .arg(url.host())
                           .arg(timeoutMs / 1000);
    } else if (status <= 0 || (error != QNetworkReply::NoError && !httpError)) {
        result.error = QStringLiteral("%1: %2").arg(url.host(), reply->errorString());
    } else {
        result.status = status;
        result.ok = error == QNetworkReply::NoError && status >= 200 && status < 300;
        if (!result.ok)
            result.error =
                QStringLiteral("%1 answered with status %2.").arg(url.host()).arg(status);
        const QByteArray body = reply->readAll();
        QString charset;
        const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
        const qsizetype at = type.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
        if (at >= 0)
            charset = type.mid(at + 8).section(u';', 0, 0).trimmed().remove(u'"');
        QStringDecoder decoder(charset.isEmpty() ? "UTF-8" : charset.toLatin1().constData());
        result.text = decoder.isValid() ? decoder.decode(body) : QString::fromUtf8(body);
    }
    reply->deleteLater();
    return result;
}

} // namespace WebFetch
