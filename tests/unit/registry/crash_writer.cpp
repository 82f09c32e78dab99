// Writes the values 0, 1, 2, ... (from the given start) to the key
// "Software\Brindle2\Crash" of the registry file, and prints each number on a line
// of its own once its write has returned. Runs until killed or count is reached.
//   registry_crash_writer <file> <start> <count>

#include "platform/registry/registry.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    brindle::Registry registry(QString::fromLocal8Bit(argv[1]));
    const long start = std::atol(argv[2]);
    const long count = std::atol(argv[3]);
    // A payload of a few pages keeps the writer inside SQLite most of the time.
    const QByteArray payload(3000, 'x');
    for (long n = start; n < start + count; ++n) {
        const QString name = QString::number(n);
        if (!registry.Write(QStringLiteral("Software\\Brindle2\\Crash"), name, brindle::RegistryValue::FromBinary(name.toLatin1() + payload)))
            return 1;
        std::printf("%ld\n", n);
        std::fflush(stdout);
    }
    return 0;
}
