// What can fail says so in one shape: a kind and the words for the user.
// And where engine code sends a text the user must see: a diagnostics
// argument the caller passes, never a process-wide hook.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <type_traits>
#include <string>
#include <utility>

enum class TStatusKind : uint8_t {
    ok,
    notFound,      // a file, an entry, a result that is not there
    invalid,       // input that cannot be used as it is
    ioError,       // reading or writing failed
    decayed,       // the satellite is down
    failed,        // anything else
};

// [[nodiscard]]: a failure dropped on the floor is a warning, and so an error.
struct [[nodiscard]] TStatus {
    TStatusKind kind = TStatusKind::ok;
    std::string message;  // empty when ok

    bool Ok() const { return kind == TStatusKind::ok; }
    explicit operator bool() const { return Ok(); }

    static TStatus Success() { return {}; }
    static TStatus Failure(TStatusKind kind, std::string message) { return {kind, std::move(message)}; }
};

// Where texts for the user go. A window passes one that hands them to its UI
// thread (it may be called from any thread); an empty one writes to stderr.
class TDiagnostics {
public:
    using TSink = std::function<void(const std::string& text)>;
    TDiagnostics() = default;
    // Any callable taking the text is a diagnostics (a function, a lambda).
    template <class F, class = std::enable_if_t<std::is_invocable_v<F&, const std::string&> &&
                                                !std::is_same_v<std::decay_t<F>, TDiagnostics>>>
    TDiagnostics(F&& sink) : sink_(std::forward<F>(sink)) {}

    void Tell(const std::string& text) const {
        if (sink_)
            sink_(text);
        else
            std::fprintf(stderr, "%s\n", text.c_str());
    }
    // A failed status's message; nothing for success.
    void Tell(const TStatus& status) const {
        if (!status.Ok()) Tell(status.message);
    }
    explicit operator bool() const { return static_cast<bool>(sink_); }

private:
    TSink sink_;
};
