#pragma once

namespace brindle {

// The message formats of the start dialog (m_intMessageFormat of the options).
enum class MessageFormat {
    Html = 0,          // "HTML File": the page's HTML, ".html"
    OutlookExpress = 1, // "Outlook Express Mail ( .eml File )": the message source, ".eml"
    OutlookMsg = 2,     // "MS Outlook Mail ( .msg File )": ".eml", then converted to ".msg"
    Thunderbird = 3,    // "Netscape/ Thunderbird Mail ( .eml File )": as OutlookExpress
    WindowsMail = 4,    // "Windows Mail ( .eml File )": as OutlookExpress
};

inline bool IsMailFormat(int format)
{
    return format != int(MessageFormat::Html);
}

} // namespace brindle
