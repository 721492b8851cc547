// The text reader behind the tree checks: literals and comments blanked,
// then a walk over the braces that knows namespaces, classes, initialisers
// and function bodies apart.
#include "tests/unit/source_tree.h"

#include <cctype>
#include <regex>
#include <sstream>

namespace {

bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// Blanks `code[from, to)` but its line breaks.
void Blank(std::string& code, size_t from, size_t to) {
    for (size_t i = from; i < to && i < code.size(); ++i)
        if (code[i] != '\n') code[i] = ' ';
}

// The end of a quoted literal that starts at `open` (the quote), past its
// closing quote; an unterminated one ends at the line's end.
size_t QuotedEnd(const std::string& s, size_t open) {
    const char quote = s[open];
    for (size_t i = open + 1; i < s.size(); ++i) {
        if (s[i] == '\\') {
            ++i;
        } else if (s[i] == quote || s[i] == '\n') {
            return i + 1;
        }
    }
    return s.size();
}

// A raw string R"delim( ... )delim" whose quote is at `open`: the end past it.
size_t RawStringEnd(const std::string& s, size_t open) {
    const size_t paren = s.find('(', open);
    if (paren == std::string::npos) return s.size();
    const std::string close = ")" + s.substr(open + 1, paren - open - 1) + "\"";
    const size_t end = s.find(close, paren);
    return end == std::string::npos ? s.size() : end + close.size();
}

// Whether `i` starts a preprocessor line: only blanks before it on its line.
bool AtLineStart(const std::string& s, size_t i) {
    while (i > 0 && (s[i - 1] == ' ' || s[i - 1] == '\t')) --i;
    return i == 0 || s[i - 1] == '\n';
}

// The end of the preprocessor line at `i`, with its continuation lines.
size_t PreprocessorEnd(const std::string& s, size_t i) {
    for (;;) {
        const size_t end = s.find('\n', i);
        if (end == std::string::npos) return s.size();
        if (end > 0 && s[end - 1] == '\\') {
            i = end + 1;
            continue;
        }
        return end;
    }
}

// Whether the quote at `i` is a digit separator (1'000), not a character literal.
bool IsDigitSeparator(const std::string& s, size_t i) {
    if (i == 0 || i + 1 >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i - 1]))) return false;
    size_t start = i;
    while (start > 0 && (IsIdentifierChar(s[start - 1]) || s[start - 1] == '\'')) --start;
    return std::isdigit(static_cast<unsigned char>(s[start])) != 0;
}

}  // namespace

std::string BlankNonCode(const std::string& source) {
    std::string code = source;
    size_t i = 0;
    while (i < code.size()) {
        const char c = code[i];
        const char next = i + 1 < code.size() ? code[i + 1] : '\0';
        if (c == '#' && AtLineStart(code, i)) {
            const size_t end = PreprocessorEnd(code, i);
            Blank(code, i, end);
            i = end;
        } else if (c == '/' && next == '/') {
            const size_t end = code.find('\n', i);
            Blank(code, i, end == std::string::npos ? code.size() : end);
            i = end == std::string::npos ? code.size() : end;
        } else if (c == '/' && next == '*') {
            const size_t close = code.find("*/", i + 2);
            const size_t end = close == std::string::npos ? code.size() : close + 2;
            Blank(code, i, end);
            i = end;
        } else if (c == '"') {
            const bool raw = i > 0 && code[i - 1] == 'R' && (i < 2 || !IsIdentifierChar(code[i - 2]) ||
                                                             code[i - 2] == 'L' || code[i - 2] == 'u' ||
                                                             code[i - 2] == 'U' || code[i - 2] == '8');
            const size_t end = raw ? RawStringEnd(code, i) : QuotedEnd(code, i);
            // The quotes stay: `extern "C"` still reads as one.
            Blank(code, i + 1, end - 1);
            i = end;
        } else if (c == '\'' && !IsDigitSeparator(code, i)) {
            const size_t end = QuotedEnd(code, i);
            Blank(code, i + 1, end - 1);
            i = end;
        } else {
            ++i;
        }
    }
    return code;
}

namespace {

enum class Scope {
    Container,    // the file, a namespace, a class body, extern "C": functions may start here
    Function,     // a function body
    Initializer,  // an initialiser, an enum: nothing is looked for inside
    InitBrace,    // a brace inside a declaration (a member's brace-initialiser, a default argument)
    Nested,       // any brace inside a function or an initialiser
};

struct Open {
    Scope scope;
    int firstLine;
    std::string name;
};

std::string Trim(const std::string& s) {
    size_t from = 0;
    while (from < s.size() && std::isspace(static_cast<unsigned char>(s[from]))) ++from;
    size_t to = s.size();
    while (to > from && std::isspace(static_cast<unsigned char>(s[to - 1]))) --to;
    return s.substr(from, to - from);
}

// Leading "public:", "private:", "protected:" and "template <...>" taken off.
std::string WithoutPrefixes(std::string head) {
    static const std::regex access(R"(^(public|private|protected)\s*:(?!:)\s*)");
    static const std::regex templ(R"(^template\s*<)");
    for (bool again = true; again;) {
        again = false;
        std::smatch m;
        if (std::regex_search(head, m, access)) {
            head = head.substr(static_cast<size_t>(m.length(0)));
            again = true;
        } else if (std::regex_search(head, m, templ)) {
            int depth = 0;
            size_t i = static_cast<size_t>(m.length(0)) - 1;
            for (; i < head.size(); ++i) {
                if (head[i] == '<') ++depth;
                if (head[i] == '>' && --depth == 0) break;
            }
            head = Trim(head.substr(i + 1 < head.size() ? i + 1 : head.size()));
            again = true;
        }
    }
    return head;
}

bool StartsWithWord(const std::string& s, const char* word) {
    const size_t n = std::char_traits<char>::length(word);
    return s.compare(0, n, word) == 0 && (s.size() == n || !IsIdentifierChar(s[n]));
}

// A constructor's initialiser list that has reached a member's brace:
// "Foo() : m_a(1), m_b" before "{".
bool InMemberInitializer(const std::string& head) {
    static const std::regex list(R"(\)\s*(noexcept\s*)?:(?!:))");
    return !head.empty() && IsIdentifierChar(head.back()) && std::regex_search(head, list);
}

bool IsAccessLabel(const std::string& head) {
    static const std::regex label(R"(^(public|private|protected)\s*:$)");
    return std::regex_search(head, label);
}

// What the brace after `head` (at container scope) opens.
Scope ScopeAfter(const std::string& rawHead) {
    const std::string head = WithoutPrefixes(rawHead);
    if (InMemberInitializer(head)) return Scope::InitBrace;
    for (const char* word : {"namespace", "class", "struct", "union"})
        if (StartsWithWord(head, word)) return Scope::Container;
    if (StartsWithWord(head, "enum")) return Scope::Initializer;
    const size_t open = head.find('(');
    const bool call = open != std::string::npos && head.find(')', open) != std::string::npos;
    if (StartsWithWord(head, "extern") && !call) return Scope::Container;
    if (call && !head.empty() && head.back() != '=') return Scope::Function;
    return Scope::Initializer;
}

// The name before the parameter list, or the name a lambda is given.
std::string FunctionName(const std::string& rawHead) {
    const std::string head = WithoutPrefixes(rawHead);
    int paren = 0;
    int angle = 0;
    size_t params = std::string::npos;
    for (size_t i = 0; i < head.size(); ++i) {
        const char c = head[i];
        if (c == '<') ++angle;
        if (c == '>' && angle > 0) --angle;
        if (c == '(' && paren++ == 0 && angle == 0 && params == std::string::npos) params = i;
        if (c == ')') --paren;
    }
    if (params == std::string::npos) return head;
    std::string before = Trim(head.substr(0, params));
    if (!before.empty() && before.back() == ']') {
        const size_t equals = before.rfind('=');
        if (equals == std::string::npos) return "lambda";
        before = Trim(before.substr(0, equals));
    }
    size_t start = before.size();
    while (start > 0 && (IsIdentifierChar(before[start - 1]) || before[start - 1] == ':' || before[start - 1] == '~'))
        --start;
    return before.substr(start);
}

}  // namespace

bool FunctionsIn(const std::string& source, std::vector<FunctionSpan>& functions) {
    const std::string code = BlankNonCode(source);
    std::vector<Open> open;
    std::string head;
    int headLine = 0;
    int parens = 0;
    int line = 1;
    auto atContainer = [&] { return open.empty() || open.back().scope == Scope::Container; };
    auto resetHead = [&] {
        head.clear();
        parens = 0;
    };
    for (const char c : code) {
        if (c == '\n') ++line;
        const bool collecting = atContainer() || open.back().scope == Scope::InitBrace;
        if (c == '{') {
            if (!collecting) {
                open.push_back({Scope::Nested, line, ""});
                continue;
            }
            if (!atContainer()) {
                open.push_back({Scope::Nested, line, ""});  // inside a member's brace-initialiser
                continue;
            }
            const Scope scope = parens > 0 ? Scope::InitBrace : ScopeAfter(Trim(head));
            open.push_back({scope, headLine == 0 ? line : headLine, FunctionName(Trim(head))});
            if (scope != Scope::InitBrace) resetHead();
            if (scope == Scope::InitBrace) head += "{";
            continue;
        }
        if (c == '}') {
            if (open.empty()) return false;
            const Open closed = open.back();
            open.pop_back();
            if (closed.scope == Scope::Function) functions.push_back({closed.name, closed.firstLine, line});
            if (closed.scope == Scope::InitBrace) {
                head += "}";
            } else if (atContainer()) {
                resetHead();
                headLine = 0;
            }
            continue;
        }
        if (!atContainer()) continue;
        if (c == ';') {
            resetHead();
            headLine = 0;
            continue;
        }
        if (c == '(') ++parens;
        if (c == ')') --parens;
        if (head.empty() && std::isspace(static_cast<unsigned char>(c))) continue;
        if (head.empty()) headLine = line;
        head += c;
        // "public:" and its kin begin no declaration: the next line does.
        if (c == ':' && IsAccessLabel(head)) {
            resetHead();
            headLine = 0;
        }
    }
    return open.empty();
}

std::vector<std::string> QuotedIncludes(const std::string& source) {
    static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<std::string> paths;
    std::istringstream lines(source);
    std::string text;
    while (std::getline(lines, text)) {
        std::smatch m;
        if (std::regex_search(text, m, include)) paths.push_back(m[1]);
    }
    return paths;
}

int LineCount(const std::string& source) {
    int lines = 0;
    for (const char c : source) lines += c == '\n' ? 1 : 0;
    if (!source.empty() && source.back() != '\n') ++lines;
    return lines;
}
