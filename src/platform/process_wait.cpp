#include "platform/process_wait.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "core/context.h"
#include "os/owned.h"

namespace kestrel {
namespace {

// The longest single block: the state is read again at least this often.
constexpr uint32_t kLongestBlock = 1000;
// How often the process list is read again while waiting through the parent relation.
constexpr uint32_t kScanInterval = 25;

// One way of telling that the target has ended, and of blocking until it may have.
class ExitWatch {
public:
    virtual ~ExitWatch() = default;
    virtual bool Ended() = 0;
    virtual void Block(uint32_t ms) = 0;
};

class ProcessWatch : public ExitWatch {
public:
    ProcessWatch(os::Processes& p, os::ProcessHandle h) : m_p(p), m_h(h) {}
    bool Ended() override {
        uint32_t code = 0;
        if (m_p.ExitCode(m_h, code) != 0) {
            return true;
        }
        // A program may itself end with 259; the handle's state tells.
        return code != os::kStillActive || m_p.Wait({m_h}, 0) == os::WaitOutcome::kSignalled;
    }
    void Block(uint32_t ms) override { (void)m_p.Wait({m_h}, ms); }

private:
    os::Processes& m_p;
    os::ProcessHandle m_h;
};

class GroupWatch : public ExitWatch {
public:
    GroupWatch(os::Processes& p, os::ProcessHandle group) : m_p(p), m_group(group) {}
    bool Ended() override {
        uint32_t count = 0;
        return m_p.ActiveCount(m_group, count) != 0 || count == 0;
    }
    void Block(uint32_t ms) override { (void)m_p.Wait({m_group}, ms); }

private:
    os::Processes& m_p;
    os::ProcessHandle m_group;
};

// The started process and every process whose parent is one of the tree's processes, found
// in the process list. Processes that ran before the start never join the tree.
class DescendantWatch : public ExitWatch {
public:
    DescendantWatch(os::Processes& p, const WaitTarget& target)
        : m_p(p),
          m_root(p, target.started.process),
          m_rootPid(target.started.pid),
          m_rootHandle(target.started.process) {
        m_tree.insert(m_rootPid);
        for (const os::ProcessEntry& e : target.beforeStart) {
            m_before.insert(e.pid);
        }
    }
    bool Ended() override {
        m_rootEnded = m_rootEnded || m_root.Ended();
        Scan();
        return m_rootEnded && m_open.empty() && !m_unwatched;
    }
    void Block(uint32_t ms) override {
        std::vector<os::ProcessHandle> handles;
        if (!m_rootEnded) {
            handles.push_back(m_rootHandle);
        }
        for (auto& [pid, handle] : m_open) {
            handles.push_back(handle.Get());
        }
        (void)m_p.Wait(handles, std::min(ms, kScanInterval));
    }

private:
    void Scan() {
        std::vector<os::ProcessEntry> entries;
        if (m_p.List(entries) != 0) {
            return;
        }
        for (bool grew = true; grew;) {
            grew = false;
            for (const os::ProcessEntry& e : entries) {
                if (m_before.count(e.pid) == 0 && m_tree.count(e.pid) == 0 &&
                    m_tree.count(e.parentPid) != 0) {
                    m_tree.insert(e.pid);
                    grew = true;
                }
            }
        }
        std::set<uint32_t> alive;
        for (const os::ProcessEntry& e : entries) {
            if (e.pid != m_rootPid && m_tree.count(e.pid) != 0) {
                alive.insert(e.pid);
            }
        }
        for (auto it = m_open.begin(); it != m_open.end();) {
            if (alive.count(it->first) == 0) {
                it = m_open.erase(it);
            } else {
                ++it;
            }
        }
        m_unwatched = false;
        for (uint32_t pid : alive) {
            if (m_open.count(pid) != 0) {
                continue;
            }
            os::OwnedProcess h(m_p);
            if (m_p.Open(pid,
                         os::processaccess::kSynchronize | os::processaccess::kQueryInformation,
                         h.Out()) == 0) {
                m_open.emplace(pid, std::move(h));
            } else {
                m_unwatched = true;  // still listed, so still running
            }
        }
    }

    os::Processes& m_p;
    ProcessWatch m_root;
    uint32_t m_rootPid;
    os::ProcessHandle m_rootHandle;
    bool m_rootEnded = false;
    bool m_unwatched = false;
    std::set<uint32_t> m_tree;
    std::set<uint32_t> m_before;
    std::map<uint32_t, os::OwnedProcess> m_open;  // the tree's processes, without the root
};

}  // namespace

WaitResult WaitForProcess(Context& ctx, const WaitTarget& target, uint32_t startTime,
                          bool useTimeout, int32_t timeoutMs) {
    os::Processes& p = ctx.os.processes;
    std::unique_ptr<ExitWatch> watch;
    if (!target.descendants) {
        watch = std::make_unique<ProcessWatch>(p, target.started.process);
    } else if (target.started.group != 0) {
        watch = std::make_unique<GroupWatch>(p, target.started.group);
    } else {
        watch = std::make_unique<DescendantWatch>(p, target);
    }
    auto elapsed = [&] { return static_cast<int64_t>(ctx.os.clock.Milliseconds() - startTime); };
    WaitResult result;
    for (;;) {
        bool ended = watch->Ended();
        uint32_t code = 0;
        result.exitCode = p.ExitCode(target.started.process, code) == 0 ? code : result.exitCode;
        ctx.os.prompts.DoEvents();
        if (ended) {
            result.end = WaitEnd::kEnded;
            return result;
        }
        uint32_t slice = kLongestBlock;
        if (useTimeout) {
            // Wake just after the time-out, which must be strictly exceeded.
            int64_t remaining = static_cast<int64_t>(timeoutMs) - elapsed() + 1;
            slice = static_cast<uint32_t>(std::clamp<int64_t>(remaining, 1, kLongestBlock));
        }
        watch->Block(slice);
        if (useTimeout && elapsed() > timeoutMs) {
            result.end = WaitEnd::kTimedOut;
            return result;
        }
    }
}

}  // namespace kestrel
