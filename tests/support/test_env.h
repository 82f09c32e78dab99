#pragma once

#include <QString>

namespace brindle::test {

// Points HOME and the XDG folders at a fresh temporary folder for the whole test
// process, so no test reads or writes the real home folder.
void UseTemporaryHome();

// The temporary home folder made by UseTemporaryHome(), with a trailing "/".
QString TemporaryHome();

// Folder of the built programs (groupsim, brindle-cli, glimmer, tessel), trailing "/".
QString BinFolder();

} // namespace brindle::test
