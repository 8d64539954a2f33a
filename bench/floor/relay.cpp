// The least a menu program can do between its input and the port: labelcom's
// first prompt and its end-of-menu line for the harness to wait on, and for
// every line that is "1", one write of the command line to the port named by
// the first argument, opened as the shell's >> opens it. A line "9" or the
// end of the input ends the run; any other line sends nothing, as labelcom's
// answer 2 (leave the port as it is) does.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace {

void say(int fd, std::string_view text) { static_cast<void>(::write(fd, text.data(), text.size())); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const int port = ::open(argv[1], O_WRONLY | O_NOCTTY | O_APPEND);
    termios raw{};
    if (::tcgetattr(port, &raw) == 0) {
        raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        ::tcsetattr(port, TCSANOW, &raw);
    }
    say(STDOUT_FILENO, "change the parameters on your serial port\n");
    char input[64];
    ssize_t got = 0;
    while ((got = ::read(STDIN_FILENO, input, sizeof input)) > 0) {
        for (std::string_view lines(input, static_cast<std::size_t>(got)); !lines.empty();) {
            const std::string_view line = lines.substr(0, lines.find('\n'));
            lines.remove_prefix(std::min(lines.size(), line.size() + 1));
            if (line == "9") {
                return 0;
            }
            if (line == "1") {
                say(port, "U\r\n");
            }
            say(STDOUT_FILENO, "Any other choice will exit you out of the program\n\n");
        }
    }
    return 0;
}
