#include "tests/e2e/harness.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "res/resource.h"

namespace e2e {

DWORD WaitLimit(DWORD ms)
{
    static const DWORD scale = [] {
        char text[16] = "";
        DWORD n = GetEnvironmentVariableA("E2E_WAIT_SCALE", text, sizeof text);
        char* end = nullptr;
        unsigned long value = n > 0 && n < sizeof text ? std::strtoul(text, &end, 10) : 0;
        return value >= 1 && value <= 100 && end && *end == '\0' ? static_cast<DWORD>(value) : 1ul;
    }();
    return ms * scale;
}

namespace {

// Every message to the program goes with a timeout: a hung program must fail
// a test, not hang the suite.
const UINT kSendTimeoutMs = WaitLimit(5000);

Config g_config;
std::string g_caseName;
std::size_t g_failures = 0;
std::vector<HANDLE> g_live;          // duplicates of the processes the case started

void PrintFailure(const std::string& message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
}

FailureSink g_sink = PrintFailure;

bool Alive(HANDLE process)
{
    return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

// Kills what the case left running; returns how many were still alive.
int KillLive()
{
    int killed = 0;
    for (HANDLE h : g_live) {
        if (Alive(h)) {
            TerminateProcess(h, 0xDEAD);
            WaitForSingleObject(h, WaitLimit(5000));
            ++killed;
        }
        CloseHandle(h);
    }
    g_live.clear();
    return killed;
}

// setup.exe processes no Process of this harness tracks: those a case
// started that outlived their Process (children of ours), or, with `any`,
// those of an earlier harness process that was killed mid-case.
int KillStrays(bool any)
{
    int killed = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
        if ((!any && entry.th32ParentProcessID != GetCurrentProcessId()) ||
            lstrcmpiA(entry.szExeFile, "setup.exe") != 0)
            continue;
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (h && Alive(h)) {
            TerminateProcess(h, 0xDEAD);
            WaitForSingleObject(h, WaitLimit(5000));
            ++killed;
        }
        if (h)
            CloseHandle(h);
    }
    CloseHandle(snap);
    return killed;
}

std::string ToWindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

template <class String>
String ParentDir(const String& path)
{
    typename String::size_type slash = path.find_last_of(typename String::value_type('\\'));
    return slash == String::npos ? String() : path.substr(0, slash);
}

std::string Escape(const std::string& bytes, bool utf8)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        char buf[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && !utf8)) {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace

// ---------------------------------------------------------------- set-up

const Config& Cfg()
{
    return g_config;
}

bool ParseArgs(int* argc, char** argv)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    // <build>\tests\e2e\e2e.exe
    std::string build = ParentDir(ParentDir(ParentDir(std::string(self))));
    g_config.workRoot = JoinPath(build, "e2e-work");
    g_config.screensDir = JoinPath(build, "screens");
    g_config.setupExe = JoinPath(build, "setup.exe");
    g_config.standinDir = JoinPath(build, "standin");

    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        std::string arg = argv[i];
        std::string* target = arg == "--work"      ? &g_config.workRoot
                              : arg == "--screens" ? &g_config.screensDir
                              : arg == "--setup"   ? &g_config.setupExe
                              : arg == "--standin" ? &g_config.standinDir
                                                   : nullptr;
        if (!target) {
            argv[kept++] = argv[i];
            continue;
        }
        if (++i >= *argc) {
            std::printf("%s needs a value\n", arg.c_str());
            return false;
        }
        *target = ToWindowsPath(argv[i]);
    }
    *argc = kept;
    argv[kept] = nullptr;
    MakeDirs(g_config.workRoot);
    MakeDirs(g_config.screensDir);
    return true;
}

void SetFailureSink(FailureSink sink)
{
    g_sink = sink ? sink : PrintFailure;
}

void Fail(const std::string& message)
{
    ++g_failures;
    g_sink(message);
}

std::size_t FailureCount()
{
    return g_failures;
}

void BeginCase(const std::string& name)
{
    g_caseName = name;
    KillStrays(true);
    if (!ResetDesktopKey())
        Fail("could not clear HKCU\\Software\\U.S. Robotics");
}

int EndCase()
{
    return KillLive() + KillStrays(false);
}

const std::string& CurrentCaseName()
{
    return g_caseName;
}

// ---------------------------------------------------------------- text

std::wstring Widen(const std::string& s, UINT codePage)
{
    if (s.empty())
        return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
    return out;
}

std::string Narrow(const std::wstring& s, UINT codePage)
{
    if (s.empty())
        return std::string();
    int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

std::string Utf8(const std::wstring& s) { return Narrow(s, CP_UTF8); }
std::wstring FromUtf8(const std::string& s) { return Widen(s, CP_UTF8); }

// ---------------------------------------------------------------- files

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    return dir.back() == '\\' ? dir + name : dir + "\\" + name;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

bool ReadBytes(const std::string& path, std::string* bytes)
{
    bytes->clear();
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0)
        bytes->append(buf, got);
    CloseHandle(f);
    return true;
}

bool FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirs(const std::string& path)
{
    return MakeDirs(Widen(path));
}

bool MakeDirs(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    if (path.empty() || (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)))
        return true;
    std::wstring parent = ParentDir(path);
    if (!parent.empty() && parent != path && parent.back() != L':' && !MakeDirs(parent))
        return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<std::string> ListDir(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA(JoinPath(dir, "*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(fd.cFileName, ".") != 0 && std::strcmp(fd.cFileName, "..") != 0)
            names.push_back(fd.cFileName);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ModulesNamed(DWORD pid, const char* name)
{
    std::vector<std::string> found;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return found;
    HMODULE modules[512];
    DWORD bytes = 0;
    if (EnumProcessModules(process, modules, sizeof modules, &bytes)) {
        for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
            char path[MAX_PATH] = "";
            if (!GetModuleFileNameExA(process, modules[i], path, MAX_PATH))
                continue;
            const char* base = strrchr(path, '\\');
            if (_stricmp(base ? base + 1 : path, name) == 0)
                found.push_back(path);
        }
    }
    CloseHandle(process);
    return found;
}

namespace {

bool RemoveTreeW(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileW(path.c_str()) != 0;
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(fd.cFileName, L".") != 0 && wcscmp(fd.cFileName, L"..") != 0)
                names.push_back(fd.cFileName);
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    bool ok = true;
    for (const std::wstring& name : names)
        ok = RemoveTreeW(path + L"\\" + name) && ok;
    return RemoveDirectoryW(path.c_str()) && ok;
}

// `text` in the ANSI code page, when every letter of it is there.
bool SpelledInAnsi(const std::wstring& text, std::string* ansi)
{
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                0, nullptr, &usedDefault);
    ansi->assign(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), &(*ansi)[0],
                            n, nullptr, &usedDefault);
    return n > 0 && !usedDefault;
}

}  // namespace

bool RemoveTree(const std::string& path)
{
    return RemoveTreeW(Widen(path));
}

std::string AnsiPath(const std::wstring& path)
{
    std::string ansi;
    if (SpelledInAnsi(path, &ansi))
        return ansi;
    wchar_t shortName[MAX_PATH];
    DWORD got = GetShortPathNameW(path.c_str(), shortName, MAX_PATH);
    if (got > 0 && got < MAX_PATH && SpelledInAnsi(shortName, &ansi))
        return ansi;
    Fail("no name of " + Utf8(path) + " is spelled in code page " + std::to_string(GetACP()));
    return std::string();
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

bool CopyStandin(const std::string& name, const std::string& to)
{
    std::string from = JoinPath(Cfg().standinDir, name);
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        Fail("cannot copy " + from + " to " + to + " (error " + std::to_string(GetLastError()) + ")");
        return false;
    }
    return true;
}

World::World(const std::string& name, const std::string& installerName, const std::string& palmName)
    : m_root(JoinPath(Cfg().workRoot, name)),
      m_installer(JoinPath(m_root, installerName)),
      m_palm(JoinPath(m_root, palmName)),
      m_installerW(Widen(m_installer)),
      m_palmW(Widen(m_palm))
{
    Make();
}

World::World(const std::string& name, const std::wstring& installerName, const std::wstring& palmName)
    : m_root(JoinPath(Cfg().workRoot, name)),
      m_installerW(Widen(m_root) + L"\\" + installerName),
      m_palmW(Widen(m_root) + L"\\" + palmName)
{
    Make();
}

void World::Make()
{
    // A killed program may hold its files for a moment after it ends.
    if (!WaitUntil([&] { return RemoveTree(m_root); }, 3000, 100)) {
        Fail("cannot clear " + m_root);
        return;
    }
    if (!MakeDirs(m_installerW) || !MakeDirs(m_palmW)) {
        Fail("cannot create " + m_root);
        return;
    }
    if (m_installer.empty())
        m_installer = AnsiPath(m_installerW);
    if (m_palm.empty())
        m_palm = AnsiPath(m_palmW);
    if (m_installer.empty() || m_palm.empty())
        return;
    if (!CopyFileA(Cfg().setupExe.c_str(), SetupPath().c_str(), FALSE)) {
        Fail("cannot copy " + Cfg().setupExe + " (error " + std::to_string(GetLastError()) + ")");
        return;
    }
    m_ok = true;
}

bool World::PutInstallerFile(const std::string& name, const std::string& bytes)
{
    std::string path = JoinPath(m_installer, name);
    bool ok = MakeDirs(ParentDir(path)) && WriteBytes(path, bytes);
    if (!ok)
        Fail("cannot write " + path);
    return ok;
}

bool World::PutPalmFile(const std::string& name, const std::string& bytes)
{
    std::string path = JoinPath(m_palm, name);
    bool ok = MakeDirs(ParentDir(path)) && WriteBytes(path, bytes);
    if (!ok)
        Fail("cannot write " + path);
    return ok;
}

bool World::UseStandin(const std::string& variant)
{
    return CopyStandin(variant, JoinPath(m_palm, "Instaide.dll"));
}

bool World::WriteUsers(const std::string& bytes)
{
    return PutPalmFile("users.txt", bytes);
}

bool World::StandardPalm(const std::string& users)
{
    bool ok = UseStandin() && WriteUsers(users);
    if (!SetDesktopPath(m_palmW)) {
        Fail("cannot set DesktopPath");
        ok = false;
    }
    return ok;
}

std::string World::CallsLog() const
{
    std::string log;
    ReadBytes(JoinPath(m_palm, "calls.log"), &log);
    return log;
}

std::vector<std::string> World::CallLines() const
{
    std::vector<std::string> lines;
    std::string log = CallsLog();
    std::string::size_type start = 0;
    while (start < log.size()) {
        std::string::size_type end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        lines.push_back(log.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string World::QueueDir(const std::string& user) const
{
    return JoinPath(JoinPath(m_palm, user), "Install");
}

std::vector<std::string> World::Queued(const std::string& user) const
{
    return ListDir(QueueDir(user));
}

std::vector<std::string> World::AllQueued() const
{
    std::vector<std::string> all;
    for (const std::string& user : ListDir(m_palm)) {
        if (DirExists(QueueDir(user)))
            for (const std::string& file : Queued(user))
                all.push_back(user + "\\" + file);
    }
    return all;
}

std::string World::ReadPalmFile(const std::string& name) const
{
    std::string bytes;
    ReadBytes(JoinPath(m_palm, name), &bytes);
    return bytes;
}

HeldFile::HeldFile(const std::string& path, DWORD access, DWORD share)
    : m_file(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{
    if (m_file == INVALID_HANDLE_VALUE)
        Fail("cannot hold " + path + " open (error " + std::to_string(GetLastError()) + ")");
}

void HeldFile::Release()
{
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}

bool PutNotes(World& world)
{
    return world.Ok() && world.PutInstallerFile("install.tms", kInstallNotes) &&
           world.PutInstallerFile("update.tms", kUpdateNotes);
}

bool PutPackage(World& world, const std::string& file)
{
    return PutNotes(world) && world.PutInstallerFile("install.cfg", file + "\r\n") &&
           world.PutInstallerFile(file, "PRC");
}

bool LayOut(World& world, const std::string& users)
{
    return PutNotes(world) && world.StandardPalm(users);
}

// ---------------------------------------------------------------- registry

const char kDesktopKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

bool ResetDesktopKey()
{
    LONG r = RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\U.S. Robotics");
    if (r == ERROR_FILE_NOT_FOUND)
        return true;
    r = RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\U.S. Robotics");
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

bool DeleteDesktopKey()
{
    LONG r = RegDeleteTreeA(HKEY_CURRENT_USER, kDesktopKey);
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND)
        return false;
    r = RegDeleteKeyA(HKEY_CURRENT_USER, kDesktopKey);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

bool DesktopKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

namespace {

HKEY CreateDesktopKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

}  // namespace

bool SetDesktopValueAnsi(DWORD type, const std::string& bytes, const char* name)
{
    HKEY key = CreateDesktopKey();
    if (!key)
        return false;
    LONG r = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

bool SetDesktopValueRaw(DWORD type, const std::string& bytes, const char* name)
{
    HKEY key = CreateDesktopKey();
    if (!key)
        return false;
    LONG r = RegSetValueExW(key, Widen(name).c_str(), 0, type,
                            reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

bool SetDesktopPath(const std::string& path)
{
    return SetDesktopValueAnsi(REG_SZ, std::string(path.c_str(), path.size() + 1));
}

bool SetDesktopPath(const std::wstring& path, DWORD type)
{
    const char* bytes = reinterpret_cast<const char*>(path.c_str());
    return SetDesktopValueRaw(type, std::string(bytes, (path.size() + 1) * sizeof(wchar_t)));
}

bool AddOtherValues(int n, const std::string& data)
{
    for (int i = 1; i <= n; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Aux%04d", i);
        if (!SetDesktopValueAnsi(REG_SZ, std::string(data.c_str(), data.size() + 1), name))
            return false;
    }
    return true;
}

RegistryValue::RegistryValue(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size)
    : m_root(root), m_key(key), m_name(name)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return;
    DWORD got = sizeof m_old;
    m_had = RegQueryValueExA(handle, name, nullptr, &m_type, m_old, &got) == ERROR_SUCCESS;
    m_oldSize = got;
    m_ok = RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(handle);
}

RegistryValue::~RegistryValue()
{
    HKEY handle;
    if (!m_ok || RegOpenKeyExA(m_root, m_key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS)
        return;
    LONG put = m_had ? RegSetValueExA(handle, m_name.c_str(), 0, m_type, m_old, m_oldSize)
                     : RegDeleteValueA(handle, m_name.c_str());
    RegCloseKey(handle);
    if (put != ERROR_SUCCESS)
        Fail("could not put back the registry value " + m_key + "\\" + m_name);
}

int DesktopValueIndex(const std::string& name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    int found = -1;
    for (DWORD i = 0;; ++i) {
        char value[16384];
        DWORD size = sizeof value;
        if (RegEnumValueA(key, i, value, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (name == value) {
            found = static_cast<int>(i);
            break;
        }
    }
    RegCloseKey(key);
    return found;
}

// ---------------------------------------------------------------- process

namespace {

// The harness's environment with `changes` applied, as a Unicode block.
std::wstring BuildEnvironment(const std::vector<std::string>& changes)
{
    std::vector<std::wstring> vars;
    wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1)
        vars.push_back(p);
    FreeEnvironmentStringsW(block);
    for (const std::string& change : changes) {
        std::wstring c = Widen(change);
        std::wstring::size_type eq = c.find(L'=', 1);
        std::wstring name = c.substr(0, eq);
        vars.erase(std::remove_if(vars.begin(), vars.end(),
                                  [&](const std::wstring& v) {
                                      return v.size() > name.size() && v[name.size()] == L'=' &&
                                             _wcsnicmp(v.c_str(), name.c_str(), name.size()) == 0;
                                  }),
                   vars.end());
        if (eq != std::wstring::npos)
            vars.push_back(c);
    }
    std::wstring out;
    for (const std::wstring& v : vars) {
        out += v;
        out += L'\0';
    }
    out += L'\0';
    return out;
}

}  // namespace

Process::~Process()
{
    Kill();
    if (m_process)
        CloseHandle(m_process);
}

bool Process::Start(const std::string& exe, const std::string& commandLine, const std::string& cwd,
                    const std::vector<std::string>& env)
{
    return Start(Widen(exe), Widen(commandLine), Widen(cwd), env);
}

bool Process::Start(const std::wstring& exe, const std::wstring& commandLine, const std::wstring& cwd,
                    const std::vector<std::string>& env)
{
    if (m_process) {
        Kill();
        CloseHandle(m_process);
        m_process = nullptr;
    }
    std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back(L'\0');
    std::wstring block;
    if (!env.empty())
        block = BuildEnvironment(env);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE,
                        env.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT,
                        env.empty() ? nullptr : &block[0], cwd.empty() ? nullptr : cwd.c_str(), &si,
                        &pi)) {
        Fail("CreateProcess " + Utf8(exe) + " failed (error " + std::to_string(GetLastError()) + ")");
        return false;
    }
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    m_pid = pi.dwProcessId;
    HANDLE dup = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), m_process, GetCurrentProcess(), &dup, 0, FALSE,
                        DUPLICATE_SAME_ACCESS))
        g_live.push_back(dup);
    return true;
}

bool Process::Start(const World& world, const std::vector<std::string>& env)
{
    return Start(world.SetupPathW(), L"\"" + world.SetupPathW() + L"\"", world.InstallerDirW(), env);
}

bool Process::Running() const
{
    return m_process && Alive(m_process);
}

bool Process::WaitExit(DWORD timeoutMs)
{
    if (!m_process)
        return false;
    if (WaitForSingleObject(m_process, WaitLimit(timeoutMs)) == WAIT_OBJECT_0)
        return true;
    Kill();
    Fail("setup.exe still running after " + std::to_string(WaitLimit(timeoutMs)) + " ms; killed");
    return false;
}

bool Process::StillRunningAfter(DWORD ms)
{
    return m_process && WaitForSingleObject(m_process, WaitLimit(ms)) == WAIT_TIMEOUT;
}

DWORD Process::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (m_process)
        GetExitCodeProcess(m_process, &code);
    return code;
}

void Process::Kill()
{
    if (Running()) {
        TerminateProcess(m_process, 0xDEAD);
        WaitForSingleObject(m_process, WaitLimit(5000));
    }
}

// ---------------------------------------------------------------- pages

const char* KindName(PageKind kind)
{
    switch (kind) {
    case PageKind::None: return "none";
    case PageKind::Disclaimer: return "disclaimer";
    case PageKind::Mode: return "mode";
    case PageKind::Users: return "users";
    case PageKind::Finish: return "finish";
    case PageKind::MessageBox: return "message box";
    case PageKind::Other: return "other";
    }
    return "?";
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

HWND Control(HWND page, int id)
{
    return page ? GetDlgItem(page, id) : nullptr;
}

namespace {

bool HasControl(HWND page, int id, const wchar_t* cls)
{
    HWND c = GetDlgItem(page, id);
    return c && (!cls || _wcsicmp(ClassName(c).c_str(), cls) == 0);
}

struct FindDialogs {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM lParam)
{
    FindDialogs* f = reinterpret_cast<FindDialogs*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == f->pid && IsWindowVisible(hwnd) && ClassName(hwnd) == L"#32770")
        f->found.push_back(hwnd);
    return TRUE;
}

int OwnerDepth(HWND hwnd)
{
    int depth = 0;
    for (HWND o = GetWindow(hwnd, GW_OWNER); o && depth < 16; o = GetWindow(o, GW_OWNER))
        ++depth;
    return depth;
}

std::string Describe(HWND dialog)
{
    if (!dialog)
        return "no dialog";
    std::string s = KindName(Classify(dialog));
    std::wstring caption = TextW(dialog);
    if (!caption.empty())
        s += " \"" + Utf8(caption) + "\"";
    HWND text = GetDlgItem(dialog, 0xFFFF);
    if (text)
        s += ": " + Escape(Utf8(TextW(text)), true);
    return s;
}

}  // namespace

PageKind Classify(HWND dialog)
{
    if (!dialog || !IsWindow(dialog))
        return PageKind::None;
    if (ClassName(dialog) != L"#32770")
        return PageKind::Other;
    if (HasControl(dialog, IDC_USERLIST, WC_LISTVIEWW))
        return PageKind::Users;
    if (HasControl(dialog, IDC_INSTALL, L"Button") || HasControl(dialog, IDC_UPDATE, L"Button"))
        return PageKind::Mode;
    bool pageText = HasControl(dialog, IDC_TEXT, L"Edit");
    bool boxText = HasControl(dialog, 0xFFFF, L"Static");
    // Pages have no title bar, though they carry the program's name as their
    // window text; a message box has a title bar.
    bool captioned = (Style(dialog) & WS_CAPTION) == WS_CAPTION;
    if (boxText && captioned && !pageText)
        return PageKind::MessageBox;
    bool ok = HasControl(dialog, IDOK, L"Button");
    bool cancel = HasControl(dialog, IDCANCEL, L"Button");
    if (pageText && ok && cancel)
        return PageKind::Disclaimer;
    if (cancel && !ok && !pageText)
        return PageKind::Finish;
    return PageKind::Other;
}

HWND CurrentDialog(DWORD pid)
{
    FindDialogs f{pid, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&f));
    HWND best = nullptr;
    int bestScore = -1;
    for (HWND h : f.found) {
        int score = OwnerDepth(h) + (IsWindowEnabled(h) ? 100 : 0);
        if (score > bestScore) {
            best = h;
            bestScore = score;
        }
    }
    return best;
}

// A page is there once its thread takes messages. Until then a slow machine
// may still be busy showing it, and Wine counts a thread that has not asked
// for a message for 5 s as hung: each read of its windows (SMTO_ABORTIFHUNG)
// would come back empty at once.
namespace {

bool Answers(HWND page)
{
    DWORD_PTR ignored;
    return SendMessageTimeoutW(page, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored) != 0;
}

}  // namespace

Page WaitPage(const Process& process, DWORD timeoutMs, HWND notThis)
{
    Page page;
    WaitUntil(
        [&] {
            HWND h = CurrentDialog(process.Pid());
            if (h && h != notThis) {
                page.hwnd = h;
                return Answers(h);
            }
            return !process.Running();
        },
        timeoutMs);
    page.kind = Classify(page.hwnd);
    return page;
}

Page AcceptDisclaimer(const Process& process)
{
    Page disclaimer = WaitFor(process, PageKind::Disclaimer);
    if (!disclaimer.hwnd || !ClickItem(disclaimer.hwnd, IDOK))
        return Page();
    return WaitFor(process, PageKind::Mode, 10000, disclaimer.hwnd);
}

HWND PassFirstPages(const Process& process)
{
    Page mode = AcceptDisclaimer(process);
    if (!mode.hwnd || !ClickItem(mode.hwnd, IDOK))
        return nullptr;
    return mode.hwnd;
}

Page StartAtDisclaimer(const World& world, Process& setup)
{
    return setup.Start(world) ? WaitFor(setup, PageKind::Disclaimer) : Page();
}

Page StartAtMode(const World& world, Process& setup)
{
    return setup.Start(world) ? AcceptDisclaimer(setup) : Page();
}

HWND PassToUsers(const World& world, Process& setup, const std::string& cwd)
{
    const std::wstring exe = world.SetupPathW();
    if (!setup.Start(exe, L"\"" + exe + L"\"", cwd.empty() ? world.InstallerDirW() : Widen(cwd)))
        return nullptr;
    return PassFirstPages(setup);
}

Page StartAtUsers(const World& world, Process& setup, const std::string& cwd)
{
    HWND mode = PassToUsers(world, setup, cwd);
    return mode ? WaitFor(setup, PageKind::Users, 10000, mode) : Page();
}

Page ConfirmUsers(const Process& setup, HWND users, DWORD timeoutMs)
{
    if (!ClickItem(users, IDOK))
        return Page();
    return WaitFor(setup, PageKind::Finish, timeoutMs, users);
}

Page WaitFor(const Process& process, PageKind kind, DWORD timeoutMs, HWND notThis)
{
    Page page;
    HWND last = nullptr;
    bool answers = false;
    WaitUntil(
        [&] {
            HWND h = CurrentDialog(process.Pid());
            if (h && h != notThis)
                last = h;
            if (h && h != notThis && Classify(h) == kind) {
                page.hwnd = h;
                answers = Answers(h);
                return answers;
            }
            page.hwnd = nullptr;
            return !process.Running();
        },
        timeoutMs);
    if (page.hwnd && answers) {
        page.kind = kind;
        return page;
    }
    std::string why = page.hwnd ? "the page shows but does not answer messages"
                      : process.Running() ? "timed out"
                                          : "setup.exe ended (exit code " +
                                                std::to_string(process.ExitCode()) + ")";
    page.hwnd = nullptr;
    if (notThis && IsWindow(notThis) && CurrentDialog(process.Pid()) == notThis)
        why += ", still on the page it was to leave (" + Describe(notThis) + ")";
    Fail(std::string("expected the ") + KindName(kind) + " page: " + why + "; last seen: " +
         Describe(last && IsWindow(last) ? last : nullptr));
    return page;
}

bool EndsWithoutPage(Process& process, DWORD timeoutMs, HWND notThis)
{
    HWND seen = nullptr;
    WaitUntil(
        [&] {
            HWND h = CurrentDialog(process.Pid());
            if (h && h != notThis) {
                seen = h;
                return true;
            }
            return !process.Running();
        },
        timeoutMs);
    if (seen) {
        Fail("expected setup.exe to end, but it shows " + Describe(seen));
        return false;
    }
    if (process.Running()) {
        process.Kill();
        Fail("setup.exe still running after " + std::to_string(WaitLimit(timeoutMs)) + " ms; killed");
        return false;
    }
    return true;
}

std::wstring TextW(HWND window)
{
    if (!window)
        return std::wstring();
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &got))
        return std::wstring();
    text.resize(std::min<std::size_t>(got, length));
    return text;
}

std::string TextA(HWND window, UINT codePage)
{
    return Narrow(TextW(window), codePage);
}

LONG Style(HWND window) { return GetWindowLongW(window, GWL_STYLE); }
LONG ExStyle(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE); }
bool IsEnabled(HWND window) { return window && IsWindowEnabled(window); }
bool IsShown(HWND window) { return window && IsWindowVisible(window); }
bool IsReadOnly(HWND edit) { return edit && (Style(edit) & ES_READONLY); }

bool IsChecked(HWND button)
{
    DWORD_PTR state = 0;
    return button &&
           SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state) &&
           state == BST_CHECKED;
}

HWND FocusOf(HWND page)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!page || !GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

namespace {

LRESULT SendTo(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT failed = -1)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        return failed;
    return static_cast<LRESULT>(result);
}

// Top of line `line` in client coordinates (negative when scrolled past).
bool LineTop(HWND edit, int line, int* y)
{
    LRESULT index = SendTo(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    if (index < 0)
        return false;
    LRESULT pos = SendTo(edit, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
    if (pos == -1)
        return false;
    *y = static_cast<short>(HIWORD(pos));
    return true;
}

// What a multi-line edit puts in its vertical scroll bar: lines 0..count-1,
// a page of the lines that fit its formatting rectangle, the first visible
// line as position.
ScrollState EditScroll(HWND edit)
{
    ScrollState s;
    int lines = LineCount(edit);
    int first = FirstVisibleLine(edit);
    RECT format{};
    if (lines < 1 || first < 0 || SendTo(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format)) == -1)
        return s;
    int visible = lines - first;
    int y0, y1;
    if (lines - first >= 2 && LineTop(edit, first, &y0) && LineTop(edit, first + 1, &y1) && y1 > y0)
        visible = (format.bottom - format.top) / (y1 - y0);
    else if (first > 0 && LineTop(edit, first - 1, &y0) && LineTop(edit, first, &y1) && y1 > y0)
        visible = (format.bottom - format.top) / (y1 - y0);
    s.ok = true;
    s.derived = true;
    s.pos = first;
    s.min = 0;
    s.max = lines - 1;
    s.page = std::max(visible, 1);
    return s;
}

}  // namespace

ScrollState VScroll(HWND window)
{
    ScrollState s;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    if (window && GetScrollInfo(window, SB_VERT, &si)) {
        s.ok = true;
        s.pos = si.nPos;
        s.min = si.nMin;
        s.max = si.nMax;
        s.page = static_cast<int>(si.nPage);
        return s;
    }
    // Wine 8 keeps a window's scroll bar state in the owning process and
    // answers GetScrollInfo from any other with FALSE.
    if (window && _wcsicmp(ClassName(window).c_str(), L"Edit") == 0 && (Style(window) & ES_MULTILINE))
        return EditScroll(window);
    return s;
}

int FirstVisibleLine(HWND edit)
{
    DWORD_PTR line = 0;
    if (!SendMessageTimeoutW(edit, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &line))
        return -1;
    return static_cast<int>(line);
}

int LineCount(HWND edit)
{
    DWORD_PTR lines = 0;
    if (!SendMessageTimeoutW(edit, EM_GETLINECOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &lines))
        return -1;
    return static_cast<int>(lines);
}

// ---------------------------------------------------------------- list view

namespace {
// The remote block: a structure at the start, text after it.
const std::size_t kStructArea = 256;
const std::size_t kTextArea = 8192;
}  // namespace

RemoteListView::RemoteListView(HWND listView) : m_hwnd(listView)
{
    DWORD pid = 0;
    if (!listView || !GetWindowThreadProcessId(listView, &pid)) {
        Fail("no list view");
        return;
    }
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (m_process)
        m_remote = static_cast<char*>(VirtualAllocEx(m_process, nullptr, kStructArea + kTextArea,
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!m_remote)
        Fail("cannot reach the list view's process (error " + std::to_string(GetLastError()) + ")");
}

RemoteListView::~RemoteListView()
{
    if (m_remote)
        VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
    if (m_process)
        CloseHandle(m_process);
}

bool RemoteListView::Read(void* dst, std::size_t offset, std::size_t size)
{
    SIZE_T got = 0;
    return m_remote && ReadProcessMemory(m_process, m_remote + offset, dst, size, &got) && got == size;
}

bool RemoteListView::Write(std::size_t offset, const void* src, std::size_t size)
{
    SIZE_T put = 0;
    return m_remote && WriteProcessMemory(m_process, m_remote + offset, src, size, &put) && put == size;
}

LRESULT RemoteListView::Send(UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(m_hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

int RemoteListView::Count()
{
    return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteListView::TextA(int row)
{
    std::vector<char> zero(kTextArea, '\0');
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = m_remote + kStructArea;
    item.cchTextMax = static_cast<int>(kTextArea - 1);
    if (!Write(kStructArea, zero.data(), zero.size()) || !Write(0, &item, sizeof item))
        return std::string();
    Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(m_remote));
    if (!Read(zero.data(), kStructArea, zero.size()))
        return std::string();
    return std::string(zero.data(), strnlen(zero.data(), zero.size()));
}

std::wstring RemoteListView::TextW(int row)
{
    std::vector<wchar_t> zero(kTextArea / sizeof(wchar_t), L'\0');
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = reinterpret_cast<wchar_t*>(m_remote + kStructArea);
    item.cchTextMax = static_cast<int>(zero.size() - 1);
    if (!Write(kStructArea, zero.data(), kTextArea) || !Write(0, &item, sizeof item))
        return std::wstring();
    Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(m_remote));
    if (!Read(zero.data(), kStructArea, kTextArea))
        return std::wstring();
    return std::wstring(zero.data(), wcsnlen(zero.data(), zero.size()));
}

std::vector<std::string> RemoteListView::Rows()
{
    std::vector<std::string> rows;
    for (int i = 0, n = Count(); i < n; ++i)
        rows.push_back(TextA(i));
    return rows;
}

UINT RemoteListView::State(int row, UINT mask)
{
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
}

bool RemoteListView::Checked(int row)
{
    return ((State(row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

std::vector<bool> RemoteListView::CheckStates()
{
    std::vector<bool> states;
    for (int i = 0, n = Count(); i < n; ++i)
        states.push_back(Checked(i));
    return states;
}

DWORD RemoteListView::ExtendedStyle()
{
    return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

int RemoteListView::TopIndex()
{
    return static_cast<int>(Send(LVM_GETTOPINDEX, 0, 0));
}

int RemoteListView::CountPerPage()
{
    return static_cast<int>(Send(LVM_GETCOUNTPERPAGE, 0, 0));
}

bool RemoteListView::RowRect(int row, RECT* rect, int code)
{
    RECT r{code, 0, 0, 0};
    return Write(0, &r, sizeof r) &&
           Send(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(m_remote)) > 0 &&
           Read(rect, 0, sizeof *rect);
}

bool RemoteListView::HitTest(POINT client, LVHITTESTINFO* info)
{
    LVHITTESTINFO hit{};
    hit.pt = client;
    hit.iItem = -1;
    if (!Write(0, &hit, sizeof hit))
        return false;
    Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(m_remote));
    return Read(info, 0, sizeof *info);
}

namespace {

bool InClient(HWND hwnd, POINT p)
{
    RECT client;
    return GetClientRect(hwnd, &client) && PtInRect(&client, p);
}

POINT ToScreen(HWND hwnd, POINT p)
{
    MapWindowPoints(hwnd, HWND_DESKTOP, &p, 1);
    return p;
}

}  // namespace

bool RemoteListView::CheckBoxPoint(int row, POINT* screen)
{
    RECT bounds;
    if (!RowRect(row, &bounds))
        return false;
    // The state icon has no rectangle of its own: find it by hit-testing
    // along the middle of the row.
    POINT p{0, (bounds.top + bounds.bottom) / 2};
    int first = -1, last = -1;
    for (p.x = bounds.left; p.x < bounds.right && p.x < bounds.left + 64; ++p.x) {
        LVHITTESTINFO hit{};
        if (HitTest(p, &hit) && hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON)) {
            if (first < 0)
                first = p.x;
            last = p.x;
        } else if (first >= 0) {
            break;
        }
    }
    if (first < 0)
        return false;
    p.x = (first + last) / 2;
    if (!InClient(m_hwnd, p))
        return false;
    *screen = ToScreen(m_hwnd, p);
    return true;
}

bool RemoteListView::TextPoint(int row, POINT* screen)
{
    RECT label;
    if (!RowRect(row, &label, LVIR_LABEL))
        return false;
    POINT p{label.left + std::min<LONG>(12, (label.right - label.left) / 2),
            (label.top + label.bottom) / 2};
    LVHITTESTINFO hit{};
    if (!InClient(m_hwnd, p) || !HitTest(p, &hit) || hit.iItem != row ||
        !(hit.flags & LVHT_ONITEMLABEL))
        return false;
    *screen = ToScreen(m_hwnd, p);
    return true;
}

bool RemoteListView::EmptyAreaPoint(POINT* screen)
{
    RECT client;
    if (!GetClientRect(m_hwnd, &client))
        return false;
    int count = Count();
    LONG top = client.top;
    if (count > 0) {
        RECT last;
        if (!RowRect(count - 1, &last))
            return false;
        top = std::max(top, last.bottom);
    }
    if (client.bottom - top < 4)
        return false;
    POINT p{client.left + std::min<LONG>(20, (client.right - client.left) / 2),
            (top + client.bottom) / 2};
    LVHITTESTINFO hit{};
    if (!HitTest(p, &hit) || hit.iItem != -1)
        return false;
    *screen = ToScreen(m_hwnd, p);
    return true;
}

bool RemoteListView::Column(int column, std::string* heading, int* width, int* format)
{
    std::vector<char> text(kTextArea, '\0');
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.pszText = m_remote + kStructArea;
    col.cchTextMax = static_cast<int>(kTextArea - 1);
    if (!Write(kStructArea, text.data(), text.size()) || !Write(0, &col, sizeof col))
        return false;
    if (Send(LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(m_remote)) <= 0)
        return false;
    if (!Read(&col, 0, sizeof col) || !Read(text.data(), kStructArea, text.size()))
        return false;
    if (heading)
        heading->assign(text.data(), strnlen(text.data(), text.size()));
    if (width)
        *width = col.cx;
    if (format)
        *format = col.fmt;
    return true;
}

// ---------------------------------------------------------------- input

bool Foreground(HWND page)
{
    if (!page || !IsWindow(page))
        return false;
    // Only a page that can take input: shown, enabled (a message box
    // disables its owner until the box is gone) and the dialog on top.
    DWORD pid = 0;
    GetWindowThreadProcessId(page, &pid);
    if (!WaitUntil([&] { return IsWindowVisible(page) && IsWindowEnabled(page) && CurrentDialog(pid) == page; },
                   5000)) {
        Fail("the page does not take input: " + Describe(page) + " under " + Describe(CurrentDialog(pid)));
        return false;
    }
    if (GetForegroundWindow() != page)
        SetForegroundWindow(page);
    return WaitUntil([&] { return GetForegroundWindow() == page; }, 2000);
}

namespace {

// A mouse event at an absolute screen point.
INPUT MouseAt(POINT screen, DWORD flags)
{
    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Rounded up, so that the system's scaling back down lands on the pixel.
    in.mi.dx = static_cast<LONG>((static_cast<long long>(screen.x) * 65536 + cx - 1) / cx);
    in.mi.dy = static_cast<LONG>((static_cast<long long>(screen.y) * 65536 + cy - 1) / cy);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    return in;
}

// Waits until the page's thread has taken the messages sent to it so far.
void Sync(HWND page)
{
    DWORD_PTR ignored;
    if (page)
        SendMessageTimeoutW(page, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
}

}  // namespace

bool MoveMouse(POINT screen)
{
    INPUT in = MouseAt(screen, 0);
    if (SendInput(1, &in, sizeof in) != 1)
        return false;
    return WaitUntil(
        [&] {
            POINT now;
            return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
        },
        1000, 10);
}

void Settle(HWND page, DWORD ms)
{
    Sleep(ms);
    DWORD_PTR ignored;
    if (page)
        SendMessageTimeoutW(page, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
}

bool Click(HWND page, POINT screen)
{
    if (!Foreground(page)) {
        Fail("cannot bring the page to the foreground");
        return false;
    }
    if (!MoveMouse(screen)) {
        Fail("mouse did not reach " + std::to_string(screen.x) + "," + std::to_string(screen.y));
        return false;
    }
    // The system sends a click to the window it has on top at that point.
    // Wine's X11 driver puts there the window X last reported under the
    // pointer, and a program that has not yet taken in the events of a page
    // it showed (a click came first) may report that page late, over a box
    // shown since: the click would go to the disabled page. The move above
    // makes X report the window now under the pointer.
    bool routed = WaitUntil([&] {
        HWND under = WindowFromPoint(screen);
        return under && GetAncestor(under, GA_ROOT) == page;
    }, 2000);
    if (!routed) {
        Fail("the point " + std::to_string(screen.x) + "," + std::to_string(screen.y) + " is not over " +
             Describe(page) + " but over " + Describe(GetAncestor(WindowFromPoint(screen), GA_ROOT)));
        return false;
    }
    // Each button event carries its own position. Without a window manager,
    // a window that appears or goes under the X pointer makes the X server
    // report the pointer where it last was, and the program that owns the
    // window may take that report after the move above: a bare button event
    // would then land on the pointer's old place, not on the target.
    INPUT in[2] = {MouseAt(screen, MOUSEEVENTF_LEFTDOWN), MouseAt(screen, MOUSEEVENTF_LEFTUP)};
    bool ok = SendInput(2, in, sizeof in[0]) == 2;
    if (!ok)
        Fail("the click was not sent");
    Sync(page);
    return ok;
}

POINT Centre(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool ClickControl(HWND control)
{
    if (!control) {
        Fail("no control to click");
        return false;
    }
    return Click(GetAncestor(control, GA_ROOT), Centre(control));
}

bool ClickItem(HWND page, int id)
{
    HWND control = Control(page, id);
    if (!control) {
        Fail("page has no control " + std::to_string(id));
        return false;
    }
    return ClickControl(control);
}

namespace {

bool IsExtendedKey(WORD vk)
{
    switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_INSERT: case VK_DELETE:
        return true;
    }
    return false;
}

INPUT Key(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}

}  // namespace

bool PressKeys(HWND page, std::initializer_list<WORD> modifiers, WORD vk)
{
    if (!Foreground(page)) {
        Fail("cannot bring the page to the foreground");
        return false;
    }
    std::vector<INPUT> in;
    for (WORD m : modifiers)
        in.push_back(Key(m, false));
    in.push_back(Key(vk, false));
    in.push_back(Key(vk, true));
    for (auto m = modifiers.end(); m != modifiers.begin();)
        in.push_back(Key(*--m, true));
    bool ok = SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) == in.size();
    Sync(page);
    return ok;
}

bool PressKey(HWND page, WORD vk)
{
    return PressKeys(page, {}, vk);
}

bool TypeText(HWND page, const std::wstring& text)
{
    if (!Foreground(page)) {
        Fail("cannot bring the page to the foreground");
        return false;
    }
    std::vector<INPUT> in;
    for (wchar_t c : text) {
        for (bool up : {false, true}) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wScan = c;
            i.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            in.push_back(i);
        }
    }
    bool ok = in.empty() || SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) == in.size();
    Sync(page);
    return ok;
}

// ---------------------------------------------------------------- message box

MessageBoxInfo ReadMessageBox(HWND box)
{
    MessageBoxInfo info;
    info.hwnd = box;
    if (!box)
        return info;
    info.caption = TextW(box);
    info.text = TextW(GetDlgItem(box, 0xFFFF));
    info.owner = GetWindow(box, GW_OWNER);
    return info;
}

MessageBoxInfo WaitMessageBox(const Process& process, DWORD timeoutMs)
{
    return ReadMessageBox(WaitFor(process, PageKind::MessageBox, timeoutMs).hwnd);
}

namespace {

BOOL CALLBACK FirstButton(HWND child, LPARAM lParam)
{
    if (IsWindowVisible(child) && _wcsicmp(ClassName(child).c_str(), L"Button") == 0) {
        *reinterpret_cast<HWND*>(lParam) = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool PressMessageBoxOk(HWND box)
{
    HWND button = GetDlgItem(box, IDOK);
    if (!button || !IsWindowVisible(button)) {
        button = nullptr;
        EnumChildWindows(box, FirstButton, reinterpret_cast<LPARAM>(&button));
    }
    if (!button) {
        Fail("message box has no button");
        return false;
    }
    HWND owner = GetWindow(box, GW_OWNER);
    if (!ClickControl(button))
        return false;
    // Gone for good, and its owner enabled again: only then can the page
    // underneath take the next input.
    if (!WaitUntil([&] { return !IsWindow(box) && (!owner || !IsWindow(owner) || IsWindowEnabled(owner)); },
                   5000)) {
        Fail("message box not gone, or its owner still disabled, after its OK was clicked");
        return false;
    }
    return true;
}

namespace {

BOOL CALLBACK IconControl(HWND child, LPARAM lParam)
{
    if (IsWindowVisible(child) && _wcsicmp(ClassName(child).c_str(), L"Static") == 0 &&
        (Style(child) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(lParam) = child;
        return FALSE;
    }
    return TRUE;
}

// 32-bit top-down pixels of a w x h DIB selected into a memory DC.
struct Pixels {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    DWORD* bits = nullptr;
    Pixels(HDC screen, int w, int h)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(screen);
        void* p = nullptr;
        bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<DWORD*>(p);
        if (bitmap)
            old = SelectObject(dc, bitmap);
    }
    ~Pixels()
    {
        if (bitmap) {
            SelectObject(dc, old);
            DeleteObject(bitmap);
        }
        DeleteDC(dc);
    }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
};

}  // namespace

bool ShowsSystemIcon(HWND box, LPCWSTR icon)
{
    HWND control = nullptr;
    if (box)
        EnumChildWindows(box, IconControl, reinterpret_cast<LPARAM>(&control));
    RECT r;
    if (!control || !GetWindowRect(control, &r) || !Foreground(box))
        return false;
    Settle(box, 150);
    int w = r.right - r.left, h = r.bottom - r.top;
    HICON drawn = LoadIconW(nullptr, icon);
    if (w <= 0 || h <= 0 || !drawn)
        return false;
    HDC screen = GetDC(nullptr);
    bool same = false;
    {
        Pixels shown(screen, w, h), expected(screen, w, h);
        if (shown.bits && expected.bits &&
            BitBlt(shown.dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT)) {
            GdiFlush();
            // The icon's corners are transparent: they show the background.
            HBRUSH background = CreateSolidBrush(RGB(GetBValue(shown.bits[0]), GetGValue(shown.bits[0]),
                                                     GetRValue(shown.bits[0])));
            RECT all{0, 0, w, h};
            FillRect(expected.dc, &all, background);
            DeleteObject(background);
            DrawIconEx(expected.dc, 0, 0, drawn, w, h, 0, nullptr, DI_NORMAL);
            GdiFlush();
            int differ = 0;
            for (int i = 0; i < w * h; ++i)
                differ += (shown.bits[i] & 0xFFFFFF) != (expected.bits[i] & 0xFFFFFF);
            same = differ * 50 <= w * h;   // 2 % for edge smoothing
        }
    }
    ReleaseDC(nullptr, screen);
    return same;
}

std::wstring SystemText(DWORD error)
{
    wchar_t text[512] = L"";
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, 512,
                        nullptr))
        return L"System error " + std::to_wstring(error) + L".";
    std::wstring reason = text;
    reason.erase(reason.find_last_not_of(L"\r\n") + 1);
    return reason;
}

// ---------------------------------------------------------------- screenshot

bool Screenshot(HWND window, const std::string& name)
{
    std::string path = name.find_first_of("\\/:") != std::string::npos
                           ? name
                           : JoinPath(Cfg().screensDir, CurrentCaseName() + "-" + name + ".bmp");
    RECT r;
    if (!window || !GetWindowRect(window, &r)) {
        Fail("screenshot " + name + ": no window");
        return false;
    }
    // Let the program finish painting what the last input changed.
    Settle(window, 150);
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, GetSystemMetrics(SM_CXSCREEN));
    r.bottom = std::min<LONG>(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) {
        Fail("screenshot " + name + ": window is off screen");
        return false;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;   // bottom-up, as a BMP file stores it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        SelectObject(mem, old);
    }
    DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    DWORD size = stride * static_cast<DWORD>(h);
    if (ok) {
        BITMAPFILEHEADER fh{};
        fh.bfType = 0x4D42;   // "BM"
        fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
        fh.bfSize = fh.bfOffBits + size;
        bi.bmiHeader.biSizeImage = size;
        std::string file(reinterpret_cast<const char*>(&fh), sizeof fh);
        file.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
        file.append(static_cast<const char*>(bits), size);
        MakeDirs(ParentDir(path));
        ok = WriteBytes(path, file);
    }
    if (bmp)
        DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (!ok)
        Fail("screenshot " + path + " failed");
    return ok;
}

}  // namespace e2e
