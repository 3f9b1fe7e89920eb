// Stand-in for Palm Desktop's install-aid library, for tests only: it does not
// ship. It answers from users.txt in its own folder and appends every call to
// calls.log there, so a test both decides what the installer is told and sees
// exactly what the installer asked, and when it loaded and released us.
// users.txt is read once per load. With its "#timed" line the release also
// logs when we were loaded and released and how long the installer spent in
// here, so that a benchmark can take the installer's own time alone.
//
// All text is 8-bit: names are the raw bytes of users.txt (code page 874 for
// Thai), handed to the ANSI file functions as they are.
//
// Built four times: whole, and with OMIT_PltGetUserCount, OMIT_PltGetUser or
// OMIT_PltInstallFile to play a damaged Palm Desktop that lacks that export.
// Built with CALLS_COMPANION, every PltGetUser and PltInstallFile first needs
// Companion.dll of its own folder, and fails (-504) without it.
// An omitted function is still compiled, just not exported, so every variant
// builds the same code.

#include <windows.h>

#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORTED __declspec(dllexport)
#ifdef OMIT_PltGetUserCount
#define EXPORT_PltGetUserCount
#else
#define EXPORT_PltGetUserCount EXPORTED
#endif
#ifdef OMIT_PltGetUser
#define EXPORT_PltGetUser
#else
#define EXPORT_PltGetUser EXPORTED
#endif
#ifdef OMIT_PltInstallFile
#define EXPORT_PltInstallFile
#else
#define EXPORT_PltInstallFile EXPORTED
#endif

// The variants that need a DLL of their own folder at each call define it
// (CallsCompanion.cpp); the others need none.
#ifdef CALLS_COMPANION
bool CompanionWorks();
#else
static bool CompanionWorks()
{
    return true;
}
#endif

namespace {

const int kIndexOutOfRange = -1;
const int kBadArgument = -2;
const int kCopyFailed = -504;
const int kUnknownUser = -505;
const int kAlreadyQueued = -512;

const size_t kPathSize = 4096;
// Bounds for #many, so that a mistyped switch cannot make every call crawl.
const unsigned kMaxGeneratedCount = 100000;
const unsigned kMaxGeneratedLength = 1024;

// Our own module, not the process's: copies of this DLL in several folders
// each keep their own users and log.
HMODULE g_module;

// Formats into dst; false when the result did not fit.
bool Format(char* dst, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = vsnprintf(dst, size, format, args);
    va_end(args);
    return length >= 0 && static_cast<size_t>(length) < size;
}

// <our folder>\<name>
bool PathBeside(const char* name, char* path, size_t size)
{
    char module[kPathSize];
    DWORD got = GetModuleFileNameA(g_module, module, sizeof module);
    if (got == 0 || got >= sizeof module)
        return false;
    char* slash = strrchr(module, '\\');
    if (!slash)
        return false;
    slash[1] = '\0';
    return Format(path, size, "%s%s", module, name);
}

// Appends one line to calls.log. One write per line, so lines from several
// processes never interleave.
void Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length < 0)
        return;
    char* line = static_cast<char*>(malloc(static_cast<size_t>(length) + 2));
    if (!line)
        return;
    va_start(args, format);
    vsnprintf(line, static_cast<size_t>(length) + 1, format, args);
    va_end(args);
    line[length] = '\n';

    char path[kPathSize];
    if (PathBeside("calls.log", path, sizeof path)) {
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, static_cast<DWORD>(length) + 1, &written, nullptr);
            CloseHandle(file);
        }
    }
    free(line);
}

const char* Printable(const char* text)
{
    return text ? text : "(null)";
}

// users.txt as it was at the first call after the library was loaded: read
// once per load, as Palm Desktop's library reads its users once, so that a
// call costs the installer no file reading. Tests write it before each run.
struct Users {
    char* text = nullptr;               // the file, each line terminated in place
    const char** names = nullptr;       // listed names, "##" already read as "#"
    unsigned nameCount = 0;
    const char** switches = nullptr;    // "#key=value" lines, without the '#'
    unsigned switchCount = 0;

    Users() = default;
    Users(const Users&) = delete;
    Users& operator=(const Users&) = delete;
    ~Users()
    {
        free(switches);
        free(names);
        free(text);
    }
};

void LoadUsers(Users& users)
{
    char path[kPathSize];
    if (!PathBeside("users.txt", path, sizeof path))
        return;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;   // no file, no users
    LARGE_INTEGER size;
    DWORD got = 0;
    if (GetFileSizeEx(file, &size) && size.QuadPart < (1 << 24)) {
        users.text = static_cast<char*>(malloc(static_cast<size_t>(size.QuadPart) + 1));
        if (users.text && !ReadFile(file, users.text, static_cast<DWORD>(size.QuadPart), &got, nullptr))
            got = 0;
    }
    CloseHandle(file);
    if (!users.text)
        return;

    char* const end = users.text + got;
    *end = '\0';
    size_t lines = 1;
    for (const char* at = users.text; at < end; ++at)
        lines += *at == '\n';
    users.names = static_cast<const char**>(malloc(lines * sizeof *users.names));
    users.switches = static_cast<const char**>(malloc(lines * sizeof *users.switches));
    if (!users.names || !users.switches)
        return;

    for (char* line = users.text; line < end;) {
        char* next = static_cast<char*>(memchr(line, '\n', static_cast<size_t>(end - line)));
        char* stop = next ? next : end;
        if (stop > line && stop[-1] == '\r')
            --stop;
        *stop = '\0';
        if (line[0] == '#' && line[1] == '#')
            users.names[users.nameCount++] = line + 1;
        else if (line[0] == '#')
            users.switches[users.switchCount++] = line + 1;
        else if (line[0] != '\0')   // a blank line names nobody
            users.names[users.nameCount++] = line;
        line = next ? next + 1 : end;
    }
}

// The value of switch `key` ("count=") in line i, or null.
const char* SwitchValue(const Users& users, unsigned i, const char* key)
{
    size_t length = strlen(key);
    return strncmp(users.switches[i], key, length) == 0 ? users.switches[i] + length : nullptr;
}

// Whether some `key` switch (they may repeat) names this index.
bool SwitchNamesIndex(const Users& users, const char* key, unsigned index)
{
    for (unsigned i = 0; i < users.switchCount; ++i) {
        const char* value = SwitchValue(users, i, key);
        if (value && strtoul(value, nullptr, 10) == index)
            return true;
    }
    return false;
}

bool HasSwitch(const Users& users, const char* key)
{
    for (unsigned i = 0; i < users.switchCount; ++i)
        if (strcmp(users.switches[i], key) == 0)
            return true;
    return false;
}

struct Generated {
    unsigned count;
    unsigned length;
};

// "#many=N,L" in line i, bounded.
bool GeneratedIn(const Users& users, unsigned i, Generated* generated)
{
    const char* value = SwitchValue(users, i, "many=");
    if (!value)
        return false;
    char* comma = nullptr;
    long count = strtol(value, &comma, 10);
    if (*comma != ',')
        return false;
    long length = strtol(comma + 1, nullptr, 10);
    if (count <= 0 || length < 0)
        return false;
    generated->count = count > static_cast<long>(kMaxGeneratedCount) ? kMaxGeneratedCount : static_cast<unsigned>(count);
    generated->length = length > static_cast<long>(kMaxGeneratedLength) ? kMaxGeneratedLength : static_cast<unsigned>(length);
    return true;
}

// Generated name `number` (from 1): "User0001" padded with letters to length.
// Below the width of "User0001" the tail is kept, since the digits are what
// tells the names apart.
void MakeName(unsigned number, unsigned length, char* name)
{
    char head[16];
    int used = snprintf(head, sizeof head, "User%04u", number);
    unsigned headLength = used > 0 ? static_cast<unsigned>(used) : 0;
    if (length <= headLength) {
        memcpy(name, head + headLength - length, length);
    } else {
        memcpy(name, head, headLength);
        for (unsigned i = headLength; i < length; ++i)
            name[i] = static_cast<char>('a' + (i - headLength) % 26);
    }
    name[length] = '\0';
}

// Listed names first, then each #many line's names in file order, numbered on.
unsigned long long NameTotal(const Users& users)
{
    unsigned long long total = users.nameCount;
    Generated generated;
    for (unsigned i = 0; i < users.switchCount; ++i)
        if (GeneratedIn(users, i, &generated))
            total += generated.count;
    return total;
}

// The name at index, or null beyond the names. Generated names are written
// into scratch (kMaxGeneratedLength + 1 bytes).
const char* NameAt(const Users& users, unsigned index, char* scratch)
{
    if (index < users.nameCount)
        return users.names[index];
    unsigned rest = index - users.nameCount;
    unsigned number = 1;
    Generated generated;
    for (unsigned i = 0; i < users.switchCount; ++i) {
        if (!GeneratedIn(users, i, &generated))
            continue;
        if (rest < generated.count) {
            MakeName(number + rest, generated.length, scratch);
            return scratch;
        }
        rest -= generated.count;
        number += generated.count;
    }
    return nullptr;
}

bool IsKnownUser(const Users& users, const char* user)
{
    if (!user || user[0] == '\0')
        return false;
    char scratch[kMaxGeneratedLength + 1];
    unsigned long long total = NameTotal(users);
    for (unsigned long long i = 0; i < total; ++i) {
        const char* name = NameAt(users, static_cast<unsigned>(i), scratch);
        if (name && strcmp(name, user) == 0)
            return true;
    }
    return false;
}

// Read on first use and kept until the library is released.
Users g_users;
bool g_usersLoaded;

const Users& TheUsers()
{
    if (!g_usersLoaded) {
        g_usersLoaded = true;
        LoadUsers(g_users);
    }
    return g_users;
}

// For timing the installer alone (#timed): when the library was loaded and
// how long the installer has waited inside it since, in counter ticks.
LARGE_INTEGER g_loadedAt;
long long g_ticksInside;

// Adds the time since `start` to the time spent inside.
void LeaveTimed(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    g_ticksInside += now.QuadPart - start.QuadPart;
}

// Split so that a counter reading since boot does not overflow.
long long Microseconds(long long ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    long long f = frequency.QuadPart;
    return ticks / f * 1000000 + ticks % f * 1000000 / f;
}

int UserCount(const Users& users)
{
    const char* forced = nullptr;
    for (unsigned i = 0; i < users.switchCount; ++i)
        if (const char* value = SwitchValue(users, i, "count="))
            forced = value;   // the last one holds
    if (forced)
        return static_cast<int>(strtol(forced, nullptr, 10));   // long is 32 bits here: out-of-range values clamp
    unsigned long long total = NameTotal(users);
    return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

int GetUser(const Users& users, unsigned index, char* buffer, const short* bufferSize)
{
    // Needs no name, so it holds even for an index beyond them.
    if (SwitchNamesIndex(users, "untouched=", index))
        return 0;
    char scratch[kMaxGeneratedLength + 1];
    const char* name = NameAt(users, index, scratch);
    if (!name)
        return kIndexOutOfRange;
    if (!buffer || !bufferSize || *bufferSize <= 0)
        return kBadArgument;
    size_t capacity = static_cast<size_t>(*bufferSize);
    size_t length = strlen(name);
    if (SwitchNamesIndex(users, "unterminated=", index)) {
        for (size_t i = 0; i < capacity; ++i)
            buffer[i] = length ? name[i % length] : 'x';
        return 0;
    }
    if (length > capacity - 1)
        length = capacity - 1;
    memcpy(buffer, name, length);
    buffer[length] = '\0';
    return 0;
}

// The file name part of path: after its last '\', '/' or drive colon.
const char* FileNameOf(const char* path)
{
    const char* name = path;
    for (const char* at = path; *at; ++at)
        if (*at == '\\' || *at == '/' || *at == ':')
            name = at + 1;
    return name;
}

bool MakeFolder(const char* path)
{
    return CreateDirectoryA(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// "#refuse=CODE NAME": the code Palm Desktop gives for the file called NAME,
// whatever its folder, as its library does for a file it cannot take.
bool RefusedCode(const Users& users, const char* path, int* code)
{
    for (unsigned i = 0; i < users.switchCount; ++i) {
        const char* value = SwitchValue(users, i, "refuse=");
        char* name = nullptr;
        long refused = value ? strtol(value, &name, 10) : 0;
        if (value && *name == ' ' && strcmp(name + 1, FileNameOf(path)) == 0) {
            *code = static_cast<int>(refused);
            return true;
        }
    }
    return false;
}

int InstallFile(const Users& users, const char* user, const char* path)
{
    if (!IsKnownUser(users, user))
        return kUnknownUser;
    if (!path)
        return kCopyFailed;
    int refused = 0;
    if (RefusedCode(users, path, &refused))
        return refused;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return kCopyFailed;
    const char* name = FileNameOf(path);
    char userFolder[kPathSize];
    char queueFolder[kPathSize];
    char target[kPathSize];
    if (name[0] == '\0' || !PathBeside(user, userFolder, sizeof userFolder) ||
        !Format(queueFolder, sizeof queueFolder, "%s\\Install", userFolder) ||
        !Format(target, sizeof target, "%s\\%s", queueFolder, name))
        return kCopyFailed;
    if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES)
        return kAlreadyQueued;
    if (HasSwitch(users, "nocopy"))
        return 0;
    if (!MakeFolder(userFolder) || !MakeFolder(queueFolder))
        return kCopyFailed;
    if (!CopyFileA(path, target, TRUE))
        return GetLastError() == ERROR_FILE_EXISTS ? kAlreadyQueued : kCopyFailed;
    return 0;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        QueryPerformanceCounter(&g_loadedAt);
        g_module = module;
        DisableThreadLibraryCalls(module);
        Log("attach");
        LeaveTimed(g_loadedAt);
    } else if (reason == DLL_PROCESS_DETACH) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        Log("detach");
        // When we were loaded and released, on the counter every process of
        // the machine reads, and how much of that the installer spent in
        // here; the two lines logged now are in neither.
        if (g_usersLoaded && HasSwitch(g_users, "timed"))
            Log("timed %lld %lld %lld", Microseconds(g_loadedAt.QuadPart), Microseconds(now.QuadPart),
                Microseconds(g_ticksInside));
    }
    return TRUE;
}

EXPORT_PltGetUserCount int WINAPI PltGetUserCount(void)
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    int result = UserCount(TheUsers());
    Log("PltGetUserCount %d", result);
    LeaveTimed(start);
    return result;
}

EXPORT_PltGetUser int WINAPI PltGetUser(unsigned int index, char* nameBuffer, short* bufferSize)
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    int result = CompanionWorks() ? GetUser(TheUsers(), index, nameBuffer, bufferSize) : kCopyFailed;
    Log("PltGetUser %u %d", index, result);
    LeaveTimed(start);
    return result;
}

EXPORT_PltInstallFile int WINAPI PltInstallFile(const char* user, const char* path)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const Users& users = TheUsers();
    // "#slow=N": each file takes N ms longer, as from slow media; at most 10 s.
    for (unsigned i = 0; i < users.switchCount; ++i) {
        if (const char* value = SwitchValue(users, i, "slow=")) {
            unsigned long ms = strtoul(value, nullptr, 10);
            Sleep(ms < 10000 ? static_cast<DWORD>(ms) : 10000);
        }
    }
    int result = CompanionWorks() ? InstallFile(users, user, path) : kCopyFailed;
    Log("PltInstallFile %s|%s %d", Printable(user), Printable(path), result);
    if (HasSwitch(users, "nocopy")) {
        // For timing the installer alone: how long this call kept it waiting.
        QueryPerformanceCounter(&end);
        Log("busy %lld", Microseconds(end.QuadPart - start.QuadPart));
    }
    LeaveTimed(start);
    return result;
}

} // extern "C"
