#include <unistd.h>

#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
    return zt::cli::RunCli(argc, argv,
                           {std::cout, std::cerr, isatty(STDOUT_FILENO) == 1, &std::cin});
}
