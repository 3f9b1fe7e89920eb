// What the file-error box adds when a file of the package is not there.
#pragma once

// Most often setup.exe was started from inside the zip file it shipped in:
// Windows then extracts that one file to a temporary folder and runs it there.
inline constexpr char kPackageNotFoundHint[] =
    "setup.exe must be run from the folder that holds its package files: install.tms, update.tms, "
    "install.cfg, update.cfg and the files the lists name. If you opened it from inside a zip file, "
    "first extract all the files, then run setup.exe from the extracted folder.";
