#pragma once
#include <stdexcept>
#include <string>

namespace vistrel {

// A failure of a load or an operation, with a text meant for the user.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Outcome of an operation that reports rather than throws: empty error means success.
struct Outcome {
  std::string error;
  bool ok() const { return error.empty(); }
  static Outcome Ok() { return {}; }
  static Outcome Fail(std::string message) { return {std::move(message)}; }
};

}  // namespace vistrel
