#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace vistrel {

// A failure of a load or an operation, with a text meant for the user.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The result of an operation that reports rather than throws: the value, or the message that
// says (to the user) why there is none. Failure messages are never empty. A result that is
// dropped unread is a warning (an error in CI): a failure would pass unseen.
template <typename T = void>
struct [[nodiscard]] Result {
  std::optional<T> value;  // set exactly when the operation succeeded
  std::string error;       // empty on success

  bool ok() const { return value.has_value(); }
  static Result Ok(T v) { return {std::move(v), {}}; }
  static Result Fail(std::string message) { return {std::nullopt, std::move(message)}; }
};

// The result without a value: empty error means success.
template <>
struct [[nodiscard]] Result<void> {
  std::string error;

  bool ok() const { return error.empty(); }
  static Result Ok() { return {}; }
  static Result Fail(std::string message) { return {std::move(message)}; }
};

using Outcome = Result<void>;

}  // namespace vistrel
