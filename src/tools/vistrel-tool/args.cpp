#include "args.h"

namespace vistrel::tool {

void AddKeyOptions(CLI::App& app, KeyOptions& keys) {
  app.add_option("--key-text", keys.key_text, "package key text");
  app.add_option("--iv-text", keys.iv_text, "package IV text");
}

}  // namespace vistrel::tool
