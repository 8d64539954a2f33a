#include "device_id.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "console.h"

namespace label {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char byte) { return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool sameKey(std::string_view key, std::string_view wanted) {
    return std::equal(key.begin(), key.end(), wanted.begin(), wanted.end(), [](char left, char right) {
        return std::toupper(static_cast<unsigned char>(left)) == std::toupper(static_cast<unsigned char>(right));
    });
}

// The value of the first field named by any of `keys`, or "".
std::string_view field(std::string_view deviceId, std::initializer_list<std::string_view> keys) {
    while (!deviceId.empty()) {
        const std::size_t end = std::min(deviceId.find(';'), deviceId.size());
        const std::string_view pair = deviceId.substr(0, end);
        deviceId.remove_prefix(std::min(end + 1, deviceId.size()));
        const std::size_t colon = pair.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmed(pair.substr(0, colon));
        if (std::any_of(keys.begin(), keys.end(), [key](std::string_view wanted) { return sameKey(key, wanted); })) {
            return trimmed(pair.substr(colon + 1));
        }
    }
    return {};
}

}  // namespace

std::optional<std::string> printerName(std::string_view deviceId) {
    const std::string_view maker = field(deviceId, {"MFG", "MANUFACTURER"}).substr(0, nameLength);
    const std::string_view model = field(deviceId, {"MDL", "MODEL"}).substr(0, nameLength);
    if (maker.empty() && model.empty()) {
        return std::nullopt;
    }
    const std::string_view gap = maker.empty() || model.empty() ? "" : " ";
    return printable(std::string(maker) + std::string(gap) + std::string(model));
}

std::string_view lengthPrefixed(std::string_view reply) {
    constexpr std::size_t lengthBytes = 2;
    constexpr unsigned byteBits = 8;
    if (reply.size() < lengthBytes) {
        return {};
    }
    const std::size_t length = static_cast<std::size_t>(static_cast<unsigned char>(reply[0])) << byteBits |
                               static_cast<unsigned char>(reply[1]);
    if (length < lengthBytes) {
        return {};
    }
    return reply.substr(lengthBytes, std::min(length, reply.size()) - lengthBytes);
}

}  // namespace label
