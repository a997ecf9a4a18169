#include "macro/FastMacroDriver.h"
#include "macro/MacroRunner.h"
#include "macro/SmtpMailSender.h"
#include "measure/MeasureRig.h"
#include "state/Settings.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
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

struct MailRig {
    MeasureRig rig;
    std::unique_ptr<SmtpMailSender> sender;
    std::unique_ptr<MacroRunner> runner;
    std::vector<int> outcomes;

    explicit MailRig(quint16 port)
    {
        Settings &s = rig.app->settings;
        s.MailServer = QStringLiteral("127.0.0.1");
        s.MailPort = port;
        s.MailFrom = QStringLiteral("tervo@lab.example");
        sender = std::make_unique<SmtpMailSender>(s);
        sender->timeoutSeconds = 10;
        MacroEnvironment env{*rig.app, *rig.instruments, rig.sound};
        env.mail = sender.get();
        runner = std::make_unique<MacroRunner>(env);
        QObject::connect(runner.get(), &MacroRunner::finished,
                         [this](int o, const QString &) { outcomes.push_back(o); });
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
