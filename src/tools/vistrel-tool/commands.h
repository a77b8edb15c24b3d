#pragma once
// The commands of vistrel-tool. Each takes the arguments after its name, returns the exit
// status, throws UsageError or HelpRequested (tools/command_line.h) for its command line and
// vistrel::Error for a failure. A new command is one more function here, its own source file,
// and a line in main.cpp.

#include <string>
#include <vector>

namespace vistrel::tool {

using Args = std::vector<std::string>;

int RunBuild(const Args& args);     // package_commands.cpp
int RunEncrypt(const Args& args);   // cipher_commands.cpp
int RunDecrypt(const Args& args);   // cipher_commands.cpp
int RunDump(const Args& args);      // dump_command.cpp
int RunList(const Args& args);      // list_command.cpp
int RunDownload(const Args& args);  // download_command.cpp

}  // namespace vistrel::tool
