#include "groupsim/message_builder.h"

#include "common/service_hosts.h"
#include "groupsim/sim_http.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QLocale>
#include <QString>
#include <QTimeZone>

namespace brindle::groupsim {

namespace {

const char *const kCrlf = "\r\n";

bool IsAscii(const std::string &text)
{
    for (unsigned char c : text)
        if (c > 126 || (c < 32 && c != '\n' && c != '\r' && c != '\t'))
            return false;
    return true;
}

std::string Hex2(unsigned char c)
{
    static const char digits[] = "0123456789ABCDEF";
    return {'=', digits[c >> 4], digits[c & 15]};
}

std::string ToCrlf(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 40);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += kCrlf;
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += kCrlf;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Charset(const std::string &charset)
{
    return charset.empty() ? std::string("utf-8") : charset;
}

// The body's bytes in the message's character set.
std::string InCharset(const std::string &utf8, const std::string &charset)
{
    if (ToLower(charset) == "iso-8859-1")
        return QString::fromUtf8(utf8).toLatin1().toStdString();
    return utf8;
}

std::string TransferEncode(const std::string &bytes, BodyEncoding encoding)
{
    switch (encoding) {
    case BodyEncoding::QuotedPrintable:
        return QuotedPrintable(bytes);
    case BodyEncoding::Base64:
        return Base64Lines(ToCrlf(bytes));
    default:
        return ToCrlf(bytes);
    }
}

const char *EncodingName(BodyEncoding encoding)
{
    switch (encoding) {
    case BodyEncoding::SevenBit:
        return "7bit";
    case BodyEncoding::EightBit:
        return "8bit";
    case BodyEncoding::QuotedPrintable:
        return "quoted-printable";
    case BodyEncoding::Base64:
        return "base64";
    }
    return "8bit";
}

std::string TextPart(const std::string &type, const std::string &utf8, const MessageDraft &draft)
{
    BodyEncoding encoding = draft.encoding;
    if (encoding == BodyEncoding::SevenBit && !IsAscii(utf8))
        encoding = BodyEncoding::QuotedPrintable;
    std::string part = "Content-Type: " + type + "; charset=\"" + Charset(draft.charset) + "\"" + kCrlf;
    part += std::string("Content-Transfer-Encoding: ") + EncodingName(encoding) + kCrlf + kCrlf;
    std::string encoded = TransferEncode(InCharset(utf8, Charset(draft.charset)), encoding);
    if (!EndsWith(encoded, kCrlf))
        encoded += kCrlf;
    return part + encoded;
}

std::string Boundary(const MessageDraft &draft, const char *kind)
{
    const QByteArray hash = QCryptographicHash::hash(
        QByteArray::fromStdString(draft.group + "/" + std::to_string(draft.number) + kind), QCryptographicHash::Md5);
    return "----=_Part_" + std::to_string(draft.number) + "_" + hash.toHex().left(12).toStdString();
}

std::string Multipart(const std::string &subtype, const std::string &boundary, const std::vector<std::string> &parts,
                      std::string &contentType)
{
    contentType = "multipart/" + subtype + "; boundary=\"" + boundary + "\"";
    std::string body = std::string("This is a multi-part message in MIME format.") + kCrlf + kCrlf;
    for (const std::string &part : parts)
        body += "--" + boundary + kCrlf + part + kCrlf;
    body += "--" + boundary + "--" + kCrlf;
    return body;
}

std::string AttachmentPart(const AttachmentDraft &a)
{
    const std::string type = a.mimeType.empty() ? std::string("application/octet-stream") : a.mimeType;
    std::string disposition;
    if (IsAscii(a.name))
        disposition = "attachment; filename=\"" + a.name + "\"";
    else
        disposition = "attachment;" + std::string(kCrlf) + " filename*=utf-8''" + UrlEncode(a.name);
    std::string part = "Content-Type: " + type
        + (IsAscii(a.name) ? "; name=\"" + a.name + "\"" : ";" + std::string(kCrlf) + " name*=utf-8''" + UrlEncode(a.name))
        + kCrlf;
    part += std::string("Content-Transfer-Encoding: base64") + kCrlf;
    part += "Content-Disposition: " + disposition + kCrlf + kCrlf;
    return part + Base64Lines(a.content);
}

std::string PlainText(const MessageDraft &draft)
{
    std::string text = draft.body;
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    if (draft.listFooter) {
        text += "\n\nYahoo! Groups Links\n\n<*> To visit your group on the web, go to:\n    http://";
        text += std::string(hosts::GROUP_HOST) + "/group/" + draft.group + "/\n\n";
        text += "<*> To unsubscribe from this group, send an email to:\n    " + draft.group + "-unsubscribe@"
            + hosts::GROUP_MAIL_DOMAIN + "\n";
    }
    return text;
}

std::string FromHeader(const MessageDraft &draft)
{
    if (draft.fromName.empty())
        return draft.fromEmail;
    if (IsAscii(draft.fromName))
        return "\"" + draft.fromName + "\" <" + draft.fromEmail + ">";
    return EncodeHeaderWords(draft.fromName, 'Q') + " <" + draft.fromEmail + ">";
}

std::string SubjectHeader(const std::string &subject)
{
    if (IsAscii(subject))
        return subject;
    // Mostly non-Latin text reads better in base64, accented Latin in Q.
    int high = 0;
    for (unsigned char c : subject)
        high += c > 127;
    return EncodeHeaderWords(subject, high * 3 > int(subject.size()) ? 'B' : 'Q');
}

std::string ServiceHeaders(const MessageDraft &draft)
{
    const std::string list = draft.group + "@" + hosts::GROUP_MAIL_DOMAIN;
    const std::string stamp = Rfc5322Date(draft.date.toUTC());
    const long long epoch = draft.date.toSecsSinceEpoch();
    std::string h;
    h += "Return-Path: <sentto-" + std::to_string(1000000 + draft.group.size() * 7919) + "-" + std::to_string(draft.number)
        + "-" + std::to_string(epoch) + "-member=example.com@returns." + hosts::GROUP_HOST + ">" + kCrlf;
    h += "X-Sender: " + draft.fromEmail + kCrlf;
    h += "X-Apparently-To: " + list + kCrlf;
    h += "Received: (qmail " + std::to_string(10000 + draft.number % 80000) + " invoked from network); " + stamp + kCrlf;
    h += "Received: from unknown (66.218.66.216)" + std::string(kCrlf) + "  by m" + std::to_string(1 + draft.number % 30)
        + ".grp.scd.yahoo.com with QMQP; " + stamp + kCrlf;
    return h;
}

std::string ListHeaders(const MessageDraft &draft)
{
    const std::string list = draft.group + "@" + hosts::GROUP_MAIL_DOMAIN;
    std::string h;
    h += "Mailing-List: list " + list + "; contact " + draft.group + "-owner@" + hosts::GROUP_MAIL_DOMAIN + kCrlf;
    h += "Delivered-To: mailing list " + list + kCrlf;
    h += "List-Unsubscribe: <mailto:" + draft.group + "-unsubscribe@" + hosts::GROUP_MAIL_DOMAIN + ">" + kCrlf;
    h += "Reply-To: " + list + kCrlf;
    h += "X-Yahoo-Message-Num: " + std::to_string(draft.number) + kCrlf;
    return h;
}

std::string ThreadHeaders(const MessageDraft &draft)
{
    if (draft.references.empty())
        return {};
    std::string h = "In-Reply-To: <" + draft.references.back() + ">" + kCrlf;
    h += "References:";
    for (const std::string &ref : draft.references)
        h += " <" + ref + ">" + (&ref == &draft.references.back() ? "" : kCrlf);
    return h + kCrlf;
}

// Content-Type header and body of the message proper.
std::pair<std::string, std::string> MimeBody(const MessageDraft &draft, const std::string &text)
{
    std::string contentType;
    std::string mainPart;
    bool mainIsMultipart = !draft.htmlBody.empty();
    if (mainIsMultipart) {
        const std::vector<std::string> parts = {TextPart("text/plain", text, draft),
                                                TextPart("text/html", draft.htmlBody, draft)};
        mainPart = Multipart("alternative", Boundary(draft, "alt"), parts, contentType);
    }
    if (draft.attachments.empty()) {
        if (mainIsMultipart)
            return {"Content-Type: " + contentType + kCrlf, mainPart};
        const std::string part = TextPart("text/plain", text, draft);
        const std::size_t split = part.find("\r\n\r\n");
        return {part.substr(0, split + 2), part.substr(split + 4)};
    }
    std::vector<std::string> parts;
    parts.push_back(mainIsMultipart ? "Content-Type: " + contentType + kCrlf + kCrlf + mainPart
                                    : TextPart("text/plain", text, draft));
    for (const AttachmentDraft &a : draft.attachments)
        parts.push_back(AttachmentPart(a));
    std::string mixedType;
    std::string body = Multipart("mixed", Boundary(draft, "mix"), parts, mixedType);
    return {"Content-Type: " + mixedType + kCrlf, body};
}

// The unfolded value of a header; headers starts with CRLF.
std::string HeaderValue(const std::string &headers, const std::string &name)
{
    const std::string key = "\r\n" + ToLower(name) + ":";
    const std::size_t at = ToLower(headers).find(key);
    if (at == std::string::npos)
        return {};
    std::string value;
    std::size_t start = at + key.size();
    while (true) {
        const std::size_t end = headers.find(kCrlf, start);
        value += headers.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos || end + 2 >= headers.size() || (headers[end + 2] != ' ' && headers[end + 2] != '\t'))
            break;
        start = end + 2;
    }
    const auto first = value.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : value.substr(first);
}

} // namespace

std::string EncodeHeaderWords(const std::string &utf8, char kind)
{
    const QString text = QString::fromUtf8(utf8);
    const std::string lead = std::string("=?UTF-8?") + kind + "?";
    const std::size_t maxPayload = 75 - lead.size() - 2;
    std::vector<std::string> words;
    std::string payload;
    std::string chunk;  // raw bytes of the current word, for B
    const auto encodeQ = [](const std::string &bytes) {
        std::string out;
        for (unsigned char c : bytes) {
            if (c == ' ')
                out += '_';
            else if (c > 126 || c < 33 || c == '=' || c == '?' || c == '_' || c == '"')
                out += Hex2(c);
            else
                out += char(c);
        }
        return out;
    };
    const auto encoded = [&](const std::string &bytes) {
        return kind == 'B' ? QByteArray::fromStdString(bytes).toBase64().toStdString() : encodeQ(bytes);
    };
    for (int i = 0; i < text.size(); ++i) {
        const int width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const std::string piece = text.mid(i, width).toUtf8().toStdString();
        i += width - 1;
        if (!chunk.empty() && encoded(chunk + piece).size() > maxPayload) {
            words.push_back(lead + encoded(chunk) + "?=");
            chunk.clear();
        }
        chunk += piece;
    }
    if (!chunk.empty() || words.empty())
        words.push_back(lead + encoded(chunk) + "?=");
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i)
        out += (i ? "\r\n " : "") + words[i];
    return out;
}

std::string QuotedPrintable(const std::string &bytes)
{
    std::string out;
    std::size_t lineStart = 0;
    while (lineStart <= bytes.size()) {
        std::size_t lineEnd = bytes.find('\n', lineStart);
        const bool last = lineEnd == std::string::npos;
        if (last)
            lineEnd = bytes.size();
        std::size_t contentEnd = lineEnd;
        if (contentEnd > lineStart && bytes[contentEnd - 1] == '\r')
            --contentEnd;
        std::size_t column = 0;
        for (std::size_t i = lineStart; i < contentEnd; ++i) {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            const bool trailingBlank = (c == ' ' || c == '\t') && i + 1 == contentEnd;
            const std::string piece = (c == '=' || c > 126 || (c < 32 && c != '\t') || trailingBlank)
                ? Hex2(c) : std::string(1, char(c));
            if (column + piece.size() > 75) {
                out += "=\r\n";
                column = 0;
            }
            out += piece;
            column += piece.size();
        }
        if (last)
            break;
        out += kCrlf;
        lineStart = lineEnd + 1;
    }
    return out;
}

std::string Base64Lines(const std::string &bytes)
{
    const std::string all = QByteArray::fromStdString(bytes).toBase64().toStdString();
    std::string out;
    for (std::size_t i = 0; i < all.size(); i += 76)
        out += all.substr(i, 76) + kCrlf;
    return out;
}

std::string Rfc5322Date(const QDateTime &date)
{
    const QLocale c = QLocale::c();
    const int offset = date.offsetFromUtc() / 60;
    const int magnitude = std::abs(offset);
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d%02d", offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return c.toString(date, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")).toStdString() + zone;
}

std::string PageDate(const QDateTime &date)
{
    return QLocale::c().toString(date, QStringLiteral("ddd MMM d, yyyy h:mm ap")).toStdString();
}

std::string MessageIdFor(const std::string &group, int number, const std::string &domain)
{
    const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(group + "#" + std::to_string(number)),
                                                     QCryptographicHash::Sha1);
    return hash.toHex().left(16).toUpper().toStdString() + "." + std::to_string(number) + "@" + domain;
}

SimMessage BuildMessage(const MessageDraft &draft)
{
    const std::string domain = draft.fromEmail.substr(draft.fromEmail.find('@') + 1);
    const std::string messageId = draft.messageId.empty() ? MessageIdFor(draft.group, draft.number, domain) : draft.messageId;
    const std::string text = PlainText(draft);

    std::string raw = ServiceHeaders(draft);
    raw += "From: " + FromHeader(draft) + kCrlf;
    raw += "To: " + draft.group + "@" + hosts::GROUP_MAIL_DOMAIN + kCrlf;
    raw += "Subject: " + SubjectHeader(draft.subject) + kCrlf;
    raw += "Date: " + Rfc5322Date(draft.date) + kCrlf;
    raw += "Message-ID: <" + messageId + ">" + kCrlf;
    raw += ThreadHeaders(draft);
    raw += ListHeaders(draft);
    raw += std::string("MIME-Version: 1.0") + kCrlf;
    const auto [contentType, body] = MimeBody(draft, text);
    raw += contentType + kCrlf + body;

    SimMessage m;
    m.number = draft.number;
    m.raw = std::move(raw);
    m.subject = draft.subject;
    m.author = draft.fromName.empty() ? draft.fromEmail : draft.fromName;
    m.authorEmail = draft.fromEmail;
    m.date = draft.date;
    m.text = text;
    if (!draft.attachments.empty())
        m.text += "\n[Non-text portions of this message have been removed]\n";
    return m;
}

SimMessage MessageFromRaw(int number, const std::string &raw)
{
    SimMessage m;
    m.number = number;
    m.raw = ToCrlf(raw);
    const std::size_t split = m.raw.find("\r\n\r\n");
    const std::string headers = "\r\n" + m.raw.substr(0, split == std::string::npos ? m.raw.size() : split + 2);
    m.subject = HeaderValue(headers, "Subject");
    const std::string from = HeaderValue(headers, "From");
    const std::size_t lt = from.find('<');
    const std::size_t gt = from.find('>', lt == std::string::npos ? 0 : lt);
    if (lt != std::string::npos && gt != std::string::npos) {
        m.authorEmail = from.substr(lt + 1, gt - lt - 1);
        std::string name = from.substr(0, lt);
        while (!name.empty() && (name.back() == ' ' || name.back() == '"'))
            name.pop_back();
        m.author = name.empty() || name.front() != '"' ? name : name.substr(1);
    } else {
        m.authorEmail = from;
    }
    if (m.author.empty())
        m.author = m.authorEmail;
    m.date = QDateTime::fromString(QString::fromStdString(HeaderValue(headers, "Date")), Qt::RFC2822Date);
    if (!m.date.isValid())
        m.date = QDateTime(QDate(2004, 1, 1), QTime(12, 0), QTimeZone::utc());
    m.text = split == std::string::npos ? std::string() : m.raw.substr(split + 4);
    return m;
}

} // namespace brindle::groupsim
