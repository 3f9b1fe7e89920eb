// The rules of the release notes the mode page shows (install.tms,
// update.tms): there, read whole and decoded from code page 874.
#pragma once

#include <string>
#include <vector>

#include "core/PackageFiles.h"
#include "packager/PackageCheck.h"

// Checks the notes file of `mode` in the package folder `root`.
void CheckNotes(const std::string& root, const PackageMode& mode, std::vector<Finding>* findings);

// The rules of the notes' bytes, once the file could be read whole.
void CheckNotesText(const PackageMode& mode, const std::string& bytes, std::vector<Finding>* findings);
