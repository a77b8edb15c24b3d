#pragma once
#include <string>
#include <vector>

// `vistrel-tool download [--base-url URL] [--date STAMP] --data-dir DIR`: downloads a new
// channel package into DIR as the program does. `args` are the words after "download".
// Returns 0 when the download ends in "Complete!" and for --help (usage on standard output),
// 2 on a usage error, else 1.
int RunDownloadCommand(const std::vector<std::string>& args);
