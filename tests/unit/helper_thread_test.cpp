// The helper's rule, the same on every system: an answer that is not ready
// by the deadline is waited for until then and no longer, while the work goes
// on with what it shares (an answer in time is what every name lookup gets).

#include "helper_thread.h"

#include <gtest/gtest.h>

#include <future>

namespace label::platform {
namespace {

using std::chrono::milliseconds;

TEST(AnswerBy, GivesUpAtTheDeadlineWhileTheWorkGoesOn) {
    auto gate = std::make_shared<std::promise<void>>();
    auto done = std::make_shared<std::promise<int>>();
    const auto deadline = Clock::now() + milliseconds(50);
    const auto late = answerBy<int>(
        [opened = gate->get_future().share(), done] {
            opened.wait();
            done->set_value(7);
            return 7;
        },
        deadline);
    EXPECT_GE(Clock::now(), deadline);
    EXPECT_FALSE(late.answer || late.notStarted);
    gate->set_value();
    EXPECT_EQ(done->get_future().get(), 7);
}

}  // namespace
}  // namespace label::platform
