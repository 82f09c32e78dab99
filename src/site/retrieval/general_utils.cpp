#include "site/retrieval/general_utils.h"

#include "common/text_utils.h"
#include "platform/http/http_client.h"
#include "settings/diagnostics/page_dump.h"
#include "settings/options/download_options.h"
#include "site/page_access.h"

#include <QUrl>

namespace brindle {

TGeneralUtils::TGeneralUtils(const TYahooDownloadOptions *options, PageAccess *pages)
    : m_options(options)
    , m_pages(pages)
{
}

int TGeneralUtils::timeoutSeconds() const
{
    return m_options ? m_options->intTimeOut : TYahooDownloadOptions().intTimeOut;
}

bool TGeneralUtils::debugDownloads() const
{
    return m_options && m_options->boolDebugDownloads;
}

bool TGeneralUtils::HttpGet(const QString &address, const QString &referrer, int &code, QString &body) const
{
    HttpClient client;
    client.setTimeout(qint64(timeoutSeconds()) * 1000);
    client.setReferrer(referrer);
    const bool ok = client.get(Trim(address));
    body = client.bodyText();
    code = client.errorCode();
    return ok;
}

QString TGeneralUtils::BrowserHost() const
{
    if (!m_pages)
        return {};
    return QUrl(m_pages->LocationURL()).host();
}

void TGeneralUtils::DumpText(const QString &fileName, const QString &text) const
{
    brindle::DumpText(debugDownloads(), fileName, text);
}

void TGeneralUtils::DumpLines(const QString &fileName, const QStringList &lines) const
{
    brindle::DumpLines(debugDownloads(), fileName, lines);
}

} // namespace brindle
