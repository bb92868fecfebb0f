// The DLL's PE export and import tables against the export list: every entry exported under its
// plain name and (32-bit) under its stdcall-decorated alias at the same address, no other name,
// and imports from system DLLs only. Reads the tables of the loaded module.
#include <windows.h>

#include <cctype>
#include <iterator>
#include <map>
#include <string>

#include "win32_test.h"

namespace {

struct Entry {
    const char* plain;
    const char* decorated;
};

#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) {"gl" #Name, "_mora" #Name "@" #Bytes},
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) {"wgl" #Name, "_vwgl2" #Name "@" #Bytes},
constexpr Entry kEntries[] = {
#include "entry/entry_list.inc"
};
#undef MORA_GL_ENTRY
#undef MORA_WGL

bool SystemDll(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const char* const kSystem[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"};
    for (const char* system : kSystem) {
        if (name == system) return true;
    }
    return name.rfind("api-ms-win-", 0) == 0;
}

}  // namespace

int main() {
    HMODULE module = LoadLibraryA("opengl32.dll");
    Check(module != nullptr, "LoadLibrary(opengl32.dll)");
    if (module == nullptr) return Finish();
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& exportDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exportDir.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    const auto* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
    const auto* functions = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions);
    std::map<std::string, DWORD> table;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        table[reinterpret_cast<const char*>(base + names[i])] = functions[ordinals[i]];
    }

    const bool decorated = sizeof(void*) == 4;
    Check(table.size() == std::size(kEntries) * (decorated ? 2 : 1),
          "one exported name per entry (two on 32-bit) and no other");
    for (const Entry& entry : kEntries) {
        const auto plain = table.find(entry.plain);
        const auto alias = table.find(entry.decorated);
        if (plain == table.end() || (decorated && (alias == table.end() || alias->second != plain->second))) {
            Check(false, entry.plain);  // missing, or its alias missing or elsewhere
        }
    }

    const IMAGE_DATA_DIRECTORY& importDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + importDir.VirtualAddress);
         import->Name != 0; ++import) {
        const char* dll = reinterpret_cast<const char*>(base + import->Name);
        Check(SystemDll(dll), dll);
    }
    FreeLibrary(module);
    return Finish();
}
