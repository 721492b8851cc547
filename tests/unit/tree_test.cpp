// The shape of the source tree, checked on every test run: includes go one
// way down the layers, and no file or function of the program grows past
// what one reader takes in. The reader behind it is checked first on
// snippets, so that a tree that passes is not one it failed to read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/source_tree.h"

namespace {

namespace fs = std::filesystem;

// The folders of the program, and the folders each one's files may include
// besides its own: support and protocol at the bottom, then devices,
// recording, ui, and app on top; the skinned-window library on support
// alone; the hook DLL and the encoder adapter programs of their own.
const std::map<std::string, std::set<std::string>> kMayInclude = {
    {"support", {}},
    {"protocol", {"support"}},
    {"devices", {"support", "protocol"}},
    {"recording", {"support", "protocol", "devices"}},
    {"ui", {"support", "protocol", "devices", "recording", "uilib", "hook"}},
    {"app", {"support", "protocol", "devices", "recording", "ui", "uilib", "hook"}},
    {"uilib", {"support"}},
    {"hook", {}},
    {"encoder", {"support", "protocol"}},
};

constexpr int kMaxFileLines = 500;
constexpr int kMaxFunctionLines = 60;
std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool IsSource(const fs::path& path, bool withResources) {
    const std::string ext = path.extension().string();
    return ext == ".h" || ext == ".cpp" || ext == ".c" || (withResources && ext == ".rc");
}

// Every source file of a program folder, as "folder/file" and its path.
std::vector<std::pair<std::string, fs::path>> SourcesOf(const std::string& folder, bool withResources) {
    std::vector<std::pair<std::string, fs::path>> files;
    const fs::path root = fs::path(TAVRIX_SOURCE_DIR) / folder;
    if (!fs::exists(root)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || !IsSource(entry.path(), withResources)) continue;
        files.emplace_back(folder + "/" + fs::relative(entry.path(), root).generic_string(), entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The folder an include names: "ui" for "ui/window_state.h"; "" for one
// without a folder (a generated header).
std::string FolderOfInclude(const std::string& include) {
    const size_t slash = include.find('/');
    return slash == std::string::npos ? std::string() : include.substr(0, slash);
}

std::vector<FunctionSpan> Functions(const std::string& source) {
    std::vector<FunctionSpan> found;
    EXPECT_TRUE(FunctionsIn(source, found)) << "unbalanced braces";
    return found;
}

std::string Lines(int count, const std::string& line) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line + "\n";
    return text;
}

}  // namespace

TEST(SourceTree, CommentsLiteralsAndPreprocessorLinesAreBlankedLineBreaksKept) {
    const std::string source =
        "#define BRACE {\\\n  more }\n"
        "int a = '{'; // {\n"
        "const char* s = \"}\\\"{\"; /* {\n } */\n"
        "auto r = R\"x(})\")x\"; int n = 1'000;\n";
    const std::string code = BlankNonCode(source);
    EXPECT_EQ(code.size(), source.size());
    EXPECT_EQ(std::count(code.begin(), code.end(), '\n'), std::count(source.begin(), source.end(), '\n'));
    EXPECT_EQ(code.find_first_of("{}"), std::string::npos) << code;
    EXPECT_NE(code.find("int n = 1'000;"), std::string::npos) << code;
}

TEST(SourceTree, FindsEveryKindOfFunctionWithItsLines) {
    const std::string source =
        "namespace {\n"                                          // 1
        "struct Table { int a; } kTable = {1};\n"                // 2
        "enum class Kind { One, Two };\n"                        // 3
        "int Free(int x) {\n"                                    // 4
        "    auto inner = [](int y) { return y; };\n"            // 5
        "    if (x) { return inner(x); }\n"                      // 6
        "    return 0;\n"                                        // 7
        "}\n"                                                    // 8
        "}  // namespace\n"                                      // 9
        "class Window : public Base {\n"                         // 10
        "public:\n"                                              // 11
        "    Window() : m_a(1), m_b{2}, m_c{} {\n"               // 12
        "        Init();\n"                                      // 13
        "    }\n"                                                // 14
        "    int Get() const noexcept { return m_a; }\n"         // 15
        "    void Set(Rect r = {}) {}\n"                         // 16
        "    int m_a; int m_b{0}; int m_c;\n"                    // 17
        "};\n"                                                   // 18
        "std::function<void(int)> Hook =\n"                      // 19
        "    [](int) {\n"                                        // 20
        "    };\n"                                               // 21
        "extern \"C\" {\n"                                       // 22
        "LRESULT CALLBACK Window::Proc(HWND h)\n"                // 23
        "{\n"                                                    // 24
        "}\n"                                                    // 25
        "}\n";                                                   // 26
    const std::vector<FunctionSpan> found = Functions(source);
    std::vector<std::string> seen;
    for (const FunctionSpan& f : found)
        seen.push_back(f.name + " " + std::to_string(f.firstLine) + "-" + std::to_string(f.lastLine));
    EXPECT_EQ(seen, (std::vector<std::string>{"Free 4-8", "Window 12-14", "Get 15-15", "Set 16-16", "Hook 19-21",
                                              "Window::Proc 23-25"}));
}

TEST(SourceTree, ALongFunctionIsMeasuredWhole) {
    const std::string source = "void Long()\n{\n" + Lines(61, "    Step();") + "}\n";
    const std::vector<FunctionSpan> found = Functions(source);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Lines(), 64);
    std::vector<FunctionSpan> unbalanced;
    EXPECT_FALSE(FunctionsIn("void f() {\n", unbalanced));
    EXPECT_FALSE(FunctionsIn("}\n", unbalanced));
}

TEST(SourceTree, QuotedIncludesAndLineCounts) {
    EXPECT_EQ(QuotedIncludes("#include <windows.h>\n#include \"ui/a.h\"\n  #  include \"b.h\" // x\n"),
              (std::vector<std::string>{"ui/a.h", "b.h"}));
    EXPECT_EQ(LineCount(""), 0);
    EXPECT_EQ(LineCount("a\nb\n"), 2);
    EXPECT_EQ(LineCount("a\nb"), 2);
}

TEST(Tree, IncludesGoOneWayDown) {
    int files = 0;
    std::vector<std::string> upward;
    for (const auto& [folder, allowed] : kMayInclude) {
        for (const auto& [name, path] : SourcesOf(folder, true)) {
            ++files;
            for (const std::string& include : QuotedIncludes(ReadFile(path))) {
                const std::string target = FolderOfInclude(include);
                if (target.empty() || target == folder || allowed.count(target) != 0) continue;
                upward.push_back(name + " includes " + include);
            }
        }
    }
    EXPECT_GT(files, 100) << "the tree was not found at " << TAVRIX_SOURCE_DIR;
    std::string list;
    for (const std::string& u : upward) list += "\n  " + u;
    EXPECT_TRUE(upward.empty()) << upward.size() << " includes against the layers:" << list;
}

TEST(Tree, NoProductFileOrFunctionOverTheLimits) {
    int functions = 0;
    std::vector<std::string> breaches;
    for (const auto& entry : kMayInclude) {
        const std::string& folder = entry.first;
        for (const auto& [name, path] : SourcesOf(folder, false)) {
            const std::string source = ReadFile(path);
            const int lines = LineCount(source);
            if (lines > kMaxFileLines) breaches.push_back(name + ": " + std::to_string(lines) + " lines");
            std::vector<FunctionSpan> found;
            if (!FunctionsIn(source, found)) breaches.push_back(name + ": braces the reader cannot match");
            for (const FunctionSpan& f : found) {
                ++functions;
                if (f.Lines() > kMaxFunctionLines) {
                    breaches.push_back(name + ":" + std::to_string(f.firstLine) + " " + f.name + ": " +
                                       std::to_string(f.Lines()) + " lines");
                }
            }
        }
    }
    EXPECT_GT(functions, 500) << "the tree was not found at " << TAVRIX_SOURCE_DIR;
    std::string list;
    for (const std::string& b : breaches) list += "\n  " + b;
    EXPECT_TRUE(breaches.empty()) << "files over " << kMaxFileLines << " lines or functions over "
                                  << kMaxFunctionLines << " lines:" << list;
}
