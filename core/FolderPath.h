// Which Palm Desktop folders the install library may be loaded from, and
// its path in one.
#pragma once

#include <string>

// True for a full folder path, which names one folder whatever the current
// directory and drive: a drive root and what follows it (`C:\Palm`), a share
// (`\\server\share\Palm`), either with `/` for `\`, or either after the
// `\\?\` or `\\.\` prefix (`\\?\C:\Palm`, `\\?\UNC\server\share`). An empty
// or relative path, a rooted one without a drive (`\Palm`) or a drive without
// its root (`C:Palm`) is not.
bool IsFullFolderPath(const std::string& folder);

// `name` in `folder`, with one backslash between them whatever the folder
// ends in: `C:\Palm`, `C:\Palm\`, `C:\Palm/` and `C:\` alike. Windows merges
// a doubled separator but not past `\\?\` or `\\.\`, where only a backslash
// separates and a trailing `/` stays part of the name.
std::string PathInFolder(const std::string& folder, const std::string& name);
