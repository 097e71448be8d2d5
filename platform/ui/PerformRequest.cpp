#include "platform/ui/PerformRequest.h"

#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AnimationClock.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pf {

namespace {

struct Request {
    std::uint64_t id = 0;
    ObjectRef target;
    std::string name;
    double due = 0; // on the manual clock; 0 for loop and timer requests
    bool manual = false;
    std::function<void()> fn;
};

std::vector<Request>& pending()
{
    static auto* requests = new std::vector<Request>;
    return *requests;
}

void fire(std::uint64_t id)
{
    auto& list = pending();
    auto it = std::find_if(list.begin(), list.end(), [&](const Request& r) { return r.id == id; });
    if (it == list.end())
        return; // cancelled
    Request request = std::move(*it);
    list.erase(it);
    if (request.fn)
        request.fn();
}

}

void performAfterDelay(ObjectRef target, std::string name, double delay, std::function<void()> fn)
{
    PF_ASSERT_MAIN_THREAD();
    static std::uint64_t nextId = 0;
    Request request;
    request.id = ++nextId;
    request.target = std::move(target);
    request.name = std::move(name);
    request.fn = std::move(fn);
    std::uint64_t id = request.id;
    AnimationClock& clock = AnimationClock::current();
    if (!(delay > 0)) {
        pending().push_back(std::move(request));
        RunLoop::main().post([id] { fire(id); });
    } else if (clock.isManual()) {
        request.manual = true;
        request.due = clock.now() + delay;
        pending().push_back(std::move(request));
    } else {
        pending().push_back(std::move(request));
        RunLoop::main().scheduleTimer(Seconds(delay), false, [id] { fire(id); });
    }
}

void cancelPreviousPerformRequests(const Object& target, std::string_view name)
{
    PF_ASSERT_MAIN_THREAD();
    // The requests hold their targets; release them after the list is consistent.
    std::vector<Request> cancelled;
    auto& list = pending();
    for (auto it = list.begin(); it != list.end();) {
        if (it->target.get() == &target && (name.empty() || it->name == name)) {
            cancelled.push_back(std::move(*it));
            it = list.erase(it);
        } else {
            ++it;
        }
    }
}

std::size_t pendingPerformRequestCount() { return pending().size(); }

void runDuePerformRequests(double now)
{
    for (;;) {
        auto& list = pending();
        auto best = list.end();
        for (auto it = list.begin(); it != list.end(); ++it)
            if (it->manual && it->due <= now && (best == list.end() || it->due < best->due))
                best = it;
        if (best == list.end())
            return;
        fire(best->id);
    }
}

}
