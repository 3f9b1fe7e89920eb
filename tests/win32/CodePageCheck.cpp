// The checker's code page tables and case folding against Windows' own:
// every byte of every code page the checker knows, converted by
// MultiByteToWideChar, and the upper case of each resulting character by
// RtlUpcaseUnicodeChar, the table file names are compared by. Run under
// Wine by packager/check-reports.sh; prints each difference, exits 1 on any.
#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "packager/CodePage.h"

namespace {

using RtlUpcaseUnicodeCharFn = WCHAR(WINAPI*)(WCHAR);

}  // namespace

int main()
{
    auto upcase = reinterpret_cast<RtlUpcaseUnicodeCharFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlUpcaseUnicodeChar")));
    if (!upcase) {
        std::printf("no RtlUpcaseUnicodeChar in ntdll\n");
        return 1;
    }
    int differences = 0, compared = 0;
    std::istringstream pages(KnownCodePages());
    std::string item;
    while (std::getline(pages, item, ',')) {
        int codePage = std::stoi(item);
        for (int byte = 1; byte < 256; ++byte) {
            char c = static_cast<char>(byte);
            WCHAR windows = 0;
            if (MultiByteToWideChar(static_cast<UINT>(codePage), 0, &c, 1, &windows, 1) != 1) {
                std::printf("code page %d: Windows cannot convert byte %02X\n", codePage, byte);
                ++differences;
                continue;
            }
            std::u16string ours = FromCodePage(codePage, std::string(1, c));
            char16_t folded = FoldedName(ours)[0];
            ++compared;
            if (ours[0] != windows || folded != upcase(windows)) {
                std::printf("code page %d byte %02X: U+%04X upper U+%04X here, U+%04X upper U+%04X in Windows\n",
                            codePage, byte, static_cast<unsigned>(ours[0]), static_cast<unsigned>(folded),
                            static_cast<unsigned>(windows), static_cast<unsigned>(upcase(windows)));
                ++differences;
            }
        }
    }
    std::printf("code pages %s: %d characters, %d differences from Windows\n", KnownCodePages().c_str(), compared,
                differences);
    return differences == 0 ? 0 : 1;
}
