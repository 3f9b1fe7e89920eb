// The rules of a package list (install.cfg, update.cfg): the file, its
// lines as the installer reads them, and each entry against the files it
// names.
#pragma once

#include <string>
#include <vector>

#include "core/PackageFiles.h"
#include "packager/PackageCheck.h"
#include "packager/Resolver.h"

// Checks the list of `mode` in the package folder `root`, its names read in
// `codePage`: its findings in line order go to report->findings, its
// entries to report->entries and the longest that fits to
// report->longestEntry. Returns the files it names that are on disk, as
// found there, in list order, each once.
std::vector<std::string> CheckList(const std::string& root, const PackageMode& mode, int codePage,
                                   Resolver* resolver, PackageReport* report);
