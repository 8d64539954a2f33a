#include <windows.h>

#include <array>
#include <variant>

#include "trace_file.h"
#include "windows_errors.h"
#include "windows_port_names.h"

namespace label::platform {
namespace {

class WindowsTraceFile final : public TraceFile {
public:
    explicit WindowsTraceFile(HANDLE handle) : handle_(handle) {}
    ~WindowsTraceFile() override { CloseHandle(handle_); }
    WindowsTraceFile(const WindowsTraceFile&) = delete;
    WindowsTraceFile& operator=(const WindowsTraceFile&) = delete;

    std::string append(std::string_view line) override {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(line.size());
        if (WriteFile(handle_, line.data(), size, &written, nullptr) == FALSE) {
            return describeError(GetLastError());
        }
        return written == size ? std::string() : describeError(ERROR_DISK_FULL);
    }

private:
    HANDLE handle_;
};

// A value from the system's own description of itself, or "".
std::string currentVersion(const char* value) {
    std::array<char, MAX_PATH> text{};
    auto size = static_cast<DWORD>(text.size());
    if (RegGetValueA(HKEY_LOCAL_MACHINE, R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion)", value, RRF_RT_REG_SZ,
                     nullptr, text.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    return text.data();
}

}  // namespace

// A port's name is refused before it is opened: opening one is already
// felt by the printer on some ports.
TraceFileOpening openTraceFile(const std::string& path) {
    if (std::holds_alternative<Device>(readDeviceName(path))) {
        return {nullptr, std::string(notATraceFile)};
    }
    const HANDLE handle = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {nullptr, describeError(GetLastError())};
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return {nullptr, std::string(notATraceFile)};
    }
    return {std::make_unique<WindowsTraceFile>(handle), {}};
}

std::string systemName() {
    const std::string product = currentVersion("ProductName");
    const std::string build = currentVersion("CurrentBuildNumber");
    return (product.empty() ? "Windows" : product) + (build.empty() ? "" : ", build " + build);
}

}  // namespace label::platform
