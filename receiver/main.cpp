// upload-receiver: the local upload server of the demo, the tests and the benchmarks.
#include <cstdio>
#include <string>

#include "receiver/options.h"
#include "receiver/server.h"

int main(int argc, char** argv) {
  receiver::ReceiverOptions options;
  std::string error;
  if (!receiver::ParseOptions(argc - 1, argv + 1, options, error)) {
    // The wrong line and the usage line only: the whole help would bury the one thing to fix.
    std::fprintf(stderr, "upload-receiver: %s\n%s (--help lists the options)\n", error.c_str(),
                 receiver::UsageLine().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(receiver::UsageText().c_str(), stdout);
    return 0;
  }
  return receiver::RunReceiver(options);
}
