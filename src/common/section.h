#pragma once

#include <QString>
#include <cstdint>

namespace brindle {

// The section a run downloads, as held in TYahooDownloadOptions::m_intSection.
enum class Section : std::uint8_t {
    Attachments = 0,
    Files = 1,
    Photos = 2,
    Messages = 3,
};

// Folder of a section inside the archive ("Messages", "Files", "Photos", "Attachments").
inline QString SectionFolderName(Section section)
{
    switch (section) {
    case Section::Attachments: return QStringLiteral("Attachments");
    case Section::Files: return QStringLiteral("Files");
    case Section::Photos: return QStringLiteral("Photos");
    case Section::Messages: return QStringLiteral("Messages");
    }
    return {};
}

} // namespace brindle
