// encrypt / decrypt: the package cipher on any file, for looking inside packages and for
// enciphering archives made by other tools.

#include <optional>

#include "args.h"
#include "catalogue/format/cipher.h"
#include "commands.h"
#include "common/error.h"
#include "common/files.h"

namespace vistrel::tool {

namespace {

int Transform(const Args& args, bool encrypt) {
  CLI::App app(encrypt ? "encipher a file" : "decipher a file", encrypt ? "encrypt" : "decrypt");
  std::string in, out;
  KeyOptions keys;
  app.add_option("IN", in, "file to read")->required();
  app.add_option("OUT", out, "file to write")->required();
  AddKeyOptions(app, keys);
  ParseCommand(app, args);
  Result<std::string> read = ReadFile(in);
  if (!read.ok()) throw Error(read.error);
  std::string& bytes = *read.value;
  const CipherKey key(keys.key_text, keys.iv_text);
  if (encrypt) {
    EncryptInPlace(bytes, key);
  } else {
    DecryptInPlace(bytes, key);
  }
  if (Outcome written = WriteFileAtomically(out, bytes); !written.ok()) {
    throw Error(written.error);
  }
  return 0;
}

}  // namespace

int RunEncrypt(const Args& args) {
  return Transform(args, true);
}

int RunDecrypt(const Args& args) {
  return Transform(args, false);
}

}  // namespace vistrel::tool
