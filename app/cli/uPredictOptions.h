// The options of orbisk-predict in one table: each option's name, its
// argument, its help text and the words its value completes to. The help
// (--help, and so the man page) is written from it, the parsers' lists of
// known options come from it, and a test holds the bash completion to it.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Which parser reads an option (and under which heading the help shows it).
// orbisk-sky and orbisk-render hand their observer options (kSkyObserver,
// kRenderObserver) to orbisk-predict's parser and read the rest themselves.
enum class TOptionGroup {
    kPredict, kSearchModes, kAnalysisModes, kDopplerMode,
    kSky, kSkyObserver, kRender, kRenderObserver
};

struct TOptionInfo {
    // "--lat"; "" for a row of plain help text (headings, notes).
    std::string_view name;
    // What follows the name in the help: "FILE", "line|table"; "" for a flag.
    // A "--mode" row's argument is the mode (words separated by '|').
    std::string_view argument;
    // Lines separated by '\n'. "" on an option shown on one line with the
    // next ("--lat DEG --lon DEG").
    std::string_view help;
    // Completion of the value: words separated by blanks, or "@file",
    // "@dir", "@zone"; "" for none (a flag, or a free value).
    std::string_view words;
    TOptionGroup group = TOptionGroup::kPredict;
};

const std::vector<TOptionInfo>& PredictOptionTable();

// The help text of a table: plain rows as they stand; an option row as
// "  NAME ARG", padded to column 23 (two blanks at least), then its help,
// continued on lines indented to column 23.
std::string OptionHelp(const std::vector<TOptionInfo>& table);

// The distinct option names of the group's rows (of every row when group is
// null), in table order.
std::vector<std::string_view> OptionNames(const std::vector<TOptionInfo>& table, const TOptionGroup* group = nullptr);

// True when a row of the group names the option with an argument.
bool OptionTakesValue(const std::vector<TOptionInfo>& table, TOptionGroup group, std::string_view name);

// The words the value of name completes to: the words of its rows, and for
// "--mode" every mode of the table, in order; "@file" and the like as given.
std::string CompletionWords(const std::vector<TOptionInfo>& table, std::string_view name);
