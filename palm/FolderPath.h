// Which Palm Desktop folders the install library may be loaded from.
#pragma once

#include <string>

// True for a full folder path, which names one folder whatever the current
// directory and drive: a drive root and what follows it (`C:\Palm`), a share
// (`\\server\share\Palm`), either with `/` for `\`, or either after the
// `\\?\` or `\\.\` prefix (`\\?\C:\Palm`, `\\?\UNC\server\share`). An empty
// or relative path, a rooted one without a drive (`\Palm`) or a drive without
// its root (`C:Palm`) is not.
bool IsFullFolderPath(const std::string& folder);
