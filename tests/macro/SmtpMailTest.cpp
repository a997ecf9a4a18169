#include "macro/FastMacroDriver.h"
#include "macro/MacroRunner.h"
#include "macro/SmtpMailSender.h"
#include "measure/MeasureRig.h"
#include "state/Settings.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace tervo;

namespace {

// A small SMTP server on loopback, on a thread of its own since the sender blocks.
class LoopbackSmtp {
public:
    struct Message {
        QByteArray from, to, data;
    };

    explicit LoopbackSmtp(QByteArray rcptReply = "250 OK") : m_rcptReply(std::move(rcptReply))
    {
        std::promise<quint16> port;
        std::future<quint16> ready = port.get_future();
        m_thread = std::thread([this, &port] { serve(port); });
        m_port = ready.get();
    }
    ~LoopbackSmtp()
    {
        m_quit = true;
        m_thread.join();
    }
    quint16 port() const { return m_port; }
    std::vector<Message> messages()
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    static QByteArray readLine(QTcpSocket &s)
    {
        while (!s.canReadLine())
            if (!s.waitForReadyRead(5000))
                return {};
        return s.readLine();
    }
    static void reply(QTcpSocket &s, const QByteArray &line)
    {
        s.write(line + "\r\n");
        s.waitForBytesWritten(5000);
    }

    void serve(std::promise<quint16> &port)
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port.set_value(server.serverPort());
        while (!m_quit) {
            if (!server.waitForNewConnection(50))
                continue;
            std::unique_ptr<QTcpSocket> s(server.nextPendingConnection());
            talk(*s);
        }
    }

    void talk(QTcpSocket &s)
    {
        Message m;
        reply(s, "220 localhost ESMTP");
        for (;;) {
            const QByteArray line = readLine(s).trimmed();
            if (line.isEmpty() || line.startsWith("QUIT")) {
                reply(s, "221 bye");
                return;
            }
            if (line.startsWith("EHLO") || line.startsWith("HELO")) {
                reply(s, "250 localhost");
            } else if (line.startsWith("MAIL FROM:")) {
                m.from = line.mid(10);
                reply(s, "250 OK");
            } else if (line.startsWith("RCPT TO:")) {
                m.to = line.mid(8);
                reply(s, m_rcptReply);
            } else if (line == "DATA") {
                reply(s, "354 go ahead");
                for (QByteArray l = readLine(s); !l.isEmpty() && l != ".\r\n"; l = readLine(s))
                    m.data += l;
                {
                    std::lock_guard lock(m_mutex);
                    m_messages.push_back(m);
                }
                reply(s, "250 queued");
            } else {
                reply(s, "502 not here");
            }
        }
    }

    QByteArray m_rcptReply;
    std::thread m_thread;
    std::atomic<bool> m_quit{false};
    quint16 m_port = 0;
    std::mutex m_mutex;
    std::vector<Message> m_messages;
};

// A server on loopback that takes connections and never says a word.
class SilentSmtp {
public:
    SilentSmtp()
    {
        std::promise<quint16> port;
        std::future<quint16> ready = port.get_future();
        m_thread = std::thread([this, &port] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            port.set_value(server.serverPort());
            std::vector<std::unique_ptr<QTcpSocket>> held;
            while (!m_quit)
                if (server.waitForNewConnection(50))
                    held.emplace_back(server.nextPendingConnection());
        });
        m_port = ready.get();
    }
    ~SilentSmtp()
    {
        m_quit = true;
        m_thread.join();
    }
    quint16 port() const { return m_port; }

private:
    std::thread m_thread;
    std::atomic<bool> m_quit{false};
    quint16 m_port = 0;
};

struct MailRig {
    MeasureRig rig;
    std::unique_ptr<SmtpMailSender> sender;
    std::unique_ptr<MacroRunner> runner;
    std::vector<int> outcomes;

    explicit MailRig(quint16 port, int timeoutMs = 10000)
    {
        Settings &s = rig.app->settings;
        s.MailServer = QStringLiteral("127.0.0.1");
        s.MailPort = port;
        s.MailFrom = QStringLiteral("tervo@lab.example");
        s.MailStartTLS = 0; // the loopback servers speak no TLS
        sender = std::make_unique<SmtpMailSender>(s);
        sender->timeoutMs = timeoutMs;
        MacroEnvironment env{*rig.app, *rig.instruments, rig.sound};
        env.mail = sender.get();
        runner = std::make_unique<MacroRunner>(env);
        runner->setTimerDriven(false);
        QObject::connect(runner.get(), &MacroRunner::finished,
                         [this](int o, const QString &) { outcomes.push_back(o); });
    }

    // Polls the run as the window's timer does, until it ends (or 20 s have passed).
    void finish()
    {
        QElapsedTimer t;
        t.start();
        while (runner->isRunning() && t.elapsed() < 20000) {
            runner->poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
};

const char kMacro[] = "Mail.DisplayName Lab  Bench\r\nMail.Address chief@lab.example\r\n"
                      "Mail.Subject Series-done\r\nMail.MsgNote All-tracks-saved\r\n"
                      "Mail.Send\r\nWait 60000\r\nMail.Send\r\n";

} // namespace

TEST(SmtpMail, TwoSendsInDebugModeDeliverTwoEqualMessages)
{
    LoopbackSmtp server;
    MailRig m(server.port());
    m.runner->setDebugMode(true);
    m.runner->run(QString::fromLatin1(kMacro));
    m.finish();
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Completed});
    const auto sent = server.messages();
    ASSERT_EQ(sent.size(), 2u);
    for (const auto &msg : sent) {
        EXPECT_EQ(msg.from, "<tervo@lab.example>");
        EXPECT_EQ(msg.to, "<chief@lab.example>");
        EXPECT_TRUE(msg.data.contains("\r\nTo: \"Lab  Bench\" <chief@lab.example>\r\n"));
        EXPECT_TRUE(msg.data.contains("\r\nSubject: Series-done\r\n"));
        EXPECT_TRUE(msg.data.endsWith("\r\n\r\nAll-tracks-saved\r\n"));
    }
    EXPECT_EQ(sent[0].data.mid(sent[0].data.indexOf("\r\nTo:")),
              sent[1].data.mid(sent[1].data.indexOf("\r\nTo:")));
}

TEST(SmtpMail, ARefusedRecipientEndsTheRunAndTheStatusSaysWhy)
{
    LoopbackSmtp server("550 no such user");
    MailRig m(server.port());
    m.runner->run(QStringLiteral("Mail.Address nobody@lab.example\r\nMail.Send\r\nWait 10"));
    m.finish();
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Failed});
    EXPECT_TRUE(m.runner->status().startsWith("Mail.Send failed: "))
        << m.runner->status().toStdString();
    EXPECT_FALSE(m.runner->waiting());
    EXPECT_TRUE(server.messages().empty());
}

TEST(SmtpMail, HeadersCannotBeInjectedAndNonAsciiIsEncoded)
{
    MailMessage msg{QStringLiteral("Lab"), QStringLiteral("a@b>\r\nBcc: x@y"),
                    QStringLiteral("測定終了\r\nBcc: x@y"), QStringLiteral("done")};
    const QByteArray text = SmtpMailSender::messageText(msg, QStringLiteral("f@g"), {});
    EXPECT_FALSE(text.contains("\r\nBcc:"));
    EXPECT_TRUE(text.contains("To: \"Lab\" <a@bBcc: x@y>\r\n"));
    EXPECT_TRUE(text.contains("Subject: =?UTF-8?B?"));
}

TEST(SmtpMail, WithoutAServerSendFailsAtOnce)
{
    MeasureRig rig;
    SmtpMailSender sender(rig.app->settings);
    QString error;
    EXPECT_FALSE(sender.send({}, error));
    EXPECT_EQ(error, "no mail server is set up");
}

TEST(SmtpMail, AHungServerIsWaitedForOffTheInterfaceThreadAndGivenUpAfterTheTimeout)
{
    SilentSmtp server;
    MailRig m(server.port(), 300);
    m.runner->run(QStringLiteral("Mail.Address chief@lab.example\r\nMail.Send\r\nWait 10"));
    // Run has returned with the mail still under way.
    EXPECT_TRUE(m.runner->isRunning());
    EXPECT_TRUE(m.runner->mailPending());
    m.finish();
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Failed});
    EXPECT_TRUE(m.runner->status().startsWith("Mail.Send failed: "));
    EXPECT_TRUE(m.runner->status().contains("timed out")) << m.runner->status().toStdString();
    EXPECT_FALSE(m.runner->waiting());
}

TEST(SmtpMail, StopEndsTheRunAtOnceWhileTheServerHangs)
{
    SilentSmtp server;
    MailRig m(server.port(), 5000);
    QElapsedTimer t;
    t.start();
    m.runner->run(QStringLiteral("Mail.Send\r\nWait 10"));
    m.runner->stop();
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Stopped});
    EXPECT_FALSE(m.runner->isRunning());
    // The abandoned send ends soon after, well before the server would be given up.
    m.runner.reset();
    EXPECT_LT(t.elapsed(), 4000);
}

TEST(SmtpMail, TheDateCarriesANumericZone)
{
    struct Case {
        int offset;
        const char *date;
    } cases[] = {{3600, "Date: Tue, 08 Dec 2026 18:52:29 +0100\r\n"},
                 {-(3 * 3600 + 1800), "Date: Tue, 08 Dec 2026 18:52:29 -0330\r\n"},
                 {0, "Date: Tue, 08 Dec 2026 18:52:29 +0000\r\n"}};
    for (const Case &c : cases) {
        const QDateTime date(QDate(2026, 12, 8), QTime(18, 52, 29), Qt::OffsetFromUTC, c.offset);
        const QByteArray text = SmtpMailSender::messageText({}, QStringLiteral("f@g"), date);
        EXPECT_TRUE(text.startsWith(c.date)) << text.left(40).toStdString();
    }
}

TEST(SmtpMail, ANonAsciiDisplayNameIsAnUnquotedEncodedWord)
{
    const QString name = QStringLiteral("測定室");
    MailMessage msg{name, QStringLiteral("a@b"), QStringLiteral("s"), QStringLiteral("n")};
    const QByteArray text = SmtpMailSender::messageText(msg, QStringLiteral("f@g"), {});
    EXPECT_TRUE(text.contains("\r\nTo: =?UTF-8?B?" + name.toUtf8().toBase64() + "?= <a@b>\r\n"))
        << text.toStdString();
}

TEST(SmtpMail, NoPasswordGoesOverAPlainLinkUnlessAllowedForThatServer)
{
    struct Case {
        const char *allowedFor;
        bool delivered;
    } cases[] = {{"", false}, {"smtp.elsewhere.example", false}, {"127.0.0.1", true}};
    for (const Case &c : cases) {
        LoopbackSmtp server;
        MailRig m(server.port());
        Settings &s = m.rig.app->settings;
        s.MailStartTLS = 0;
        s.MailUser = QStringLiteral("lab");
        s.MailPassword = QStringLiteral("s3cret");
        s.MailAllowUnencrypted = QString::fromLatin1(c.allowedFor);
        QString error;
        EXPECT_EQ(m.sender->send({{}, QStringLiteral("chief@lab.example"), {}, {}}, error),
                  c.delivered)
            << c.allowedFor;
        EXPECT_EQ(server.messages().size(), c.delivered ? 1u : 0u) << c.allowedFor;
        EXPECT_EQ(error.contains("\"allow unencrypted\""), !c.delivered) << error.toStdString();
    }
}
