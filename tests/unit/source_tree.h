// Reads the program's sources as text, for the checks of the tree's shape:
// which folder each quoted include names, how long each file is, and where
// each function body begins and ends. No compiler: comments, literals and
// preprocessor lines are blanked out first, then braces are matched.
#pragma once

#include <string>
#include <vector>

// One function definition: its name as written before the parameter list
// ("CWindowWnd::Create", "TEST_F"), and its lines from the first line of the
// declaration to the closing brace.
struct FunctionSpan {
    std::string name;
    int firstLine = 0;
    int lastLine = 0;
    int Lines() const { return lastLine - firstLine + 1; }
};

// The source with comments, string and character literals and preprocessor
// lines turned into blanks; every line break stays where it was.
std::string BlankNonCode(const std::string& source);

// Every function defined in the source: at namespace scope, in class bodies,
// lambdas given to a name at namespace scope. A lambda inside a function
// counts as part of that function. False when the braces do not match (the
// reader does not understand the file).
bool FunctionsIn(const std::string& source, std::vector<FunctionSpan>& functions);

// The paths of the quoted includes ("ui/window_state.h"), in order.
std::vector<std::string> QuotedIncludes(const std::string& source);

// How many lines the text has (a last line without a line feed counts).
int LineCount(const std::string& source);
