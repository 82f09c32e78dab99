#include "platform/viewer/viewer_link.h"

#include "common/app_folders.h"
#include "common/pacing.h"
#include "platform/processes/processes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

#include <algorithm>
#include <memory>
#include <thread>

namespace brindle {

namespace {

const char kServerName[] = "TfrmIEEPreview";
const char kViewerProgram[] = "glimmer";

bool InMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

int Milliseconds(std::chrono::milliseconds value)
{
    return int(std::max<long long>(0, value.count()));
}

// A connected socket, or none when no viewer accepts connections.
std::unique_ptr<QLocalSocket> Connect(const QString &serverName)
{
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(serverName);
    if (!socket->waitForConnected(Milliseconds(CurrentPacing().viewerReplyLimit)))
        return nullptr;
    return socket;
}

// Writes the block and waits for the viewer's answer or its closing the connection.
void Deliver(QLocalSocket &socket, const QByteArray &block)
{
    socket.write(block);
    QDeadlineTimer limit(CurrentPacing().viewerReplyLimit);
    while (socket.bytesToWrite() > 0 && socket.state() == QLocalSocket::ConnectedState) {
        if (!socket.waitForBytesWritten(int(limit.remainingTime())))
            return;
    }
    while (socket.bytesAvailable() == 0 && socket.state() == QLocalSocket::ConnectedState) {
        if (!socket.waitForReadyRead(int(limit.remainingTime())))
            break;
    }
    socket.abort();
}

} // namespace

QByteArray ViewerMessage(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    QByteArray block;
    block.reserve(bytes.size() + 4);
    block.append('\x01').append('\x03').append(bytes).append('\0').append('\0');
    return block;
}

QString ViewerServerName()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return QDir(runtime).filePath(QLatin1String(kServerName));
    return QLatin1String(kServerName);
}

void WaitProcessingEvents(std::chrono::milliseconds wait)
{
    if (!InMainThread()) {
        std::this_thread::sleep_for(wait);
        return;
    }
    const QDeadlineTimer deadline(wait);
    const auto step = CurrentPacing().pollInterval;
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(deadline.remainingTime()));
        std::this_thread::sleep_for(std::min(step, std::chrono::milliseconds(deadline.remainingTime())));
    }
}

ViewerLink::ViewerLink() : ViewerLink(ViewerServerName(), ProgramFolder() + QLatin1String(kViewerProgram)) {}

ViewerLink::ViewerLink(QString serverName, QString program)
    : m_serverName(std::move(serverName)), m_program(std::move(program)), m_delay(WaitProcessingEvents)
{
}

void ViewerLink::setDelay(Delay delay)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_delay = delay ? std::move(delay) : Delay(WaitProcessingEvents);
}

ViewerLink::Delay ViewerLink::delay() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_delay;
}

bool ViewerLink::isRunning() const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    return socket.waitForConnected(Milliseconds(CurrentPacing().viewerReplyLimit));
}

void ViewerLink::startViewer(bool minimised)
{
    // Checking and starting under one lock keeps two threads of this process from
    // both starting a viewer.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (isRunning())
        return;
    QStringList arguments;
    if (minimised)
        arguments << QStringLiteral("-minimize");
    StartDetached(m_program, arguments);
}

void ViewerLink::sendToViewer(const QString &text)
{
    try {
        auto socket = Connect(m_serverName);
        if (!socket) {
            startViewer(true);
            delay()(CurrentPacing().viewerStartWait);
            socket = Connect(m_serverName);
        }
        if (socket)
            Deliver(*socket, ViewerMessage(text));
    } catch (...) {
        // The viewer is an aid; it never disturbs a download.
    }
}

ViewerLink &ProgramViewer()
{
    static ViewerLink link;
    return link;
}

void StartViewer(bool minimised)
{
    ProgramViewer().startViewer(minimised);
}

void SendToViewer(const QString &text)
{
    ProgramViewer().sendToViewer(text);
}

} // namespace brindle
