#pragma once

#include "groupsim/sim_data.h"

#include <QDateTime>

#include <string>
#include <vector>

namespace brindle::groupsim {

// How the text part of a message is put into its raw form.
enum class BodyEncoding { SevenBit, EightBit, QuotedPrintable, Base64 };

struct AttachmentDraft {
    std::string name;      // may hold non-ASCII characters (written as RFC 2231)
    std::string mimeType;  // "application/octet-stream" when empty
    std::string content;   // the attachment's bytes
};

// What a message says; the builder turns it into the raw RFC 5322 text a list
// server of the service would have delivered.
struct MessageDraft {
    int number = 0;
    std::string group;
    std::string fromName;      // UTF-8; RFC 2047 encoded when not ASCII
    std::string fromEmail;
    std::string subject;       // UTF-8; RFC 2047 encoded when not ASCII
    QDateTime date;            // with the sender's UTC offset
    std::string body;          // UTF-8 text, "\n" line ends
    std::string htmlBody;      // when set: multipart/alternative with a text/html part
    std::string charset = "utf-8";  // "us-ascii", "utf-8" or "iso-8859-1"
    BodyEncoding encoding = BodyEncoding::EightBit;
    std::string messageId;     // without angle brackets; made up when empty
    std::vector<std::string> references;  // ancestors, oldest first; the last is In-Reply-To
    std::vector<AttachmentDraft> attachments;  // when set: multipart/mixed
    bool listFooter = true;    // the service's "Yahoo! Groups Links" footer
};

SimMessage BuildMessage(const MessageDraft &draft);

// Normalises line ends to CRLF and reads the display fields (Subject, From, Date)
// from a raw message given as it stands.
SimMessage MessageFromRaw(int number, const std::string &raw);

// Encoders the builder uses, open for tests.
std::string EncodeHeaderWords(const std::string &utf8, char kind);  // kind 'B' or 'Q'
std::string QuotedPrintable(const std::string &bytes);
std::string Base64Lines(const std::string &bytes);
std::string Rfc5322Date(const QDateTime &date);
// The date as the message pages show it: "Mon Jan 5, 2004 10:23 am".
std::string PageDate(const QDateTime &date);
std::string MessageIdFor(const std::string &group, int number, const std::string &domain);

} // namespace brindle::groupsim
