#!/usr/bin/env python3
"""Fails every include that climbs a layer.

The rule is the layer table of docs/design.md (columns: layer, what, may
include): each row's folder is scanned, and each `#include "..."` in it must
name a header of its own folder or one the row's last column names (a folder
`core/` or a single header `app/InstallerState.h`). Every offence is printed
as `file:line: <folder> may not include <header>`; exit 1 then, 2 when the
table cannot be read.

    tools/check-layers.py [repository root, default: this script's]
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCES = {".h", ".c", ".cpp", ".rc"}


def read_table(design):
    """{folder: allowed} from the table whose header reads layer | what | may include."""
    layers, in_table = {}, False
    for line in design.read_text(encoding="utf-8").splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if not line.lstrip().startswith("|"):
            if in_table:
                break
            continue
        if [cell.lower() for cell in cells] == ["layer", "what", "may include"]:
            in_table = True
        elif in_table and not set(cells[0]) <= set("-: "):
            folder = cells[0].strip("`").rstrip("/")
            layers[folder] = re.findall(r"`([^`]+)`", cells[-1])
    return layers


def allowed(header, folder, grants):
    if header.startswith(folder + "/"):
        return True
    return any(header.startswith(grant) if grant.endswith("/") else header == grant for grant in grants)


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    layers = read_table(root / "docs" / "design.md")
    if not layers:
        print("docs/design.md: no table with the columns layer | what | may include", file=sys.stderr)
        return 2
    failed = False
    for folder, grants in layers.items():
        if not (root / folder).is_dir():
            print(f"docs/design.md: the layer {folder}/ is no folder", file=sys.stderr)
            return 2
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in SOURCES:
                continue
            name = path.relative_to(root).as_posix()
            for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                # A bare name is a header beside the file; anything else is from the root.
                beside = path.parent / match.group(1)
                header = beside.relative_to(root).as_posix() if "/" not in match.group(1) and beside.exists() \
                    else match.group(1)
                if not allowed(header, folder, grants):
                    print(f"{name}:{number}: {folder} may not include {header}")
                    failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
