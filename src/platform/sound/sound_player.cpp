#include "platform/sound/sound_player.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include <functional>

namespace brindle {

// Upper bounds for a broken audio back end, so a sound can never hang a run.
static constexpr int kLoadLimitMs = 5000;
static constexpr int kPlayLimitMs = 120000;

static bool WaitUntil(QSoundEffect &effect, const std::function<bool()> &done, int limitMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto check = [&] {
        if (done())
            loop.quit();
    };
    QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, check);
    QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, check);
    limit.start(limitMs);
    loop.exec();
    return done();
}

void QtSoundPlayer::PlayToEnd(const QString &file)
{
    const QFileInfo info(file);
    if (file.isEmpty() || !info.isFile() || !info.isReadable())
        return;
    if (QMediaDevices::defaultAudioOutput().isNull())
        return;

    QSoundEffect effect;
    effect.setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    const bool loaded = WaitUntil(effect, [&] {
        return effect.status() == QSoundEffect::Ready || effect.status() == QSoundEffect::Error;
    }, kLoadLimitMs);
    if (!loaded || effect.status() != QSoundEffect::Ready)
        return;

    effect.play();
    if (!WaitUntil(effect, [&] { return effect.isPlaying() || effect.status() == QSoundEffect::Error; }, kLoadLimitMs))
        return;
    WaitUntil(effect, [&] { return !effect.isPlaying(); }, kPlayLimitMs);
}

} // namespace brindle
