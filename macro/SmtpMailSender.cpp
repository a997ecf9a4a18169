#include "SmtpMailSender.h"

#include "state/Settings.h"

#include <QLocale>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <mutex>

namespace tervo {

namespace {

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 126; });
}

QByteArray encodedWord(const QString &text)
{
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

// A header value on one line; non-ASCII text as an RFC 2047 encoded word.
QByteArray headerText(const QString &text)
{
    const QString line = oneLine(text);
    return isAscii(line) ? line.toLatin1() : encodedWord(line);
}

// A display name: quoted when plain, an encoded word (which must not stand in quotes) otherwise.
QByteArray displayName(const QString &text)
{
    const QString line = oneLine(text);
    if (!isAscii(line))
        return encodedWord(line);
    QByteArray name = line.toLatin1();
    name.replace('"', "'");
    return "\"" + name + "\"";
}

// "Tue, 08 Dec 2026 18:52:29 +0100": the zone as a number, as mail readers require.
QByteArray dateText(const QDateTime &date)
{
    const int offset = date.offsetFromUtc() / 60;
    const int minutes = std::abs(offset);
    return QLocale::c()
        .toString(date, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss "))
        .append(QLatin1Char(offset < 0 ? '-' : '+'))
        .append(QStringLiteral("%1%2")
                    .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                    .arg(minutes % 60, 2, 10, QLatin1Char('0')))
        .toLatin1();
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
    if (!m.displayName.isEmpty())
        to = displayName(m.displayName) + " " + to;
    QByteArray note = m.note.toUtf8();
    note.replace("\r\n", "\n").replace('\r', "\n").replace("\n", "\r\n");
    return "Date: " + dateText(date) + "\r\nTo: " + to + "\r\nFrom: " + bracketed(from) +
           "\r\nSubject: " + headerText(m.subject) +
           "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: 8bit\r\n\r\n" +
           note + "\r\n";
}

namespace {

// What one message needs of the settings, taken on the interface thread.
struct SmtpAccount {
    QByteArray url, from, user, password;
    QString server;
    bool startTls = false;
    bool allowUnencrypted = false;
    long timeoutMs = 0;
};

int abortOnStop(void *stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<std::stop_token *>(stop)->stop_requested() ? 1 : 0;
}

bool deliver(const SmtpAccount &a, const QByteArray &to, Upload upload, QString &error,
             std::stop_token stop)
{
    if (a.server.isEmpty()) {
        error = QStringLiteral("no mail server is set up");
        return false;
    }
    if (!a.user.isEmpty() && !a.startTls && !a.allowUnencrypted) {
        error = QStringLiteral("the password is not sent to %1 over an unencrypted link; turn on "
                               "STARTTLS or tick \"allow unencrypted\" for this server")
                    .arg(a.server);
        return false;
    }
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL *curl = curl_easy_init();
    if (!curl) {
        error = QStringLiteral("the mail library could not start");
        return false;
    }
    curl_slist *recipients = curl_slist_append(nullptr, to.constData());
    char reason[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, a.url.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, a.from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, a.timeoutMs);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abortOnStop);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stop);
    if (a.startTls)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (!a.user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, a.user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, a.password.constData());
    }
    const CURLcode r = curl_easy_perform(curl);
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    if (r == CURLE_OK)
        return true;
    error = QString::fromUtf8(reason[0] ? reason : curl_easy_strerror(r));
    return false;
}

} // namespace

MailSender::Delivery SmtpMailSender::delivery(const MailMessage &message)
{
    const Settings &s = m_settings;
    SmtpAccount a;
    a.server = s.MailServer.trimmed();
    const int port = s.MailPort > 0 ? s.MailPort : 25;
    a.url = "smtp://" + a.server.toUtf8() + ":" + QByteArray::number(port);
    a.from = bracketed(s.MailFrom);
    a.user = s.MailUser.toUtf8();
    a.password = s.MailPassword.toUtf8();
    a.startTls = s.MailStartTLS != 0;
    a.allowUnencrypted = mailUnencryptedAllowed(s);
    a.timeoutMs = timeoutMs;
    Upload upload{messageText(message, s.MailFrom, QDateTime::currentDateTime()), 0};
    return [a, to = bracketed(message.address), upload](QString &error, std::stop_token stop) {
        return deliver(a, to, upload, error, stop);
    };
}

} // namespace tervo
