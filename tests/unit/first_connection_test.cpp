// Of a name's addresses, the first to connect is taken (only a live printer
// can be): one that never answers (its listener's queue is full) costs
// nextAttemptDelay, one that refuses nothing; with none, the reason is that
// of the attempt to end last.

#include "first_connection.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "case_names.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

enum class Printer { dead, refusing, live };

// Printers of the kinds asked for on 127.0.0.1, their addresses in a chain.
struct Printers {
    explicit Printers(const std::vector<Printer>& kinds) {
        for (const Printer kind : kinds) {
            sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
            socklen_t size = sizeof address;
            auto* named = reinterpret_cast<sockaddr*>(&address);
            const int server = fds.emplace_back(::socket(AF_INET, SOCK_STREAM, 0));
            ::bind(server, named, size);
            ::getsockname(server, named, &size);
            if (kind != Printer::refusing) {
                ::listen(server, kind == Printer::live ? 8 : 0);
            }
            if (kind == Printer::dead) {  // its one place in the queue taken
                ::connect(fds.emplace_back(::socket(AF_INET, SOCK_STREAM, 0)), named, size);
            }
            const addrinfo hints{0, AF_INET, SOCK_STREAM, 0, 0, nullptr, nullptr, nullptr};
            ::getaddrinfo("127.0.0.1", std::to_string(ntohs(address.sin_port)).c_str(), &hints, &chain.emplace_back());
        }
        for (std::size_t link = 1; link < chain.size(); ++link) {
            chain[link - 1]->ai_next = chain[link];
        }
    }
    ~Printers() {
        for (addrinfo* link : chain) {
            link->ai_next = nullptr;
            ::freeaddrinfo(link);
        }
        for (const int fd : fds) {
            ::close(fd);
        }
    }

    std::vector<int> fds;
    std::vector<addrinfo*> chain;
};

struct RaceCase {
    const char* what;
    std::vector<Printer> printers;
    int reason;  // why none was reached, or 0: the live one was
    milliseconds atLeast, below;
};

void PrintTo(const RaceCase& row, std::ostream* out) { *out << row.what; }

class Race : public ::testing::TestWithParam<RaceCase> {};

constexpr milliseconds patience{1000};

TEST_P(Race, TakesTheFirstAddressToConnectWithinThePatience) {
    const RaceCase& row = GetParam();
    const Printers printers(row.printers);
    const auto start = Clock::now();
    int reason = 0;
    const Socket socket = connectFirst(printers.chain.front(), start + patience, reason);
    const auto took = Clock::now() - start;
    EXPECT_TRUE(took >= row.atLeast && took < row.below) << (took / milliseconds(1)) << " ms";
    EXPECT_EQ(socket != noSocket, row.reason == 0);
    if (socket != noSocket) {
        ::close(socket);
    } else {
        EXPECT_EQ(reason, row.reason);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Race,
    ::testing::Values(
        RaceCase{"dead, then live", {Printer::dead, Printer::live}, 0, nextAttemptDelay, patience},
        RaceCase{"refusing, then live", {Printer::refusing, Printer::live}, 0, {}, nextAttemptDelay},
        RaceCase{"dead, then refusing", {Printer::dead, Printer::refusing}, ETIMEDOUT, patience, 2 * patience}),
    testing::caseName<RaceCase>);

}  // namespace
}  // namespace label::platform
