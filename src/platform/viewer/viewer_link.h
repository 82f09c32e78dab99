#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <mutex>

namespace brindle {

// The link to the picture viewer `glimmer`, a separate program in the program's
// folder that shows each downloaded picture as it arrives.
//
// Channel: the viewer listens on a local socket (QLocalServer) named by
// ViewerServerName(): "$XDG_RUNTIME_DIR/TfrmIEEPreview" when XDG_RUNTIME_DIR is an
// absolute path (private to the user), otherwise "TfrmIEEPreview" (Qt places it in
// the temporary folder). The viewer uses the same function.
//
// Protocol, one text per connection:
//   sender -> viewer  0x01 0x03, the text as UTF-8, 0x00 0x00
//                     ("wakeup" is the 10 bytes 01 03 77 61 6B 65 75 70 00 00)
//   viewer -> sender  0x06 once it has handled the text; then either side closes.
// The text never holds a zero byte (it is cut at its first NUL character), so the
// viewer reads up to the first zero byte after the two header bytes and then the
// second zero byte. The text is a local file path to show, or "wakeup" (bring the
// window up). A sender that gets no answer gives up after Pacing::viewerReplyLimit;
// the viewer's closing the connection counts as the answer. A connection that
// closes without sending anything is a sender looking whether the viewer runs.
//
// The viewer keeps one instance: when another viewer already answers on the name it
// exits; a name left behind by a crashed viewer (nobody answers) it removes
// (QLocalServer::removeServer) before listening.

// The byte block sent for text.
QByteArray ViewerMessage(const QString &text);

// The socket name the viewer listens on (see above).
QString ViewerServerName();

// Waits for the given time; in the main thread it keeps processing Qt events
// meanwhile, in other threads it sleeps.
void WaitProcessingEvents(std::chrono::milliseconds wait);

class ViewerLink {
public:
    using Delay = std::function<void(std::chrono::milliseconds)>;

    // The program's viewer: ProgramFolder() + "glimmer" on ViewerServerName().
    ViewerLink();
    ViewerLink(QString serverName, QString program);

    // Replaces the wait after starting the viewer (default WaitProcessingEvents).
    void setDelay(Delay delay);

    // True when a viewer accepts connections.
    bool isRunning() const;

    // When no viewer runs, starts the program (with the single argument "-minimize"
    // when minimised) without waiting for it.
    void startViewer(bool minimised);

    // Sends text to the viewer. When none runs: startViewer(true), waits
    // Pacing::viewerStartWait and looks again; still none, nothing is sent. Returns
    // when the viewer has handled the text (or the reply limit has passed).
    void sendToViewer(const QString &text);

private:
    Delay delay() const;

    QString m_serverName;
    QString m_program;
    Delay m_delay;
    mutable std::mutex m_mutex;
};

// The program's link; its functions may be called from any thread.
ViewerLink &ProgramViewer();
void StartViewer(bool minimised);
void SendToViewer(const QString &text);

} // namespace brindle
