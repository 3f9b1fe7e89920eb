// Linked into the Instaide-companion variant: the library imports a DLL that
// lives in its own folder, as a real Palm Desktop's may, so the library loads
// only where that DLL is found.

extern "C" __declspec(dllimport) int CompanionReady();

namespace {

// Runs while the library is attached; the call keeps the import in the table.
struct CompanionCheck {
    CompanionCheck() : ready(CompanionReady()) {}
    int ready;
};

CompanionCheck g_companion;

}  // namespace
