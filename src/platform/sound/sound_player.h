#pragma once

#include <QString>

namespace brindle {

// Plays a sound file to its end before returning. A missing file, an unreadable
// file or a machine without an audio device plays nothing, silently.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void PlayToEnd(const QString &file) = 0;
};

// Qt Multimedia player for WAV files. Call it in a thread that runs a Qt event loop
// (the main thread); it waits in a local event loop while the sound plays.
class QtSoundPlayer final : public SoundPlayer {
public:
    void PlayToEnd(const QString &file) override;
};

} // namespace brindle
