#include "server/list_answer.h"

namespace vistrel {

ListAnswer DecideListAnswer(const std::optional<std::string>& key, std::string_view access_key,
                            const std::optional<std::string>& date, std::string_view version) {
  if (!key || *key != access_key) return ListAnswer::kWrongKey;
  if (date && !version.empty() && *date == version) return ListAnswer::kUpToDate;
  return ListAnswer::kPackage;
}

}  // namespace vistrel
