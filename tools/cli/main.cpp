#include <stdio.h>
#include <unistd.h>

#include <iostream>

#include "cli/cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

// Settings bytes pass unchanged: no CR put before a 10, none taken out.
static void Binary(bool input) {
    _setmode(_fileno(input ? stdin : stdout), _O_BINARY);
}
#else
static void (*const Binary)(bool) = nullptr;  // bytes pass unchanged already
#endif

int main(int argc, char** argv) {
    return zt::cli::RunCli(argc, argv,
                           {std::cout, std::cerr, isatty(STDERR_FILENO) == 1, &std::cin,
                            isatty(STDOUT_FILENO) == 1, Binary});
}
