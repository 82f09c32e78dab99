#include "platform/sound/sound_player.h"

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brindle {
namespace {

// A valid WAV file of a tenth of a second of silence.
QByteArray SilentWav()
{
    const quint32 rate = 8000;
    const quint32 samples = rate / 10;
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << rate << quint16(1) << quint16(8);
    out.writeRawData("data", 4);
    out << samples;
    wav.append(QByteArray(int(samples), char(0x80)));
    return wav;
}

// Whatever the file and whether or not the machine has an audio device, the call
// comes back (the test's time limit catches a hang) and nothing is thrown.
TEST(QtSoundPlayer, ReturnsForMissingBrokenAndValidFiles)
{
    QTemporaryDir dir;
    const QString broken = dir.path() + "/broken.wav";
    const QString valid = dir.path() + "/ok.wav";
    QFile(broken).open(QIODevice::WriteOnly);
    QFile file(valid);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(SilentWav());
    file.close();

    QtSoundPlayer player;
    player.PlayToEnd(QString());
    player.PlayToEnd(dir.path() + "/missing.wav");
    player.PlayToEnd(dir.path());
    player.PlayToEnd(broken);
    player.PlayToEnd(valid);
    SUCCEED();
}

} // namespace
} // namespace brindle
