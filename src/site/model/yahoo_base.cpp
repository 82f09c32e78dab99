#include "site/model/yahoo_base.h"

#include "common/log.h"
#include "common/service_hosts.h"
#include "common/text_utils.h"
#include "settings/diagnostics/page_dump.h"
#include "site/model/regional_prefixes.h"
#include "site/page_access.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace brindle {

namespace {

TYahooBase::PageDumpWriter &DumpWriter()
{
    static TYahooBase::PageDumpWriter writer = [](const QString &group, const QString &fileName, const QString &text) {
        brindle::DumpPage(true, group, text, fileName);
    };
    return writer;
}

QString Upper(const char *ascii)
{
    return AsciiUpper(QString::fromLatin1(ascii));
}

} // namespace

TYahooBase::TYahooBase() : Host(QString::fromLatin1(hosts::GROUP_HOST)) {}

TYahooBase::TYahooBase(PageAccess *worker, bool debug, TYahooDownloadOptions *options, const QString &password,
                       const QString &userName, const QString &groupName)
    : NoViewer(options && options->m_boolIgnoreViewer),
      UserName(userName),
      Password(password),
      Debug(debug),
      GroupName(groupName),
      Host(QString::fromLatin1(hosts::GROUP_HOST)),
      Options(options),
      Worker(worker)
{
}

TYahooBase::~TYahooBase() = default;

QString TYahooBase::SiteRoot() const
{
    return QLatin1String("http://") + Prefix + QLatin1String(hosts::GROUP_HOST);
}

QString TYahooBase::GroupHomeURL() const
{
    return QLatin1String("http://") + QLatin1String(hosts::GROUP_HOST) + QLatin1String("/group/") + GroupName;
}

QString TYahooBase::MessagesFirstPageURL() const
{
    return SiteRoot() + QLatin1String("/group/") + GroupName + QLatin1String("/messages/1");
}

QString TYahooBase::MessagesURL() const
{
    return SiteRoot() + QLatin1String("/group/") + GroupName + QLatin1String("/messages/");
}

QString TYahooBase::MessageURL(int number) const
{
    return SiteRoot() + QLatin1String("/group/") + GroupName + QLatin1String("/message/") + QString::number(number);
}

QString TYahooBase::PhotoAlbumURL(const QString &tail) const
{
    return SiteRoot() + QLatin1String("/group/") + GroupName + QLatin1String("/photos/album") + tail;
}

QString TYahooBase::AttachmentsFolderURL(const QString &tail) const
{
    return SiteRoot() + QLatin1String("/group/") + GroupName + QLatin1String("/attachments/folder") + tail;
}

QString TYahooBase::FilesURL(const QString &tail) const
{
    return SiteRoot() + QLatin1String("/group/") + GroupName + QLatin1String("/files") + tail;
}

// Upper-cased whole, like the other keys: the links it is compared with are
// upper-cased, so a lower-case prefix or group name would never match.
QString TYahooBase::FilesKey() const
{
    return AsciiUpper(Prefix + QLatin1String(hosts::GROUP_HOST) + QLatin1String("/GROUP/") + GroupName +
                      QLatin1String("/FILES/"));
}

QString TYahooBase::GroupHostKey() const
{
    return AsciiUpper(Prefix) + Upper(hosts::GROUP_HOST) + QLatin1String("/GROUP/") + AsciiUpper(GroupName) +
           QLatin1Char('/');
}

QString TYahooBase::PhotoHostKey() const
{
    return AsciiUpper(Prefix) + Upper(hosts::PHOTO_HOST) + QLatin1String("/GROUP/") + AsciiUpper(GroupName) +
           QLatin1Char('/');
}

QString TYahooBase::PhHostKey() const
{
    return AsciiUpper(Prefix) + Upper(hosts::PH_HOST) + QLatin1String("/GROUP/") + AsciiUpper(GroupName) +
           QLatin1Char('/');
}

TDownloadStatus TYahooBase::FetchPage(const QString &address, QStringList &lines)
{
    if (!Worker) {
        lines.clear();
        return dsError;
    }
    return Worker->FetchPageSync(address, lines) ? dsOk : dsError;
}

QString TYahooBase::LocationURL() const
{
    return Worker ? Worker->LocationURL() : QString();
}

void TYahooBase::DetectPrefix()
{
    // Only the host counts: a sign-in page may carry the group's address in its query.
    QString address = Trim(LocationURL()).toLower();
    if (IsAbsoluteHttp(address))
        address.remove(0, address.indexOf(QLatin1String("://")) + 3);
    static const QRegularExpression hostEnd(QStringLiteral("[/?#:]"));
    const qsizetype end = address.indexOf(hostEnd);
    Prefix = PrefixBeforeHost(end < 0 ? address : address.left(end), QString::fromLatin1(hosts::GROUP_HOST));
    if (!Prefix.isEmpty())
        Log(Prefix + QLatin1String(" - ") + GroupName);
}

bool TYahooBase::CheckAdultPage(QStringList &lines)
{
    if (!ContainsText(LocationURL(), QStringLiteral("adultconf")))
        return true;
    DumpPage(PageText(lines), QStringLiteral("AdultPage.html"));
    if (Worker->ClickSync(QStringLiteral("accept"), QString(), lines))
        return true;
    return Worker->ClickSync(QStringLiteral("accept"), QString(), lines);
}

bool TYahooBase::IsRegional() const
{
    return IsRegionalPrefix(Prefix);
}

TDownloadStatus TYahooBase::StartSection(const std::function<QString()> &regionalAddress, const QString &normalAddress)
{
    const TDownloadStatus range = InitMessageRange();
    if (range != dsOk)
        return range;
    return FetchPage(IsRegional() ? regionalAddress() : normalAddress, PageLines) == dsOk ? dsOk : dsError;
}

void TYahooBase::DumpPage(const QString &text, const QString &fileName) const
{
    if (!Debug || !DumpWriter())
        return;
    DumpWriter()(GroupName, fileName, text);
}

void TYahooBase::SetPageDumpWriter(PageDumpWriter writer)
{
    DumpWriter() = std::move(writer);
}

bool TYahooBase::ForceFileDir(const QString &path)
{
    const QString folder = QFileInfo(path).path();
    return QDir().mkpath(folder);
}

QString TYahooBase::PageText(const QStringList &lines)
{
    QString text;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

} // namespace brindle
