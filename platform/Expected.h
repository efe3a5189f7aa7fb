#pragma once
// A value or the error that kept it from being made: the shape of Foundation's
// "returns nil and sets NSError" calls, without exceptions crossing module boundaries.

#include <string>
#include <utility>
#include <variant>

namespace orv {

// NSError: a code from the error's domain (errno on Linux) and its localized description,
// with the kinds of failure callers act on told apart.
struct Error {
    enum class Kind {
        other,
        alreadyExists,
        notFound,
        crossDevice, // the two paths lie on different file systems
        unsupported, // the file system cannot do what was asked
        partial,     // done, but not all of it: the description says what is left
    };
    int code = 0;
    std::string localizedDescription;
    Kind kind = Kind::other;
};

template <class T> class Expected {
  public:
    Expected(T value) : v_(std::move(value)) {}
    Expected(Error error) : v_(std::move(error)) {}

    bool hasValue() const { return v_.index() == 0; }
    explicit operator bool() const { return hasValue(); }
    const T& value() const { return std::get<0>(v_); }
    T& value() { return std::get<0>(v_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    const Error& error() const { return std::get<1>(v_); }

  private:
    std::variant<T, Error> v_;
};

struct Done {};
// Success or an error, for operations that produce nothing.
using Status = Expected<Done>;

inline Status ok() {
    return Status(Done{});
}

} // namespace orv
