#include "posix_printer_queue.h"

#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "bounded_port.h"
#include "helper_thread.h"
#include "port_words.h"
#include "posix_cups_library.h"
#include "queue_state.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

// How long the printer's state may take to come after a shortfall: the
// operator has waited out the patience once already.
constexpr milliseconds askPatience{1000};
constexpr int connectMilliseconds = 5000;

// What one call reported; empty words mean it went through.
struct Call {
    std::string failure;
    std::size_t taken = 0;
    std::optional<QueueState> state;
};

// A server's answer, freed with it.
using Answer = std::unique_ptr<ipp_t, decltype(&::ippDelete)>;

// The queues the server knows, by name.
std::vector<std::string> serverQueues(const CupsLibrary& cups, http_t* http) {
    cups_dest_t* dests = nullptr;
    const int count = cups.getDests(http, &dests);
    std::vector<std::string> names;
    for (int each = 0; each < count; ++each) {
        if (dests[each].instance == nullptr) {
            names.emplace_back(dests[each].name);
        }
    }
    cups.freeDests(count, dests);
    std::sort(names.begin(), names.end());
    return names;
}

// The connection to the server and the job on it, shared by the port and
// its calls; calls on it never overlap. The last owner lets it go.
class Queue {
public:
    Queue(const CupsLibrary& cups, std::string name, std::string_view program)
        : cups_(cups), name_(std::move(name)), program_(program) {}
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;
    ~Queue() { letGo(); }

    void open(Call& call) {
        const char* server = cups_.server();
        http_ = cups_.connect(server, cups_.port(), nullptr, AF_UNSPEC, cups_.encryption(), 1, connectMilliseconds,
                              nullptr);
        if (http_ == nullptr) {
            call.failure = std::string("no print service answers at ") + server + " (is cupsd running?)";
            return;
        }
        ask(call);
        if (!call.failure.empty() || !call.state) {
            return;
        }
        paused_ = call.state->paused;
        if (!accepting_) {
            call.failure = "the queue refuses jobs" +
                           (call.state->message.empty() ? std::string() : ": " + call.state->message) +
                           " (cupsaccept " + name_ + " lets them in)";
        }
    }

    // The queue's state; a name the server does not know comes back as the
    // queues it has.
    void ask(Call& call) {
        Answer answer(cups_.doRequest(http_, stateRequest(), "/"), cups_.deleteIpp);
        const ipp_status_t status = cups_.lastError();
        if (status == IPP_STATUS_ERROR_NOT_FOUND) {
            call.failure =
                missingQueueWords(name_, serverQueues(cups_, http_), "set one up first (lpstat -v lists the queues)");
        } else if (answer == nullptr || status > IPP_STATUS_OK_CONFLICTING) {
            call.failure = std::string("the print service gave no state of the queue: ") + cups_.lastErrorString();
        } else {
            call.state = readState(answer.get());
        }
    }

    void write(const std::string& bytes, Call& call) {
        if (!documentOpen_ && !startJob(call)) {
            return;
        }
        if (cups_.writeRequestData(http_, bytes.data(), bytes.size()) != HTTP_STATUS_CONTINUE) {
            call.failure = std::string("the print service took no more of the job: ") + cups_.lastErrorString();
            return;
        }
        call.taken = bytes.size();
    }

    void end(Call& call) {
        documentOpen_ = false;
        if (cups_.finishDocument(http_, name_.c_str()) > IPP_STATUS_OK_CONFLICTING) {
            call.failure = std::string("the print service did not take the job: ") + cups_.lastErrorString();
        }
    }

    void letGo() {
        if (documentOpen_) {
            cups_.finishDocument(http_, name_.c_str());
            documentOpen_ = false;
        }
        if (http_ != nullptr) {
            cups_.close(http_);
            http_ = nullptr;
        }
    }

    [[nodiscard]] bool documentOpen() const { return documentOpen_; }
    [[nodiscard]] bool paused() const { return paused_; }
    [[nodiscard]] const std::string& name() const { return name_; }

private:
    ipp_t* stateRequest() {
        std::array<char, HTTP_MAX_URI> uri{};
        cups_.assembleUri(HTTP_URI_CODING_ALL, uri.data(), static_cast<int>(uri.size()), "ipp", nullptr, "localhost",
                          cups_.port(), ("/printers/" + name_).c_str());
        ipp_t* request = cups_.newRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        cups_.addString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.data());
        static constexpr std::array<const char*, 4> wanted{"printer-state", "printer-state-reasons",
                                                           "printer-state-message", "printer-is-accepting-jobs"};
        cups_.addStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                         static_cast<int>(wanted.size()), nullptr, wanted.data());
        return request;
    }

    QueueState readState(ipp_t* answer) {
        std::vector<std::string> reasons;
        if (ipp_attribute_t* found = cups_.findAttribute(answer, "printer-state-reasons", IPP_TAG_KEYWORD)) {
            for (int each = 0; each < cups_.getCount(found); ++each) {
                if (const char* reason = cups_.getString(found, each, nullptr)) {
                    reasons.emplace_back(reason);
                }
            }
        }
        ipp_attribute_t* state = cups_.findAttribute(answer, "printer-state", IPP_TAG_ENUM);
        const bool stopped = state != nullptr && cups_.getInteger(state, 0) == IPP_PSTATE_STOPPED;
        ipp_attribute_t* message = cups_.findAttribute(answer, "printer-state-message", IPP_TAG_TEXT);
        ipp_attribute_t* accepting = cups_.findAttribute(answer, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
        accepting_ = accepting == nullptr || cups_.getBoolean(accepting, 0) != 0;
        const char* words = message == nullptr ? nullptr : cups_.getString(message, 0, nullptr);
        return queueStateFromReasons(reasons, stopped, words == nullptr ? std::string() : words);
    }

    bool startJob(Call& call) {
        const int job = cups_.createJob(http_, name_.c_str(), program_.c_str(), 0, nullptr);
        if (job == 0) {
            call.failure = std::string("the print service started no job: ") + cups_.lastErrorString();
            return false;
        }
        if (cups_.startDocument(http_, name_.c_str(), job, program_.c_str(), CUPS_FORMAT_RAW, 1) !=
            HTTP_STATUS_CONTINUE) {
            call.failure = std::string("the print service took no document: ") + cups_.lastErrorString();
            return false;
        }
        documentOpen_ = true;
        return true;
    }

    const CupsLibrary& cups_;
    std::string name_;
    std::string program_;
    http_t* http_ = nullptr;
    bool documentOpen_ = false;
    bool paused_ = false;
    bool accepting_ = true;
};

class QueuePort final : public RawPort {
public:
    QueuePort(const CupsLibrary& cups, const std::string& queue, std::string shown, std::string_view program)
        : queue_(std::make_shared<Queue>(cups, queue, program)), shown_(std::move(shown)) {}
    // With a call still running, that call lets the queue go when it ends.
    ~QueuePort() override {
        if (!hung_) {
            call([queue = queue_](Call&) { queue->letGo(); }, writePatience);
        }
    }
    QueuePort(const QueuePort&) = delete;
    QueuePort& operator=(const QueuePort&) = delete;

    // Why the queue cannot take the job, or nothing.
    std::optional<std::string> open() {
        if (!call([queue = queue_](Call& call) { queue->open(call); }, writePatience)) {
            return timedOut();
        }
        if (!last_.failure.empty()) {
            return last_.failure;
        }
        return std::nullopt;
    }

    RawOutcome write(std::string_view bytes, milliseconds patience) override {
        if (!hung_) {
            call([queue = queue_, bytes = std::string(bytes)](Call& call) { queue->write(bytes, call); }, patience);
        }
        return outcome(bytes.size());
    }

    RawOutcome drain(milliseconds patience) override {
        if (hung_) {
            return outcome(0);
        }
        if (!queue_->documentOpen()) {
            return {};
        }
        call([queue = queue_](Call& call) { queue->end(call); }, patience);
        delivered_ = !hung_ && last_.failure.empty();
        return outcome(0);
    }

    [[nodiscard]] std::string describe(std::uint32_t error) const override {
        return error == timedOutCode ? timedOut() : failure_;
    }

    [[nodiscard]] std::optional<std::string> printerSays() override {
        if (hung_ || !call([queue = queue_](Call& call) { queue->ask(call); }, askPatience) || !last_.state) {
            return std::nullopt;
        }
        return queueSays(*last_.state);
    }

    [[nodiscard]] std::optional<std::string> heldBack() override {
        if (!delivered_ || !queue_->paused()) {
            return std::nullopt;
        }
        return heldJobWords(shown_, "cupsenable " + queue_->name(), state_);
    }

private:
    static constexpr std::uint32_t failedCode = 1;
    static constexpr std::uint32_t timedOutCode = 2;

    static std::string timedOut() {
        return "the print service gave no answer within " + patienceWords() + " (has cupsd stopped?)";
    }

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
            last_.failure = "no helper thread would start for the print service";
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
            return {0, false, timedOutCode};
        }
        const bool failed = !last_.failure.empty();
        if (failed) {
            failure_ = last_.failure;
        }
        return {last_.taken, !failed && last_.taken == offered,
                failed ? std::optional<std::uint32_t>(failedCode) : std::nullopt};
    }

    std::shared_ptr<Queue> queue_;
    std::string shown_;
    Call last_;
    QueueState state_;
    std::string failure_;
    bool hung_ = false;
    bool delivered_ = false;
};

}  // namespace

Reading<std::string> readPrinterQueue(std::string_view name) {
    std::string problem;
    if (cupsLibrary(problem) == nullptr) {
        return Refusal{": " + problem};
    }
    return std::string(name);
}

PortOpening openPrinterQueue(const std::string& queue, std::string shown, std::string_view program) {
    std::string problem;
    const CupsLibrary* cups = cupsLibrary(problem);
    if (cups == nullptr) {
        return {nullptr, std::move(shown), std::move(problem)};
    }
    auto port = std::make_unique<QueuePort>(*cups, queue, shown, program);
    if (auto refusal = port->open()) {
        return {nullptr, std::move(shown), std::move(*refusal)};
    }
    return {std::move(port), std::move(shown), {}};
}

}  // namespace label::platform
