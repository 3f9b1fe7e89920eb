// Runs into the C++ library failure named on its command line, in a program
// built as the shipped ones are (cmake/LeanRuntime.cmake, framework/Runtime.cpp):
// the run must end right there, with the runtime's message and status.
//   runtime-probe.exe none|memory|length|range
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    const char* what = argc == 2 ? argv[1] : "";
    std::string text = "abc";
    if (std::strcmp(what, "memory") == 0) {
        // More than a 32-bit process can ever have (read at run time, so that
        // the compiler neither warns nor folds it).
        volatile std::size_t huge = static_cast<std::size_t>(-1) - 4095;
        void* block = ::operator new(huge);
        std::printf("%p\n", block);
    } else if (std::strcmp(what, "length") == 0) {
        text.reserve(text.max_size() + 1);
    } else if (std::strcmp(what, "range") == 0) {
        text = text.substr(static_cast<std::size_t>(argc) + 3);
    } else if (std::strcmp(what, "none") != 0) {
        return 3;
    }
    std::printf("survived %s\n", text.c_str());
    return 0;
}
