#include "SmtpMailSender.h"

#include "state/Settings.h"

#include <QLocale>
#include <algorithm>
#include <cstring>
#include <curl/curl.h>
#include <mutex>

namespace tervo {

namespace {

// A header value on one line; non-ASCII text as an RFC 2047 encoded word.
QByteArray headerText(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    for (QChar c : text) {
        if (c.unicode() > 126)
            return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
    }
    return text.toLatin1();
}

// An address between angle brackets cannot carry a second recipient or a header.
QByteArray bracketed(const QString &address)
{
    QByteArray a = address.toUtf8();
    a.replace('\r', "").replace('\n', "").replace('<', "").replace('>', "");
    return "<" + a + ">";
}

struct Upload {
    QByteArray data;
    qsizetype offset = 0;
};

size_t readUpload(char *buffer, size_t size, size_t count, void *user)
{
    auto *u = static_cast<Upload *>(user);
    const qsizetype room = static_cast<qsizetype>(size * count);
    const qsizetype n = std::min(room, u->data.size() - u->offset);
    std::memcpy(buffer, u->data.constData() + u->offset, static_cast<std::size_t>(n));
    u->offset += n;
    return static_cast<size_t>(n);
}

} // namespace

SmtpMailSender::SmtpMailSender(const Settings &settings) : m_settings(settings) {}

QByteArray SmtpMailSender::messageText(const MailMessage &m, const QString &from,
                                       const QDateTime &date)
{
    QByteArray to = bracketed(m.address);
    if (!m.displayName.isEmpty()) {
        QByteArray name = headerText(m.displayName);
        name.replace('"', "'");
        to = "\"" + name + "\" " + to;
    }
    QByteArray note = m.note.toUtf8();
    note.replace("\r\n", "\n").replace('\r', "\n").replace("\n", "\r\n");
    return "Date: " +
           QLocale::c().toString(date, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss t")).toLatin1() +
           "\r\nTo: " + to + "\r\nFrom: " + bracketed(from) +
           "\r\nSubject: " + headerText(m.subject) +
           "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: 8bit\r\n\r\n" +
           note + "\r\n";
}

bool SmtpMailSender::send(const MailMessage &message, QString &error)
{
    if (m_settings.MailServer.trimmed().isEmpty()) {
        error = QStringLiteral("no mail server is set up");
        return false;
    }
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL *curl = curl_easy_init();
    if (!curl) {
        error = QStringLiteral("the mail library could not start");
        return false;
    }
    const int port = m_settings.MailPort > 0 ? m_settings.MailPort : 25;
    const QByteArray url =
        "smtp://" + m_settings.MailServer.trimmed().toUtf8() + ":" + QByteArray::number(port);
    const QByteArray from = bracketed(m_settings.MailFrom);
    const QByteArray to = bracketed(message.address);
    const QByteArray user = m_settings.MailUser.toUtf8();
    const QByteArray password = m_settings.MailPassword.toUtf8();
    Upload upload{messageText(message, m_settings.MailFrom, QDateTime::currentDateTime()), 0};
    curl_slist *recipients = curl_slist_append(nullptr, to.constData());
    char reason[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(timeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    if (m_settings.MailStartTLS != 0)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    const CURLcode r = curl_easy_perform(curl);
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    if (r == CURLE_OK)
        return true;
    error = QString::fromUtf8(reason[0] ? reason : curl_easy_strerror(r));
    return false;
}

} // namespace tervo
