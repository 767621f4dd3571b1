#include "framework/core/OwnedHandle.h"

#include "framework/core/ScopeGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Writes "<tag>:<handle>" for each close, so a test sees which closer closed what, and how often.
struct TLoggingCloser {
    std::vector<std::string>* log = nullptr;
    std::string tag;
    bool answer = true;
    static int Invalid() { return -1; }
    bool operator()(int handle) const
    {
        log->push_back(tag + ":" + std::to_string(handle));
        return answer;
    }
};
using TLogged = TOwnedHandle<int, TLoggingCloser>;

TEST(OwnedHandle, ClosesEachHandleOnceWithTheCloserItCameWith)
{
    std::vector<std::string> log;
    {
        TLogged a(1, {&log, "a"});
        TLogged b(2, {&log, "b"});
        TLogged empty;
        EXPECT_FALSE(empty);
        EXPECT_TRUE(a);

        a.Reset(3);            // closes 1
        b = std::move(a);      // closes 2; b now holds 3 with a's closer
        EXPECT_FALSE(a);
        TLogged c(std::move(b));
        EXPECT_EQ(7, TLogged(7, {&log, "r"}).Release());  // given up: never closed
        EXPECT_EQ(3, c.Get());
    }                          // closes 3 once, through "a"
    EXPECT_EQ((std::vector<std::string>{"a:1", "b:2", "a:3"}), log);
}

TEST(OwnedHandle, CloseTellsWhetherTheCloserSucceeded)
{
    std::vector<std::string> log;
    TLogged failing(5, {&log, "f", false});
    EXPECT_FALSE(failing.Close());
    EXPECT_TRUE(failing.Close()) << "nothing is held any more";
    EXPECT_EQ(1u, log.size());
}

TEST(ScopeGuard, RestoresOnEveryPathUnlessDismissed)
{
    int value = 1;
    std::vector<std::string> ran;
    auto throwing = [&] {
        TTemporaryValue<int> changed(value, 2);
        TScopeExit undo([&] { ran.push_back("undo"); });
        TScopeExit kept([&] { ran.push_back("kept"); });
        kept.Dismiss();
        EXPECT_EQ(2, value);
        throw std::runtime_error("fails half way");
    };
    EXPECT_THROW(throwing(), std::runtime_error);
    EXPECT_EQ(1, value);
    EXPECT_EQ(std::vector<std::string>{"undo"}, ran);
}

} // namespace
