// Which items of a list a computation takes, by their place in the list.
// The caller chooses (the main window's tracked set, a window's ticks, the
// command line's picks); the engine only asks. A default choice takes every
// item; a marked one takes the items marked, none past the end of its marks.
#pragma once
#include <cstddef>
#include <utility>
#include <vector>

class TChoice {
public:
    TChoice() = default;  // every item

    static TChoice None() { return Marked({}); }
    static TChoice Marked(std::vector<bool> marks) {
        TChoice c;
        c.every_ = false;
        c.marks_ = std::move(marks);
        return c;
    }
    // The items of list for which taken(item) holds.
    template <typename List, typename Taken>
    static TChoice Where(const List& list, Taken taken) {
        std::vector<bool> marks(list.size());
        std::size_t i = 0;
        for (const auto& item : list) marks[i++] = static_cast<bool>(taken(item));
        return Marked(std::move(marks));
    }

    bool operator()(std::size_t i) const { return every_ || (i < marks_.size() && marks_[i]); }
    bool TakesEvery() const { return every_; }
    // How many of a list of n items are taken.
    std::size_t Count(std::size_t n) const {
        if (every_) return n;
        std::size_t count = 0;
        for (std::size_t i = 0; i < n && i < marks_.size(); ++i) count += marks_[i] ? 1 : 0;
        return count;
    }

    friend bool operator==(const TChoice&, const TChoice&) = default;

private:
    bool every_ = true;
    std::vector<bool> marks_;
};
