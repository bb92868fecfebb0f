// The export list and the files made from it: row order and families of the 363 rows, the
// argument bytes of the decorated aliases, and that exports.map, mora.def and the public headers
// name exactly the listed entries (tools/gen_exports.py rewrites the two export files).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "entry/entry_table.h"
#include "gl/command_records.h"
#include "mora/gl.h"
#include "mora/wgl.h"

namespace mora {
namespace {

struct ListRow {
    std::string family;  // MORA_GL_IMPLEMENTED, MORA_GL_FIXED, MORA_GL_COUNTED or MORA_WGL
    std::string name;    // without prefix
    std::string ret;
    std::string params;  // inside the parentheses
    int bytes = 0;

    bool wgl() const { return family == "MORA_WGL"; }
    std::string standard() const { return (wgl() ? "wgl" : "gl") + name; }
    std::string decorated() const { return (wgl() ? "_vwgl2" : "_mora") + name + "@" + std::to_string(bytes); }
};

std::filesystem::path SourceDir() {
    if (const char* dir = std::getenv("MORA_TEST_SOURCE_DIR"); dir != nullptr && *dir != '\0') return dir;
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<ListRow> ReadExportList() {
    static const std::regex kRow(
        R"re(^(MORA_GL_IMPLEMENTED|MORA_GL_FIXED|MORA_GL_COUNTED|MORA_WGL)\((\w+), ([^(]*?), \((.*?)\), \((.*?)\), (\d+), "(.*)"\)$)re");
    std::vector<ListRow> rows;
    std::istringstream in(ReadText(SourceDir() / "src/entry/entry_list.inc"));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("MORA_", 0) != 0 || line.find('(') == std::string::npos) continue;
        std::smatch m;
        EXPECT_TRUE(std::regex_match(line, m, kRow)) << "row not understood: " << line;
        if (m.empty()) continue;
        rows.push_back({m[1], m[2], m[3], m[4], std::stoi(m[6])});
    }
    return rows;
}

// 4 bytes per argument, 8 per double, as the stdcall decoration counts them.
int ArgumentBytes(const std::string& params) {
    if (params.empty()) return 0;
    int bytes = 0;
    std::istringstream in(params);
    for (std::string param; std::getline(in, param, ',');) {
        const bool isDouble =
            param.find("GLdouble ") != std::string::npos || param.find("GLclampd ") != std::string::npos;
        const bool isPointer = param.find('*') != std::string::npos;
        bytes += isDouble && !isPointer ? 8 : 4;
    }
    return bytes;
}

// The public headers declare every entry with the listed return and parameter types (the api
// tests do not compile otherwise); a definition that disagrees with its declaration already fails
// to compile, an entry missing from a header would not.
#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) \
    static_assert(std::is_same_v<decltype(&gl##Name), Ret(MORA_APIENTRY*) Params>, "gl" #Name);
#define MORA_WGL(Name, Ret, Params, Args, Bytes, Format) \
    static_assert(std::is_same_v<decltype(&wgl##Name), Ret(MORA_APIENTRY*) Params>, "wgl" #Name);
#include "entry/entry_list.inc"

// GL rows first (GL 1.1 in ascending byte order, then the extensions), WGL rows last, no name twice;
// each row's decoration bytes count 4 per argument and 8 per double; counted-only entries return
// nothing; the replayable names are listed entries. The version script exports the standard names
// in row order (the WGL names after them once src/wgl defines them: tools/gen_exports.py
// --with-wgl; the other headers' functions, which the test programs call, follow); the module
// definition names every entry under its standard name and its decorated alias.
TEST(ExportList, RowsAndTheExportFilesMadeFromThem) {
    const std::vector<ListRow> rows = ReadExportList();
    ASSERT_EQ(rows.size(), kEntryCount);
    std::set<std::string> unique;
    std::string gl = "  global:\n", def = "EXPORTS\n";
    for (std::size_t i = 0; i < kEntryCount; ++i) {
        const ListRow& row = rows[i];
        EXPECT_EQ(row.wgl(), i >= kGlEntryCount) << row.name;
        EXPECT_TRUE(unique.insert(row.standard()).second) << "listed twice: " << row.standard();
        EXPECT_EQ(row.bytes, ArgumentBytes(row.params)) << row.standard() << "(" << row.params << ")";
        if (row.family == "MORA_GL_COUNTED") {
            EXPECT_EQ(row.ret, "void") << row.name;
        }
        if (!row.wgl()) gl += "    " + row.standard() + ";\n";
        def += "    " + row.standard() + "\n    " + row.decorated() + "=" + row.standard() + "\n";
    }
    EXPECT_EQ(rows[335].standard(), "glViewport");
    for (std::size_t i = 1; i < 336; ++i) {
        EXPECT_LT(rows[i - 1].standard(), rows[i].standard()) << "GL 1.1 rows must ascend in byte order";
    }
    // A misspelt replayable name would count as drift in the call summary.
    for (std::string_view name : kReplayableEntryNames) {
        EXPECT_TRUE(unique.contains(std::string(name))) << name;
    }
    const std::string map = ReadText(SourceDir() / "src/api/exports.map");
    EXPECT_NE(map.find(gl), std::string::npos) << "stale exports.map: run tools/gen_exports.py";
    EXPECT_TRUE(map.ends_with("  local:\n    *;\n};\n"));
    EXPECT_TRUE(ReadText(SourceDir() / "src/api/mora.def").ends_with(def))
        << "stale mora.def: run tools/gen_exports.py";
}

}  // namespace
}  // namespace mora
