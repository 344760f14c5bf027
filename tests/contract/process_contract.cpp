// The process port's contract: the same cases for the fake and for Windows (Wine), whose
// children are copies of the test program in child mode.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/strings.h"
#include "contract/registry_world.h"

namespace kestrel::testing {
namespace {

using os::WaitOutcome;
namespace access = os::processaccess;

// Long enough for any start under Wine, short enough to fail rather than hang.
constexpr uint32_t kPatience = 20000;

// A child started for the case, its handles closed when the case ends.
struct Started : os::StartedProcess {
    Started(ProcessWorld& w, const std::string& steps, bool inGroup = false) : ps(w.Processes()) {
        EXPECT_EQ(ps.Start(w.Child(steps), 0, inGroup, *this), 0u) << w.Child(steps);
        EXPECT_NE(pid, 0u);
        EXPECT_NE(process, 0u);
    }
    ~Started() {
        ps.Close(process);
        if (group != 0) {
            ps.Close(group);
        }
    }
    os::Processes& ps;
};

void ExpectExitCode(os::Processes& ps, os::ProcessHandle process, uint32_t expected) {
    uint32_t code = 0;
    ASSERT_EQ(ps.ExitCode(process, code), 0u);
    EXPECT_EQ(code, expected);
}

TEST_P(ProcessContract, AStartedProgramOutlastsAShortWaitThenGivesItsExitCode) {
    Started p(W(), "sleep:1500,exit:7");
    const uint32_t before = W().Now();
    EXPECT_EQ(ps.Wait({p.process}, 100), WaitOutcome::kTimeout);
    EXPECT_GE(W().Now() - before, 90u);
    ExpectExitCode(ps, p.process, os::kStillActive);
    EXPECT_EQ(ps.Wait({p.process}, kPatience), WaitOutcome::kSignalled);
    ExpectExitCode(ps, p.process, 7);
    EXPECT_EQ(ps.Wait({}, 20), WaitOutcome::kTimeout);
}

TEST_P(ProcessContract, AMissingProgramIsNotStarted) {
    os::StartedProcess p;
    const uint32_t rc = ps.Start(W().MissingProgram(), 0, false, p);
    EXPECT_TRUE(rc == 2u || rc == 3u) << rc;
    EXPECT_EQ(p.process, 0u);
}

TEST_P(ProcessContract, TheListShowsAChildWithItsParent) {
    Started p(W(), "sleep:1500");
    std::vector<os::ProcessEntry> entries;
    ASSERT_EQ(ps.List(entries), 0u);
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const os::ProcessEntry& e) { return e.pid == p.pid; });
    ASSERT_NE(it, entries.end());
    EXPECT_EQ(it->parentPid, W().OwnPid());
    EXPECT_EQ(ps.CurrentId(), W().OwnPid());
    os::ProcessHandle opened = 0;
    ASSERT_EQ(ps.Open(p.pid, access::kQueryInformation | access::kSynchronize, opened), 0u);
    EXPECT_EQ(ps.Wait({opened}, kPatience), WaitOutcome::kSignalled);
    ps.Close(opened);
    uint32_t windowPid = 0;
    EXPECT_NE(ps.WindowProcess("Kestrel test: no window has this title", windowPid), 0u);
}

TEST_P(ProcessContract, AGroupCountsWhatTheProgramStartsUntilAllHaveEnded) {
    Started p(W(), "spawn:800", true);
    ASSERT_NE(p.group, 0u);
    EXPECT_EQ(ps.Wait({p.process}, kPatience), WaitOutcome::kSignalled);
    uint32_t count = 0;
    ASSERT_EQ(ps.ActiveCount(p.group, count), 0u);
    EXPECT_EQ(count, 1u);  // the grandchild still runs
    EXPECT_EQ(ps.Wait({p.group}, 50), WaitOutcome::kTimeout);
    EXPECT_EQ(ps.Wait({p.group}, kPatience), WaitOutcome::kSignalled);
    ASSERT_EQ(ps.ActiveCount(p.group, count), 0u);
    EXPECT_EQ(count, 0u);
}

TEST_P(ProcessContract, AProcessOpenedForTerminationEndsWithTheCodeGiven) {
    Started p(W(), "sleep:20000");
    os::ProcessHandle opened = 0;
    ASSERT_EQ(ps.Open(p.pid, access::kTerminate, opened), 0u);
    EXPECT_EQ(ps.Terminate(opened, 3), 0u);
    EXPECT_EQ(ps.Wait({p.process}, kPatience), WaitOutcome::kSignalled);
    ExpectExitCode(ps, p.process, 3);
    EXPECT_EQ(ps.Terminate(opened, 4), 0u);  // already ended
    ps.Close(opened);
}

TEST_P(ProcessContract, WmiListsProcessesByNameWithTheirOwners) {
    auto& wmi = W().Query();
    Started p(W(), "sleep:20000");
    std::vector<os::QueriedProcess> listed;
    ASSERT_EQ(wmi.List(listed), 0u);
    auto child = std::find_if(listed.begin(), listed.end(),
                              [&](const os::QueriedProcess& q) { return q.pid == p.pid; });
    ASSERT_NE(child, listed.end());
    EXPECT_TRUE(EqualsNoCase(child->name, W().ChildName())) << child->name;
    EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                            [&](const os::QueriedProcess& q) { return q.pid == W().OwnPid(); }));

    std::string user, none = "untouched";
    ASSERT_EQ(wmi.GetOwner(p.pid, user), 0u);
    EXPECT_TRUE(EqualsNoCase(user, W().CurrentUser())) << user;
    EXPECT_NE(wmi.GetOwner(0x7FFFFFF0, none), 0u);
    EXPECT_EQ(none, "untouched");

    if (W().WmiTerminateMissing()) {
        EXPECT_NE(wmi.Terminate(p.pid), 0u);
        os::ProcessHandle opened = 0;
        ASSERT_EQ(ps.Open(p.pid, access::kTerminate, opened), 0u);
        EXPECT_EQ(ps.Terminate(opened, 0), 0u);
        ps.Close(opened);
    } else {
        EXPECT_EQ(wmi.Terminate(p.pid), 0u);
    }
    EXPECT_EQ(ps.Wait({p.process}, kPatience), WaitOutcome::kSignalled);
}

}  // namespace
}  // namespace kestrel::testing
