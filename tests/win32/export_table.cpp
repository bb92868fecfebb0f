// The DLL's PE export and import tables against the export list: every entry exported under its
// plain name and (32-bit) under its stdcall-decorated alias at the same address, no other name,
// and imports from system DLLs only. Reads the tables of the loaded module.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

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
    if (module == nullptr) {
        std::printf("FAIL: LoadLibrary(opengl32.dll)\n");
        return 1;
    }
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

    int failures = 0;
    const bool decorated = sizeof(void*) == 4;
    const size_t entryCount = sizeof(kEntries) / sizeof(kEntries[0]);
    const size_t expected = entryCount * (decorated ? 2 : 1);
    if (table.size() != expected) {
        std::printf("FAIL: %zu entries in the list, %zu names exported, %zu expected\n", entryCount, table.size(),
                    expected);
        ++failures;
    }
    for (const Entry& entry : kEntries) {
        const auto plain = table.find(entry.plain);
        if (plain == table.end()) {
            std::printf("FAIL: %s not exported\n", entry.plain);
            ++failures;
            continue;
        }
        if (!decorated) continue;
        const auto alias = table.find(entry.decorated);
        if (alias == table.end() || alias->second != plain->second) {
            std::printf("FAIL: %s missing or not at the address of %s\n", entry.decorated, entry.plain);
            ++failures;
        }
    }

    const IMAGE_DATA_DIRECTORY& importDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int imports = 0;
    for (const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + importDir.VirtualAddress);
         import->Name != 0; ++import) {
        const char* dll = reinterpret_cast<const char*>(base + import->Name);
        ++imports;
        if (!SystemDll(dll)) {
            std::printf("FAIL: imports %s\n", dll);
            ++failures;
        }
    }
    std::printf("%zu names exported, %d DLLs imported: %s\n", table.size(), imports, failures == 0 ? "PASS" : "FAILED");
    FreeLibrary(module);
    return failures == 0 ? 0 : 1;
}
