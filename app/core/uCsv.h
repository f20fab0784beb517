// A small reader of comma-separated text as RFC 4180 has it: records end at
// CR LF (a lone LF or CR is accepted too), fields are split at commas, a field
// in double quotes may hold commas, line ends and doubled quotes ("").
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TCsvReader {
public:
    explicit TCsvReader(std::string_view text) : text_(text) {}

    // The next record's fields, unquoted; false at the end of the text.
    // Blank lines are no records. The views stay valid until the next call.
    bool Next(std::vector<std::string_view>& fields);

    // Why the record just read is malformed ("" when it is not): a quote
    // that is never closed, or text between a closing quote and the comma.
    const char* Fault() const { return fault_; }
    // Number of the line the record just read started on, from 1.
    std::size_t Line() const { return recordLine_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::size_t recordLine_ = 0;
    const char* fault_ = "";
    std::string scratch_;  // fields whose doubled quotes had to be undone
    // Where a field's text lives: in the input, or in scratch_.
    struct Span {
        bool scratch;
        std::size_t begin, size;
    };
    std::vector<Span> spans_;
};
