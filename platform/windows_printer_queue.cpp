#include "windows_printer_queue.h"

#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "console.h"
#include "device_id.h"
#include "helper_thread.h"
#include "port_words.h"
#include "queue_state.h"
#include "windows_errors.h"
#include "windows_queue_status.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

static_assert(PRINTER_STATUS_PAUSED == spoolerPaused && PRINTER_STATUS_ERROR == spoolerError &&
              PRINTER_STATUS_PAPER_OUT == spoolerPaperOut && PRINTER_STATUS_OFFLINE == spoolerOffLine);

// How long the printer's status may take to come after a shortfall: the
// operator has waited out the patience once already.
constexpr milliseconds askPatience{1000};

// Said where a paused printer holds a job.
constexpr std::string_view resumeWords = "Resume printing, in the printer's queue window,";

// The calls the spooler can refuse, for the words the operator is told.
enum class Step { open, start, write, end };

// The printers installed here, local ones and connections, by name, each
// with its driver's name, by which an operator tells a label printer from
// an office one.
std::vector<std::string> installedPrinters() {
    constexpr DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    constexpr DWORD withDrivers = 2;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersA(flags, nullptr, withDrivers, nullptr, 0, &needed, &count);
    // PRINTER_INFO_2A holds pointers: the buffer is laid out in them.
    std::vector<PRINTER_INFO_2A> list(needed / sizeof(PRINTER_INFO_2A) + 1);
    const auto size = static_cast<DWORD>(list.size() * sizeof(PRINTER_INFO_2A));
    if (EnumPrintersA(flags, nullptr, withDrivers, reinterpret_cast<BYTE*>(list.data()), size, &needed, &count) ==
        FALSE) {
        return {};
    }
    std::vector<std::string> names;
    for (DWORD each = 0; each < count; ++each) {
        const std::string_view driver = list[each].pDriverName == nullptr ? "" : list[each].pDriverName;
        names.emplace_back(list[each].pPrinterName);
        if (!driver.empty()) {
            names.back() += " (" + printable(driver.substr(0, nameLength)) + ")";
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// What one spooler call reported.
struct Call {
    DWORD error = ERROR_SUCCESS;
    Step step = Step::open;
    std::size_t taken = 0;
    std::vector<std::string> printers;  // an open that found no such printer: those there are
    std::optional<QueueState> state;    // the printer's, where it was asked
};

// The printer as the spooler holds it, shared by the port and its calls;
// calls on it never overlap. The last owner lets it go.
class Printer {
public:
    explicit Printer(std::string_view program) : jobName_(program) {}
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;
    ~Printer() { letGo(); }

    void open(std::string name, Call& call) {
        PRINTER_DEFAULTSA defaults{rawType_.data(), nullptr, PRINTER_ACCESS_USE};
        if (OpenPrinterA(name.data(), &handle_, &defaults) == FALSE) {
            handle_ = nullptr;
            call.error = GetLastError();
            if (call.error == ERROR_INVALID_PRINTER_NAME) {
                call.printers = installedPrinters();
            }
            return;
        }
        ask(call);
        paused_ = call.state && call.state->paused;
    }

    // The printer's status as the spooler holds it; nothing where it gives none.
    void ask(Call& call) {
        DWORD needed = 0;
        GetPrinterA(handle_, 2, nullptr, 0, &needed);
        // PRINTER_INFO_2A holds pointers: the buffer is laid out in them.
        std::vector<PRINTER_INFO_2A> info(needed / sizeof(PRINTER_INFO_2A) + 1);
        const auto size = static_cast<DWORD>(info.size() * sizeof(PRINTER_INFO_2A));
        if (GetPrinterA(handle_, 2, reinterpret_cast<BYTE*>(info.data()), size, &needed) != FALSE) {
            call.state = queueStateFromStatus(info.front().Status);
        }
    }

    void write(std::string& bytes, Call& call) {
        call.step = Step::start;
        if (!documentOpen_) {
            DOC_INFO_1A document{jobName_.data(), nullptr, rawType_.data()};
            if (StartDocPrinterA(handle_, 1, reinterpret_cast<BYTE*>(&document)) == 0) {
                call.error = GetLastError();
                return;
            }
            documentOpen_ = true;
        }
        call.step = Step::write;
        while (call.taken < bytes.size()) {
            const auto offered = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - call.taken, MAXDWORD));
            DWORD written = 0;
            const BOOL wrote = WritePrinter(handle_, bytes.data() + call.taken, offered, &written);
            call.taken += written;
            if (wrote == FALSE) {
                call.error = GetLastError();
                return;
            }
            if (written == 0) {
                return;  // taking nothing now: the port is stalled, not failed
            }
        }
    }

    void end(Call& call) {
        call.step = Step::end;
        documentOpen_ = false;
        if (EndDocPrinter(handle_) == FALSE) {
            call.error = GetLastError();
        }
    }

    void letGo() {
        if (documentOpen_) {
            EndDocPrinter(handle_);
            documentOpen_ = false;
        }
        if (handle_ != nullptr) {
            ClosePrinter(handle_);
            handle_ = nullptr;
        }
    }

    [[nodiscard]] bool documentOpen() const { return documentOpen_; }
    [[nodiscard]] bool paused() const { return paused_; }

private:
    HANDLE handle_ = nullptr;
    bool paused_ = false;
    bool documentOpen_ = false;
    std::string jobName_;
    std::string rawType_ = "RAW";
};

class QueuePort final : public RawPort {
public:
    QueuePort(std::string_view program, std::string shown)
        : printer_(std::make_shared<Printer>(program)), shown_(std::move(shown)) {}
    // With a call still running, that call lets the printer go when it ends.
    ~QueuePort() override {
        if (!hung_) {
            call([printer = printer_](Call&) { printer->letGo(); }, writePatience);
        }
    }
    QueuePort(const QueuePort&) = delete;
    QueuePort& operator=(const QueuePort&) = delete;

    // Why the printer could not be opened, or nothing.
    std::optional<std::string> open(const std::string& queue) {
        if (!call([printer = printer_, queue](Call& call) { printer->open(queue, call); }, writePatience)) {
            return spoolerTimedOut();
        }
        if (last_.error == ERROR_INVALID_PRINTER_NAME) {
            return missingQueueWords(queue, last_.printers, "add the printer in Windows' printer settings first");
        }
        if (last_.error != ERROR_SUCCESS) {
            return describeError(last_.error);
        }
        return std::nullopt;
    }

    RawOutcome write(std::string_view bytes, milliseconds patience) override {
        if (!hung_) {
            call([printer = printer_, bytes = std::string(bytes)](Call& call) mutable { printer->write(bytes, call); },
                 patience);
        }
        return outcome(bytes.size());
    }

    RawOutcome drain(milliseconds patience) override {
        if (hung_) {
            return outcome(0);
        }
        if (!printer_->documentOpen()) {
            return {};
        }
        call([printer = printer_](Call& call) { printer->end(call); }, patience);
        delivered_ = !hung_ && last_.error == ERROR_SUCCESS;
        return outcome(0);
    }

    [[nodiscard]] std::optional<std::string> printerSays() override {
        if (hung_ || !call([printer = printer_](Call& call) { printer->ask(call); }, askPatience) || !last_.state) {
            return std::nullopt;
        }
        return queueSays(*last_.state);
    }

    [[nodiscard]] std::optional<std::string> heldBack() override {
        if (!delivered_ || !printer_->paused()) {
            return std::nullopt;
        }
        return heldJobWords(shown_, resumeWords, state_);
    }

    [[nodiscard]] std::string describe(std::uint32_t error) const override {
        if (error == WAIT_TIMEOUT) {
            return spoolerTimedOut();
        }
        switch (failedStep_) {
        case Step::start:
            return "the print spooler started no job: " + describeError(error);
        case Step::end:
            return "the print spooler did not take the job: " + describeError(error);
        case Step::open:
        case Step::write:
            break;
        }
        return describeError(error);
    }

private:
    // Runs `work` on a helper thread; true if it finished within
    // `patience`. A call that could not be started has failed at once.
    bool call(std::function<void(Call&)> work, milliseconds patience) {
        auto ran = answerBy<Call>(
            [work = std::move(work)] {
                Call call;
                work(call);
                return call;
            },
            Clock::now() + patience);
        last_ = ran.answer ? std::move(*ran.answer) : Call{};
        if (ran.notStarted) {
            last_.error = *ran.notStarted;
            return true;
        }
        hung_ = !ran.answer;
        if (last_.state) {
            state_ = *last_.state;
        }
        return !hung_;
    }

    // What the last call reported: a call still running is a failure that
    // ends the port, whatever it may yet take.
    RawOutcome outcome(std::size_t offered) {
        if (hung_) {
            return {0, false, WAIT_TIMEOUT};
        }
        failedStep_ = last_.step;
        const bool failed = last_.error != ERROR_SUCCESS;
        return {last_.taken, !failed && last_.taken == offered,
                failed ? std::optional<std::uint32_t>(last_.error) : std::nullopt};
    }

    std::shared_ptr<Printer> printer_;
    std::string shown_;
    Call last_;
    QueueState state_;
    bool hung_ = false;
    bool delivered_ = false;
    Step failedStep_ = Step::open;
};

}  // namespace

std::string spoolerTimedOut() {
    return "the print spooler gave no answer within " + patienceWords() +
           " (is the printer off line, or the Print Spooler service stopped?)";
}

PortOpening openPrinterQueue(const std::string& queue, std::string shown, std::string_view program) {
    auto port = std::make_unique<QueuePort>(program, shown);
    if (auto problem = port->open(queue)) {
        return {nullptr, std::move(shown), std::move(*problem)};
    }
    return {std::move(port), std::move(shown), {}};
}

}  // namespace label::platform
