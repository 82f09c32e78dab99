#pragma once

#include <QString>

namespace brindle {

// Folder of the running program (where companions and sound files live), with a trailing "/".
QString ProgramFolder();

// Per-user application data folder, with a trailing "/": $XDG_DATA_HOME, else
// $HOME/.local/share, else the program's folder.
QString AppDataFolder();

// AppDataFolder() + "Brindle2/Data/".
QString DataFolder();

// AppDataFolder() + "Brindle2 Debug/".
QString DebugFolder();

// $XDG_CONFIG_HOME, else $HOME/.config, else the program's folder; trailing "/".
QString ConfigFolder();

// The user's home folder with a trailing "/", or the program's folder when unknown.
QString HomeFolder();

} // namespace brindle
