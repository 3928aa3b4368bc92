#include <stdio.h>
#include <unistd.h>

#include <iostream>

#include "cli/cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

// Settings bytes pass unchanged: no CR put before a 10, none taken out.
static void Binary(bool input) {
    _setmode(_fileno(input ? stdin : stdout), _O_BINARY);
}

// The console's size, and the escape sequences that redraw several ports'
// lines in place, which the console takes once asked to.
static void ErrTerminal(zt::cli::Streams& io) {
    const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleMode(console, &mode) || !GetConsoleScreenBufferInfo(console, &info)) return;
    SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    io.errColumns = info.srWindow.Right - info.srWindow.Left + 1;
    io.errRows = info.srWindow.Bottom - info.srWindow.Top + 1;
}
#else
#include <sys/ioctl.h>

static void (*const Binary)(bool) = nullptr;  // bytes pass unchanged already

static void ErrTerminal(zt::cli::Streams& io) {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return;  // 0, or -1 with errno
    io.errColumns = size.ws_col;
    io.errRows = size.ws_row;
}
#endif

int main(int argc, char** argv) {
    zt::cli::Streams io{
        std::cout, std::cerr, isatty(STDERR_FILENO) == 1, &std::cin, isatty(STDOUT_FILENO) == 1,
        Binary};
    if (io.errTerminal) ErrTerminal(io);
    return zt::cli::RunCli(argc, argv, io);
}
