// The least a menu program can do between Enter and the port: the same
// prompts as labelcom's for the harness to wait on, and for every line read,
// one write of the command line to the port named by the first argument.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <string_view>

namespace {

void say(int fd, std::string_view text) { static_cast<void>(::write(fd, text.data(), text.size())); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const int port = ::open(argv[1], O_WRONLY | O_NOCTTY);
    termios raw{};
    if (::tcgetattr(port, &raw) == 0) {
        raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        ::tcsetattr(port, TCSANOW, &raw);
    }
    say(STDOUT_FILENO, "change the parameters on your serial port\n");
    char line[64];
    bool prepared = false;
    while (::read(STDIN_FILENO, line, sizeof line) > 0 && line[0] != '9') {
        if (prepared) {
            say(port, "U\r\n");
        }
        prepared = true;
        say(STDOUT_FILENO, "Any other choice will exit you out of the program\n\n");
    }
    return 0;
}
