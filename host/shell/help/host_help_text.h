// The help text of the host's own built-ins, commands and words: the file
// host/shell/help/host.help, compiled into the host at build time.
#pragma once

#include <string_view>

namespace kh {

std::string_view hostHelpText();

}  // namespace kh
