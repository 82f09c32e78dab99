// Temporary stand-in for the settings store until settings/store lands.
#include "engine/messages/message_settings.h"

#include <QMap>
#include <QMutex>

namespace brindle {

namespace {
QMutex g_mutex;
QMap<QString, QString> g_values;
}

bool OldFormatLayout()
{
    QMutexLocker lock(&g_mutex);
    return g_values.value("OldFormat") == "1";
}

void StoreGroupLastMessage(const QString &userName, const QString &group, int n)
{
    QMutexLocker lock(&g_mutex);
    if (n > 0)
        g_values["Profiles/" + userName + "/" + group.toLower()] = QString::number(n);
}

int ReadGroupLastMessage(const QString &userName, const QString &group)
{
    QMutexLocker lock(&g_mutex);
    return g_values.value("Profiles/" + userName + "/" + group.toLower(), "-1").toInt();
}

void SetGroupProfileMark(const QString &, const QString &, GroupMark, bool) {}

void RecordGrabbedGroup(const QString &name)
{
    QMutexLocker lock(&g_mutex);
    g_values["GrabbedGroups/" + name] = QString();
}

void RecordGrabbedURL(const QString &address)
{
    QMutexLocker lock(&g_mutex);
    g_values["GrabbedURLs/" + address] = QString();
}

void SetStandInValue(const QString &name, const QString &value)
{
    QMutexLocker lock(&g_mutex);
    g_values[name] = value;
}

QStringList StandInNames(const QString &start)
{
    QMutexLocker lock(&g_mutex);
    QStringList names;
    for (auto it = g_values.begin(); it != g_values.end(); ++it)
        if (it.key().startsWith(start))
            names.append(it.key().mid(start.size()));
    return names;
}

} // namespace brindle
