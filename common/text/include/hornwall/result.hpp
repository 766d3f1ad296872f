#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace hornwall {

// Why a step gave no value, in words for the person who asked for it: what a usage error
// or a "cannot open" line says after the program's name.
struct Reason {
  std::string text;
};

// A value, or the reason why there is none: what every step returns that can fail for a
// reason the user is told, rather than end the run.
template <typename T>
class Result {
 public:
  Result(T value) : content_(std::move(value)) {}         // NOLINT: a value is a result
  Result(Reason reason) : content_(std::move(reason)) {}  // NOLINT: so is a reason

  bool ok() const { return std::holds_alternative<T>(content_); }
  // The value; only when ok().
  const T& value() const& { return std::get<T>(content_); }
  T& value() & { return std::get<T>(content_); }
  T&& value() && { return std::get<T>(std::move(content_)); }
  // The reason; only when !ok().
  const std::string& reason() const { return std::get<Reason>(content_).text; }

 private:
  std::variant<T, Reason> content_;
};

// A step that gives no value: done, or the reason why not.
template <>
class Result<void> {
 public:
  Result() = default;
  Result(Reason reason) : reason_(std::move(reason)) {}  // NOLINT: a reason is a result

  bool ok() const { return !reason_.has_value(); }
  const std::string& reason() const { return reason_->text; }

 private:
  std::optional<Reason> reason_;
};

}  // namespace hornwall
