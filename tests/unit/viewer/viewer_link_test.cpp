#include "common/pacing.h"
#include "platform/viewer/viewer_link.h"
#include "support/test_env.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

using namespace brindle;
using namespace std::chrono_literals;

namespace {

// A stand-in for the viewer, living in the main thread: collects the blocks it is
// sent and answers as told.
class TestViewer {
public:
    enum class Answer { Acknowledge, Close, Silence };

    explicit TestViewer(QString name, Answer answer = Answer::Acknowledge)
        : m_name(std::move(name)), m_answer(answer)
    {
        QObject::connect(&m_server, &QLocalServer::newConnection, [this] { accept(); });
    }

    bool listen()
    {
        QLocalServer::removeServer(m_name);
        return m_server.listen(m_name);
    }
    void close() { m_server.close(); }

    QList<QByteArray> blocks;
    std::atomic<int> handled{0};

private:
    void accept()
    {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer] {
                buffer->append(socket->readAll());
                if (buffer->size() >= 4 && buffer->endsWith(QByteArray(2, '\0')))
                    handle(socket, *buffer);
            });
        }
    }

    void handle(QLocalSocket *socket, const QByteArray &block)
    {
        blocks << block;
        ++handled;
        if (m_answer == Answer::Acknowledge) {
            socket->write("\x06");
            socket->flush();
        } else if (m_answer == Answer::Close) {
            socket->disconnectFromServer();
        }
    }

    QString m_name;
    Answer m_answer;
    QLocalServer m_server;
};

// Runs work in another thread (as a pool item would) while the main thread keeps
// its event loop going for the test viewer; onTick runs in the main thread meanwhile.
void RunInWorker(const std::function<void()> &work, const std::function<void()> &onTick = {})
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (onTick)
            onTick();
        if (done)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    worker.join();
}

// A fake viewer program that appends each start's arguments, one run per line.
QString FakeViewerProgram(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("glimmer"));
    QFile script(path);
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"$# $*\" >> \"$0.runs\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QByteArray WaitForRuns(const QString &program)
{
    QFile runs(program + QStringLiteral(".runs"));
    QDeadlineTimer limit(20s);
    while (!limit.hasExpired()) {
        if (runs.open(QIODevice::ReadOnly)) {
            const QByteArray text = runs.readAll();
            runs.close();
            if (text.endsWith('\n'))
                return text;
        }
        QThread::msleep(10);
    }
    return {};
}

QString UniqueServerName(const char *test)
{
    return QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath(QStringLiteral("viewer-") + QLatin1String(test));
}

class ViewerLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = CurrentPacing();
        CurrentPacing() = Pacing::scaled(0.01);
    }
    void TearDown() override { CurrentPacing() = saved; }

    Pacing saved;
    QTemporaryDir programDir;
};

} // namespace

TEST(ViewerMessage, ByteBlocks)
{
    const struct { QString text; QByteArray block; } cases[] = {
        {QStringLiteral("wakeup"), QByteArray("\x01\x03wakeup\0\0", 10)},
        {QString(), QByteArray("\x01\x03\0\0", 4)},
        {QStringLiteral("/home/u/Bilder/caf\u00e9.jpg"), QByteArray("\x01\x03/home/u/Bilder/caf\xc3\xa9.jpg\0\0", 28)},
        {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QByteArray("\x01\x03" "a\0\0", 5)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ViewerMessage(c.text), c.block) << c.text.toStdString();
}

TEST(ViewerServer, NameIsPrivateToTheUser)
{
    EXPECT_EQ(ViewerServerName(), qEnvironmentVariable("XDG_RUNTIME_DIR") + "/TfrmIEEPreview");
}

TEST_F(ViewerLinkTest, SendsTheBlockAndReturnsOnceHandled)
{
    const QString name = UniqueServerName("ack");
    TestViewer viewer(name);
    ASSERT_TRUE(viewer.listen());
    ViewerLink link(name, FakeViewerProgram(programDir));

    int handledAtReturn = -1;
    RunInWorker([&] {
        link.sendToViewer(QStringLiteral("wakeup"));
        handledAtReturn = viewer.handled.load();
    });
    ASSERT_EQ(viewer.blocks.size(), 1);
    EXPECT_EQ(viewer.blocks[0], QByteArray("\x01\x03wakeup\0\0", 10));
    EXPECT_EQ(handledAtReturn, 1);
    EXPECT_FALSE(QFile::exists(programDir.filePath("glimmer.runs")));
}

TEST_F(ViewerLinkTest, ViewerThatClosesOrStaysSilentDoesNotHoldTheSender)
{
    CurrentPacing().viewerReplyLimit = 200ms;
    for (const auto answer : {TestViewer::Answer::Close, TestViewer::Answer::Silence}) {
        const QString name = UniqueServerName(answer == TestViewer::Answer::Close ? "close" : "silent");
        TestViewer viewer(name, answer);
        ASSERT_TRUE(viewer.listen());
        ViewerLink link(name, FakeViewerProgram(programDir));
        RunInWorker([&] { link.sendToViewer(QStringLiteral("/tmp/picture.jpg")); });
        ASSERT_EQ(viewer.blocks.size(), 1);
        EXPECT_EQ(viewer.blocks[0], ViewerMessage(QStringLiteral("/tmp/picture.jpg")));
    }
}

TEST_F(ViewerLinkTest, NoViewerAndNoProgramGivesUpAfterTheWait)
{
    ViewerLink link(UniqueServerName("none"), programDir.filePath(QStringLiteral("missing/glimmer")));
    // In the main thread the wait keeps events flowing.
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    link.sendToViewer(QStringLiteral("wakeup"));
    EXPECT_TRUE(timerRan);

    RunInWorker([&] { link.sendToViewer(QStringLiteral("wakeup")); });
}

TEST_F(ViewerLinkTest, MissingViewerIsStartedMinimisedThenSentTo)
{
    const QString name = UniqueServerName("late");
    TestViewer viewer(name);
    const QString program = FakeViewerProgram(programDir);
    ViewerLink link(name, program);
    std::chrono::milliseconds waited{-1};
    std::atomic<bool> wanted{false};
    std::atomic<bool> listening{false};
    // The viewer comes up while the sender waits for it.
    link.setDelay([&](std::chrono::milliseconds wait) {
        waited = wait;
        wanted = true;
        while (!listening)
            QThread::msleep(1);
    });
    const auto listenWhenWanted = [&] {
        if (wanted && !listening) {
            EXPECT_TRUE(viewer.listen());
            listening = true;
        }
    };

    RunInWorker([&] { link.sendToViewer(QStringLiteral("/tmp/a.jpg")); }, listenWhenWanted);
    EXPECT_EQ(waited, CurrentPacing().viewerStartWait);
    ASSERT_EQ(viewer.blocks.size(), 1);
    EXPECT_EQ(viewer.blocks[0], ViewerMessage(QStringLiteral("/tmp/a.jpg")));
    EXPECT_EQ(WaitForRuns(program), QByteArray("1 -minimize\n"));
}

TEST_F(ViewerLinkTest, StartsOnlyWhenNoViewerRuns)
{
    const QString name = UniqueServerName("start");
    TestViewer viewer(name);
    const QString program = FakeViewerProgram(programDir);
    ViewerLink link(name, program);

    ASSERT_TRUE(viewer.listen());
    RunInWorker([&] { link.startViewer(true); });
    viewer.close();
    link.startViewer(false);
    // Only the second call started it, with no argument at all.
    EXPECT_EQ(WaitForRuns(program), QByteArray("0 \n"));
}
