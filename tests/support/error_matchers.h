#pragma once
// "Throws vistrel::Error whose message ..." as GoogleTest matchers, for EXPECT_THAT on a
// callable:
//   EXPECT_THAT([&] { ParseInt32("x"); }, ThrowsErrorContaining("'x'"));

#include <gmock/gmock.h>

#include <string>

#include "common/error.h"

namespace vistrel {

// The callable throws vistrel::Error and its message contains `text`.
inline auto ThrowsErrorContaining(const std::string& text) {
  return ::testing::ThrowsMessage<Error>(::testing::HasSubstr(text));
}

// The callable throws vistrel::Error and its message is exactly `text`.
inline auto ThrowsErrorSaying(const std::string& text) {
  return ::testing::ThrowsMessage<Error>(::testing::StrEq(text));
}

}  // namespace vistrel
