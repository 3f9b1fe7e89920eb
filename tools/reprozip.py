#!/usr/bin/env python3
"""Zips a folder so that the same files always give the same bytes.

    tools/reprozip.py FOLDER OUT.zip

The archive holds FOLDER under its own name. Entries are in sorted order, every
one dated SOURCE_DATE_EPOCH (or 2026-01-01 when it is not set), with
permissions by kind: no trace of when, where or by whom it was made.
"""
import os
import sys
import time
import zipfile


def main(argv):
    if len(argv) != 3 or not os.path.isdir(argv[1]):
        print("usage: reprozip.py FOLDER OUT.zip", file=sys.stderr)
        return 2
    folder = os.path.normpath(argv[1])
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "1767225600"))
    # A zip date is local-free (no zone) and cannot be before 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    root = os.path.basename(folder)
    entries = []
    for here, dirs, files in os.walk(folder):
        dirs.sort()
        rel = os.path.relpath(here, folder)
        prefix = root if rel == "." else root + "/" + rel.replace(os.sep, "/")
        entries.append((prefix + "/", None))
        entries += [(prefix + "/" + name, os.path.join(here, name)) for name in sorted(files)]
    with zipfile.ZipFile(argv[2], "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, path in entries:
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 3
            if path is None:
                info.external_attr = (0o40755 << 16) | 0x10
                z.writestr(info, b"")
            else:
                # Not the file's own mode, which the umask of the build decides.
                info.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
                with open(path, "rb") as f:
                    z.writestr(info, f.read(), compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
