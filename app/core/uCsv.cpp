#include "uCsv.h"

bool TCsvReader::Next(std::vector<std::string_view>& fields) {
    fields.clear();
    fault_ = "";
    // Blank lines between records are skipped.
    while (pos_ < text_.size() && (text_[pos_] == '\r' || text_[pos_] == '\n')) {
        if (text_[pos_] == '\n' || pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\n') ++line_;
        ++pos_;
    }
    if (pos_ >= text_.size()) return false;
    recordLine_ = line_;
    scratch_.clear();
    spans_.clear();
    const std::size_t n = text_.size();
    while (true) {
        if (pos_ < n && text_[pos_] == '"') {
            ++pos_;
            const std::size_t begin = pos_;
            bool doubled = false, closed = false;
            std::size_t end = begin;
            while (pos_ < n) {
                const char c = text_[pos_];
                if (c == '"') {
                    if (pos_ + 1 < n && text_[pos_ + 1] == '"') {
                        doubled = true;
                        pos_ += 2;
                        continue;
                    }
                    end = pos_++;
                    closed = true;
                    break;
                }
                if (c == '\n' || (c == '\r' && (pos_ + 1 >= n || text_[pos_ + 1] != '\n'))) ++line_;
                ++pos_;
            }
            if (!closed) {
                fault_ = "a quoted field is never closed";
                end = n;
            }
            if (doubled) {
                const std::size_t at = scratch_.size();
                for (std::size_t i = begin; i < end; ++i) {
                    scratch_.push_back(text_[i]);
                    if (text_[i] == '"') ++i;  // the second of a doubled pair
                }
                spans_.push_back({true, at, scratch_.size() - at});
            } else {
                spans_.push_back({false, begin, end - begin});
            }
            // Only a comma or the end of the record may follow a closing quote.
            if (pos_ < n && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n') {
                if (!*fault_) fault_ = "text follows a closing quote";
                while (pos_ < n && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
            }
        } else {
            const std::size_t begin = pos_;
            while (pos_ < n && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
            spans_.push_back({false, begin, pos_ - begin});
        }
        if (pos_ < n && text_[pos_] == ',') {
            ++pos_;
            continue;
        }
        // End of the record: CR LF, LF, CR or the end of the text.
        if (pos_ < n && text_[pos_] == '\r') ++pos_;
        if (pos_ < n && text_[pos_] == '\n') ++pos_;
        ++line_;
        break;
    }
    for (const Span& s : spans_)
        fields.push_back(s.scratch ? std::string_view(scratch_).substr(s.begin, s.size) : text_.substr(s.begin, s.size));
    return true;
}
