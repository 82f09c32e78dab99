#pragma once

#include <QString>

namespace brindle {

// Where and how a group's messages are stored in the archive.

// The group's message folder below the archive root, with a trailing "/":
// root + "Messages/" + group + "/", or root + group + "/Messages/" in the old layout.
// The group name is made one plain folder name ("/", "\" and ".." become "_");
// empty when nothing of it is left (an empty name or ".").
QString MessageFolder(const QString &root, const QString &group, bool oldFormat);

// prefix + the number padded with zeros to 7 digits + ".eml" (mail) or ".html".
QString MessageFileName(const QString &prefix, int number, bool mail);

// Writes the text's bytes (UTF-8, line ends as they are) in one step: the file is
// replaced only when every byte has been written, so an interrupted run never
// leaves a truncated message. Creates the folder when missing.
bool WriteMessageFile(const QString &path, const QString &text);

// The message converter: `tessel` in the program's folder.
QString ConverterProgram();

// Runs the converter with the mail file and the message file to write (two arguments,
// no shell) and waits for it. Returns false (and logs why) when the converter is
// missing, cannot start or fails; the mail file stays in every case.
bool ConvertMailToMessage(const QString &mailFile, const QString &messageFile,
                          const QString &converter = ConverterProgram());

} // namespace brindle
