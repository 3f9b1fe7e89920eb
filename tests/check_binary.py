"""Checks that a built setup.exe carries what the installer needs at run time:
a 32-bit GUI image that loads with Windows system DLLs only, with DEP and
ASLR on and no more than 96 KiB besides its resources, the four page
templates exactly as the pages expect them, the banner, icon, manifest and
version record. Usage: check_binary.py <path to setup.exe>
"""
import os
import struct
import sys
import xml.etree.ElementTree as ET

import pefile

# Window, dialog and control styles (winuser.h, commctrl.h).
WS_POPUP, WS_CAPTION, WS_SYSMENU = 0x80000000, 0x00C00000, 0x00080000
WS_CHILD, WS_VISIBLE, WS_BORDER = 0x40000000, 0x10000000, 0x00800000
WS_VSCROLL, WS_GROUP, WS_TABSTOP = 0x00200000, 0x00020000, 0x00010000
DS_SETFONT, DS_MODALFRAME, DS_CENTER = 0x40, 0x80, 0x800
WS_EX_TRANSPARENT, WS_EX_APPWINDOW = 0x20, 0x40000
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_GROUPBOX, BS_AUTORADIOBUTTON = 0, 1, 7, 9
SS_LEFT, SS_BITMAP = 0, 0x0E
ES_MULTILINE, ES_AUTOVSCROLL, ES_READONLY = 0x4, 0x40, 0x800
LVS_REPORT, LVS_SINGLESEL, LVS_SHOWSELALWAYS, LVS_NOCOLUMNHEADER = 0x1, 0x4, 0x8, 0x4000

# Predefined control classes appear in a template as atoms.
BUTTON, EDIT, STATIC = 0x80, 0x81, 0x82
LISTVIEW = "SysListView32"
# Bits of the style that hold the control's kind rather than flags.
TYPE_MASK = {BUTTON: 0xF, STATIC: 0x1F, LISTVIEW: 0x3}

NOTICE = object()          # the copyright line, the same text on every page
BANNER = 129               # title of the banner control: the bitmap's ordinal
BANNER_ART = [(BANNER, 500), (130, 750), (131, 1000)]   # (id, width) at 10:1
CONTROLS_MANIFEST = 3
SUPPORTED_OS = sorted([
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
])

PAGE_STYLE = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_VISIBLE
READONLY_TEXT = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP
USER_LIST = (LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER
             | WS_BORDER | WS_GROUP | WS_TABSTOP)

# What each page template must hold, control by control in tab order:
# id, class, x, y, w, h, title, kind (None: any), style bits set, bits clear, ex-style bits set.
PAGES = {
    102: ((336, 151), [
        (1, BUTTON, 279, 130, 50, 14, "ยอมรับ", BS_DEFPUSHBUTTON, 0, 0, 0),
        (2, BUTTON, 226, 130, 50, 14, "ไม่ยอมรับ", BS_PUSHBUTTON, 0, 0, 0),
        (-1, STATIC, 2, 1, 333, 31, BANNER, SS_BITMAP, 0, 0, 0),
        (1000, EDIT, 7, 44, 322, 70, "", None, READONLY_TEXT, 0, 0),
        (-1, STATIC, 16, 120, 187, 24,
         "คุณยอมรับข้อมูลเกี่ยวกับลิขสิทธิ์นี้หรือไม่ ?\n"
         "ถ้าคุณ 'ไม่ยอมรับ' จะยกเลิกการติดตั้ง\n"
         "หากคุณ 'ยอมรับ' โปรแกรมจะทำการติดตั้งในขั้นตอนต่อไป",
         SS_LEFT, 0, 0, WS_EX_TRANSPARENT),
        (-1, BUTTON, 2, 29, 332, 120, "", BS_GROUPBOX, 0, 0, 0),
        (-1, STATIC, 8, 35, 210, 8, NOTICE, SS_LEFT, 0, 0, 0),
    ]),
    137: ((336, 150), [
        (1, BUTTON, 279, 129, 50, 14, "ตกลง", BS_DEFPUSHBUTTON, 0, 0, 0),
        (2, BUTTON, 226, 129, 50, 14, "ยกเลิก", BS_PUSHBUTTON, 0, 0, 0),
        (-1, STATIC, 2, 1, 333, 31, BANNER, SS_BITMAP, 0, 0, 0),
        (1000, EDIT, 7, 44, 322, 70, "", None, READONLY_TEXT, 0, 0),
        (1008, BUTTON, 27, 117, 100, 15, "Install", BS_AUTORADIOBUTTON, WS_GROUP | WS_TABSTOP, 0, 0),
        (1009, BUTTON, 27, 130, 67, 16, "Update", BS_AUTORADIOBUTTON, WS_TABSTOP, WS_GROUP, 0),
        (-1, BUTTON, 2, 29, 332, 120, "", BS_GROUPBOX, 0, 0, 0),
        (-1, STATIC, 8, 35, 210, 8, NOTICE, SS_LEFT, 0, 0, 0),
    ]),
    138: ((336, 150), [
        (1, BUTTON, 279, 129, 50, 14, "ตกลง", BS_DEFPUSHBUTTON, 0, 0, 0),
        (2, BUTTON, 225, 129, 50, 14, "ยกเลิก", BS_PUSHBUTTON, 0, 0, 0),
        (-1, STATIC, 2, 1, 333, 31, BANNER, SS_BITMAP, 0, 0, 0),
        (-1, STATIC, 25, 125, 102, 8, "โปรดเลือก Users ที่ต้องการติดตั้ง", SS_LEFT, 0, 0, 0),
        (1002, LISTVIEW, 8, 46, 320, 71, "", LVS_REPORT, USER_LIST, 0, 0),
        (-1, BUTTON, 2, 29, 332, 120, "", BS_GROUPBOX, 0, 0, 0),
        (-1, STATIC, 8, 35, 214, 8, NOTICE, SS_LEFT, 0, 0, 0),
    ]),
    140: ((336, 150), [
        (2, BUTTON, 279, 129, 50, 14, "เสร็จ", BS_PUSHBUTTON, 0, 0, 0),
        (-1, STATIC, 2, 1, 333, 31, BANNER, SS_BITMAP, 0, 0, 0),
        (-1, STATIC, 131, 68, 65, 12, "ติดตั้งเป็นที่เรียบร้อย", SS_LEFT, 0, 0, 0),
        (-1, STATIC, 101, 82, 122, 8, "กรุณา HotSync เพื่อบรรจุไฟล์ลงเครื่อง", SS_LEFT, 0, 0, 0),
        (-1, BUTTON, 2, 29, 332, 120, "", BS_GROUPBOX, 0, 0, 0),
        (-1, STATIC, 63, 131, 210, 8, NOTICE, SS_LEFT, 0, 0, 0),
    ]),
}

# (width, height, bits per pixel, colour count byte: 0 means 256)
ICON_IMAGES = [(32, 32, 4, 16), (16, 16, 4, 16), (32, 32, 8, 0), (48, 48, 8, 0)]
# The exact import list: DLLs Windows always takes from the system folder (known
# DLLs), never from the program's folder. The common controls are loaded at run
# time, through an activation context or by full path, instead.
IMPORTED_DLLS = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"}
# Every function setup.exe imports today (the static C/C++ runtime's included),
# each present in Windows XP SP3 by its documented minimum client (most date
# from Windows 95/NT; noted where later). A new import fails the check until
# it has been looked up and added; one newer than XP must be resolved at run
# time instead, as SetDefaultDllDirectories is.
XP_IMPORTS = {
    "advapi32.dll": {"RegCloseKey", "RegEnumValueA", "RegOpenKeyA", "RegOpenKeyExA",
                     # Folders read in Unicode: Windows 2000
                     "RegEnumValueW", "RegOpenKeyW", "RegOpenKeyExW"},
    "gdi32.dll": {
        "CreateCompatibleBitmap", "CreateCompatibleDC", "DeleteDC", "DeleteObject",
        "SelectObject", "SetBrushOrgEx", "SetStretchBltMode", "StretchDIBits"},
    "kernel32.dll": {
        # Activation contexts: Windows XP
        "ActivateActCtx", "CreateActCtxW", "DeactivateActCtx", "FindActCtxSectionStringW",
        "ReleaseActCtx",
        "FindResourceW", "GetModuleFileNameA", "LoadResource", "LockResource", "lstrcmpiW",
        "CloseHandle", "CreateFileA", "DeleteCriticalSection",
        "EnterCriticalSection", "ExitProcess",
        "ExpandEnvironmentStringsA",   # Windows 2000
        # Folders read in Unicode and spelled for the ANSI code page: Windows 2000
        "ExpandEnvironmentStringsW", "GetACP", "GetCommandLineW", "GetCurrentDirectoryW", "GetShortPathNameW",
        "FormatMessageA", "FreeLibrary", "GetCommandLineA",
        "GetCurrentDirectoryA", "GetCurrentThreadId", "GetFileAttributesA",
        "GetFileSizeEx",           # Windows 2000
        "GetLastError", "GetModuleHandleA", "GetModuleHandleW", "GetProcAddress",
        "GetStartupInfoA", "GetSystemDirectoryA", "InitializeCriticalSection",
        "LeaveCriticalSection", "LoadLibraryExA", "LoadLibraryW",
        "MultiByteToWideChar", "ReadFile",
        "SetDllDirectoryA",        # Windows XP SP1
        "SetLastError", "SetUnhandledExceptionFilter", "Sleep",
        "TlsGetValue", "VirtualProtect", "VirtualQuery", "WideCharToMultiByte"},
    "msvcrt.dll": {
        "__doserrno", "__getmainargs", "__initenv", "__p__acmdln", "__p__commode",
        "__p__fmode", "__set_app_type", "__setusermatherr", "_amsg_exit", "_cexit",
        "_close", "_fdopen", "_initterm", "_iob", "_onexit", "_open_osfhandle",
        "abort", "calloc", "exit", "fclose", "ferror", "fprintf",
        "free", "fwrite", "getc", "malloc", "memchr", "memcmp", "memcpy",
        "memmove", "signal", "strcmp", "strlen", "strncmp", "strrchr", "ungetc", "vfprintf",
        "wcscmp", "wcslen"},
    "user32.dll": {
        "EnumThreadWindows", "GetClassNameW", "GetClientRect", "GetDC", "IsWindowEnabled", "IsWindowVisible",
        "MapDialogRect", "ReleaseDC",
        "SendMessageW", "SetWindowPos",
        "DialogBoxParamW", "EndDialog", "GetActiveWindow", "GetDlgItem", "GetWindow",
        "GetWindowLongA", "GetWindowLongW", "GetWindowRect", "GetWindowTextA", "GetWindowTextLengthA",
        "GetWindowTextLengthW", "GetWindowTextW", "MapWindowPoints", "MessageBoxA",
        "MessageBoxW",                 # Windows 2000
        "SendMessageA", "SetWindowLongW", "SetWindowTextA", "SetWindowTextW",
        # A busy page's message pump and wait cursor
        "DispatchMessageW", "LoadCursorA", "PeekMessageW", "PostQuitMessage", "SetCursor"},
}
# How setup.exe loads DLLs at run time: LoadLibraryExA with a full path (the
# system folder's common controls, Palm Desktop's library from its folder) and
# LoadLibraryW for the Common Controls 6 by the name an activation context
# redirects to the system's side-by-side store. Any other loader is one a
# static runtime brings in for its own loading (the unwinder's DLL by bare
# name, advapi32 for random numbers).
RUN_TIME_LOADERS = {"LoadLibraryExA", "LoadLibraryW"}
LOADERS = {"LoadLibraryA", "LoadLibraryW", "LoadLibraryExA", "LoadLibraryExW",
           "LoadPackagedLibrary", "LoadModule"}
# Everything but the resources (code, data, imports, relocations, headers):
# the plain C program that shows the same first page needs about 19 KiB.
MAX_NON_RESOURCE_BYTES = 96 * 1024
# DllCharacteristics: relocatable at a random address (ASLR), data never run (DEP).
DYNAMIC_BASE, NX_COMPAT = 0x0040, 0x0100
RELOCS_STRIPPED = 0x0001
# Windows XP's loader refuses a subsystem version above 5.1.
MIN_SUBSYSTEM, MAX_SUBSYSTEM = (4, 0), (5, 1)
VERSION = (1, 0, 0, 1)

RT_ICON, RT_BITMAP, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 2, 5, 14, 16, 24
CLASS_NAMES = {BUTTON: "Button", EDIT: "Edit", STATIC: "Static"}

results = []


def check(name, faults):
    results.append(not faults)
    print("ok " + name if not faults else "FAIL %s: %s" % (name, "; ".join(faults)))


def resource(pe, rtype, rid):
    """The data of resource rtype/rid in its first language, or None."""
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for t in root.entries if root else []:
        if t.id != rtype:
            continue
        for e in t.directory.entries:
            if e.id == rid and e.directory.entries:
                d = e.directory.entries[0].data.struct
                return pe.get_data(d.OffsetToData, d.Size)
    return None


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, fmt):
        v = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return v if len(v) > 1 else v[0]

    def sz_or_ord(self):
        """A template string, or an ordinal (int) after a 0xFFFF marker."""
        if self.take("H") == 0xFFFF:
            return self.take("H")
        self.pos -= 2
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            if end + 2 > len(self.data):
                raise ValueError("unterminated string at %d" % self.pos)
            end += 2
        s = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return s

    def align(self):
        self.pos = (self.pos + 3) & ~3


def parse_dialogex(data):
    r = Reader(data)
    ver, sig, _help, ex, style, count = r.take("HHIIIH")
    if (ver, sig) != (1, 0xFFFF):
        raise ValueError("not a DIALOGEX template")
    d = dict(exstyle=ex, style=style, size=r.take("4h")[2:])
    d["menu"], d["class"], d["title"] = r.sz_or_ord(), r.sz_or_ord(), r.sz_or_ord()
    if style & DS_SETFONT:
        d["points"], _weight, _italic, _charset = r.take("HHBB")
        d["font"] = r.sz_or_ord()
    d["controls"] = []
    for _ in range(count):
        r.align()
        _help, ex, style, x, y, w, h, cid = r.take("III4hI")
        cls, title = r.sz_or_ord(), r.sz_or_ord()
        extra = r.take("H")     # creation data, which the pages do not use
        r.pos += extra
        cid = -1 if cid in (0xFFFF, 0xFFFFFFFF) else cid
        d["controls"].append((cid, cls, x, y, w, h, title, style, ex))
    return d


def class_name(cls):
    return "%r" % cls if isinstance(cls, str) else "atom 0x%04X" % cls


def check_control(got, want, notice):
    cid, cls, x, y, w, h, title, style, ex = got
    wid, wcls, wx, wy, ww, wh, wtitle, kind, on, off, exon = want
    faults = []
    # Class names are case-insensitive; windres stores quoted ones upper-cased.
    if cid != wid or (cls.upper() if isinstance(cls, str) else cls) != (
            wcls.upper() if isinstance(wcls, str) else wcls):
        faults.append("id %d class %s, expected id %d class %s"
                      % (cid, class_name(cls), wid, class_name(wcls)))
    if (x, y, w, h) != (wx, wy, ww, wh):
        faults.append("at %s, expected %s" % ((x, y, w, h), (wx, wy, ww, wh)))
    if wtitle is NOTICE:
        notice.append(title)
    elif title != wtitle:
        faults.append("title %r, expected %r" % (title, wtitle))
    if kind is not None and style & TYPE_MASK[wcls] != kind:
        faults.append("kind 0x%X, expected 0x%X" % (style & TYPE_MASK[wcls], kind))
    if ~style & (on | WS_CHILD | WS_VISIBLE):
        faults.append("style 0x%08X lacks 0x%08X" % (style, ~style & (on | WS_CHILD | WS_VISIBLE)))
    if style & off:
        faults.append("style 0x%08X has 0x%08X" % (style, style & off))
    if ~ex & exon:
        faults.append("ex-style 0x%08X lacks 0x%08X" % (ex, ~ex & exon))
    return faults


def check_imports(pe):
    oh = pe.OPTIONAL_HEADER
    subsystem = (oh.MajorSubsystemVersion, oh.MinorSubsystemVersion)
    os_version = (oh.MajorOperatingSystemVersion, oh.MinorOperatingSystemVersion)
    check("subsystem %d.%02d, OS %d.%02d: loads on Windows XP" % (subsystem + os_version),
          [] if MIN_SUBSYSTEM <= subsystem <= MAX_SUBSYSTEM and os_version <= MAX_SUBSYSTEM
          else ["above 5.01 or below 4.00"])
    imports = getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
    dlls = [i.dll.decode() for i in imports]
    got = sorted(d.lower() for d in dlls)
    check("imports exactly %s" % ", ".join(dlls),
          [] if got == sorted(IMPORTED_DLLS) else ["expected %s" % ", ".join(sorted(IMPORTED_DLLS))])
    unchecked = []
    for entry in imports:
        known = XP_IMPORTS.get(entry.dll.decode().lower(), set())
        for function in entry.imports:
            name = function.name.decode() if function.name else "#%d" % function.ordinal
            if name not in known:
                unchecked.append("%s!%s" % (entry.dll.decode(), name))
    check("every imported function is in Windows XP SP3 (%d)" % sum(len(i.imports) for i in imports),
          ["not checked against XP: %s" % ", ".join(unchecked)] if unchecked else [])
    loaders = sorted({f.name.decode() for i in imports for f in i.imports
                      if f.name and f.name.decode() in LOADERS})
    check("loads DLLs at run time only through %s" % ", ".join(sorted(RUN_TIME_LOADERS)),
          [] if set(loaders) <= RUN_TIME_LOADERS else ["imports %s" % ", ".join(loaders)])


def non_resource_bytes(pe, size):
    """The file's size less the raw size of its resource section."""
    return size - sum(s.SizeOfRawData for s in pe.sections if s.Name.rstrip(b"\0") == b".rsrc")


def check_lean(pe, size):
    lean = non_resource_bytes(pe, size)
    check("%d bytes besides the resources (%.1f KiB), at most %d KiB"
          % (lean, lean / 1024, MAX_NON_RESOURCE_BYTES // 1024),
          [] if lean <= MAX_NON_RESOURCE_BYTES else ["%d bytes over" % (lean - MAX_NON_RESOURCE_BYTES)])


def check_hardening(pe):
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    faults = []
    if ~flags & DYNAMIC_BASE:
        faults.append("no DYNAMIC_BASE (ASLR)")
    if ~flags & NX_COMPAT:
        faults.append("no NX_COMPAT (DEP)")
    # Without its relocations the loader cannot move the image, whatever the flag says.
    if pe.FILE_HEADER.Characteristics & RELOCS_STRIPPED or not any(
            s.Name.rstrip(b"\0") == b".reloc" and s.SizeOfRawData for s in pe.sections):
        faults.append("relocations stripped")
    check("DllCharacteristics 0x%04X: ASLR and DEP on" % flags, faults)


def check_dialogs(pe):
    notices = {}
    for did, (size, controls) in PAGES.items():
        data = resource(pe, RT_DIALOG, did)
        if data is None:
            check("dialog %d" % did, ["missing"])
            continue
        try:
            d = parse_dialogex(data)
        except (ValueError, struct.error, UnicodeDecodeError) as e:
            check("dialog %d" % did, ["unreadable: %s" % e])
            continue
        faults = []
        if ~d["style"] & PAGE_STYLE or d["style"] & (WS_CAPTION | WS_SYSMENU):
            faults.append("style 0x%08X, expected 0x%08X without caption or system menu"
                          % (d["style"], PAGE_STYLE))
        if not d["exstyle"] & WS_EX_APPWINDOW:
            faults.append("ex-style 0x%08X lacks WS_EX_APPWINDOW" % d["exstyle"])
        if (d.get("font"), d.get("points")) != ("MS Sans Serif", 8):
            faults.append("font %r %s pt" % (d.get("font"), d.get("points")))
        if d["size"] != size:
            faults.append("size %dx%d, expected %dx%d" % (d["size"] + size))
        if len(d["controls"]) != len(controls):
            faults.append("%d controls, expected %d" % (len(d["controls"]), len(controls)))
        check("dialog %d DIALOGEX header" % did, faults)
        notices[did] = []
        for i, (got, want) in enumerate(zip(d["controls"], controls)):
            name = CLASS_NAMES.get(want[1], want[1])
            check("dialog %d control %d (%s %d)" % (did, i + 1, name, want[0]),
                  check_control(got, want, notices[did]))
    first = next((ts[0] for ts in notices.values() if ts), None)
    same = len(notices) == len(PAGES) and all(ts == [first] for ts in notices.values())
    check("notice %r on every page" % first, [] if same and first else ["texts %r" % notices])


def dib_header(data):
    """(width, height, bpp, colours) of a BITMAPINFOHEADER, or None."""
    if data is None or len(data) < 40 or struct.unpack_from("<I", data)[0] != 40:
        return None
    _size, w, h, _planes, bpp, _comp, _img, _xr, _yr, used = struct.unpack_from("<IiiHHIIiiI", data)
    return w, h, bpp, used or (1 << bpp if bpp <= 8 else 0)


def check_bitmap(pe):
    for bid, w in BANNER_ART:
        data = resource(pe, RT_BITMAP, bid)
        hdr = dib_header(data)
        faults = [] if hdr == (w, w // 10, 8, 256) else ["header %r" % (hdr,)]
        # The larger art is run-length encoded (BI_RLE8): its bytes are as many as the header says.
        comp, isz = struct.unpack_from("<II", data, 16) if hdr else (0, 0)
        want = 40 + 256 * 4 + (isz if comp == 1 else (w + 3) // 4 * 4 * (w // 10))
        if hdr and (comp not in (0, 1) or (comp == 1) != (bid != BANNER) or len(data) < want):
            faults.append("%d bytes, compression %d: not its pixels" % (len(data), comp))
        check("bitmap %d %dx%d 8 bpp 256 colours" % (bid, w, w // 10), faults)


def check_icon(pe):
    data = resource(pe, RT_GROUP_ICON, 128)
    if data is None or len(data) < 6:
        return check("icon group 128", ["missing"])
    _res, _type, count = struct.unpack_from("<3H", data)
    entries = [struct.unpack_from("<4B2HIH", data, 6 + 14 * i) for i in range(count)]
    got = sorted((e[0] or 256, e[1] or 256, e[5], e[2]) for e in entries)
    faults = [] if got == sorted(ICON_IMAGES) else ["images %r" % got]
    for w, h, colours, _r, _planes, bpp, size, iid in entries:
        img = resource(pe, RT_ICON, iid)
        hdr = dib_header(img)
        if hdr is None or hdr[:3] != (w or 256, 2 * (h or 256), bpp) or len(img) != size:
            faults.append("icon %d does not match its entry: %r" % (iid, hdr))
    check("icon group 128 with %d images" % count, faults)


def manifest(pe, rid):
    data = resource(pe, RT_MANIFEST, rid)
    try:
        return list(ET.fromstring(data).iter()) if data else []
    except ET.ParseError:
        return []


def check_manifest(pe):
    elements = manifest(pe, 1)
    levels = [e.get("level") for e in elements if e.tag.endswith("requestedExecutionLevel")]
    check("manifest 1 runs asInvoker", [] if levels == ["asInvoker"] else ["levels %r" % levels])
    aware = [e.text for e in elements if e.tag.endswith("}dpiAware")]
    check("manifest 1 is DPI aware", [] if aware == ["true"] else ["dpiAware %r" % aware])
    ids = sorted(e.get("Id") for e in elements if e.tag.endswith("supportedOS"))
    check("manifest 1 names Windows Vista to 11", [] if ids == SUPPORTED_OS else ["supportedOS %r" % ids])
    # Named there, comctl32 6 would be loaded before the program could report
    # its absence; the program activates manifest 3 itself.
    names = [e.get("name") for e in elements if e.tag.endswith("assemblyIdentity")]
    check("manifest 1 names no dependency", [] if names == ["Saengdao.Mirabo.Setup"] else ["names %r" % names])
    deps = [(e.get("name"), e.get("version"), e.get("publicKeyToken")) for e in manifest(pe, CONTROLS_MANIFEST)
            if e.tag.endswith("assemblyIdentity")]
    check("manifest %d names the Common Controls 6" % CONTROLS_MANIFEST,
          [] if deps == [("Microsoft.Windows.Common-Controls", "6.0.0.0", "6595b64144ccf1df")] else ["%r" % deps])


def check_version(pe):
    def parts(ms, ls):
        return ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    if fixed is None:
        return check("version record", ["missing"])
    fv = parts(fixed.FileVersionMS, fixed.FileVersionLS)
    pv = parts(fixed.ProductVersionMS, fixed.ProductVersionLS)
    check("version 1.0.0.1", [] if fv == pv == VERSION else ["file %r product %r" % (fv, pv)])


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: check_binary.py <path to setup.exe>")
    path = argv[1]
    try:
        pe = pefile.PE(path)
    except (OSError, pefile.PEFormatError) as e:
        check(path, ["not a PE image: %s" % e])
    else:
        fh, oh = pe.FILE_HEADER, pe.OPTIONAL_HEADER
        faults = []
        if fh.Machine != 0x14C or oh.Magic != 0x10B:
            faults.append("machine 0x%X magic 0x%X" % (fh.Machine, oh.Magic))
        if oh.Subsystem != 2:
            faults.append("subsystem %d, not GUI" % oh.Subsystem)
        size = os.path.getsize(path)
        check("PE32 i386 GUI image, %d bytes" % size, faults)
        check_lean(pe, size)
        check_hardening(pe)
        check_imports(pe)
        check_dialogs(pe)
        check_bitmap(pe)
        check_icon(pe)
        check_manifest(pe)
        check_version(pe)
    print("%d passed, %d failed" % (results.count(True), results.count(False)))
    return 1 if False in results else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
