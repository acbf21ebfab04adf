// Where the programs' files live: the running program's own folder (read only once installed)
// and the user's data folder (everything the programs write).
#pragma once

#include <string>

namespace platform {

// "/usr/lib/dvrsuite/" for a program at /usr/lib/dvrsuite/Orvane_M4. Falls back to the current
// directory when the executable's path cannot be read.
std::string ProgramDirectory();

// The user's data folder, ending in a separator: "$HALVEX_DATA" when set, else
// "$XDG_DATA_HOME/Halvex/" (an absolute XDG_DATA_HOME only), else "$HOME/.local/share/Halvex/".
// The default folders the programs write to ("Record/", "Backup/", "Frame/") and the address book
// lie here, never beside the program. The folder is not created here.
std::string UserDataDirectory();

}  // namespace platform
