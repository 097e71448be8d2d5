#include "app/DemoSession.h"

#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRShell.h"
#include "app/services/ZMRTaskTypes.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"

#include <cstdio>
#include <optional>

namespace {

// The outcome of one uplink task.
class Outcome : public pf::Object, public IKRUplinkTaskDelegate {
public:
    void krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value& answer, const pf::Protocol*) override
    {
        results = answer;
        done = true;
    }
    void krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& failure, const pf::Protocol*) override
    {
        error = failure;
        done = true;
    }
    bool done = false;
    pf::Value results;
    std::optional<pf::Error> error;
};

// The server's code for an account name that is taken.
constexpr long long kAccountExists = 264;

std::optional<pf::Error> send(const std::shared_ptr<ZMRShell>& shell, const pf::Protocol* type,
                              const std::shared_ptr<KRUplinkTask>& task, double timeout)
{
    auto outcome = std::make_shared<Outcome>();
    task->setDelegate(outcome);
    task->setSource(shell);
    if (!shell->handle(type, task, 0))
        return pf::Error{"zomaru", -1, "no service takes " + type->name()};
    if (!pf::RunLoop::main().runUntil([&] { return outcome->done; }, pf::Seconds(timeout)))
        return pf::Error{"zomaru", -2, "no answer from the application server"};
    return outcome->error;
}

void printError(const char* what, const pf::Error& error)
{
    std::printf("%s failed: %s %lld %s\n", what, error.domain.c_str(), error.code, error.description.c_str());
}

}

namespace {

// Registers the demo account, or signs in with it when it exists already.
std::optional<pf::Error> signInAfresh(const std::shared_ptr<ZMRShell>& shell, const DemoAccount& demo, double timeout)
{
    auto registration = std::make_shared<ZMRRegisterTask>();
    registration->setAccount(demo.account);
    registration->setPassword(demo.password);
    registration->setNick(demo.nick);
    auto error = send(shell, proto::IZMRRegisterTask(), registration, timeout);
    if (error && error->code == kAccountExists) {
        auto login = std::make_shared<ZMRLoginTask>();
        login->setAccount(demo.account);
        login->setPassword(demo.password);
        error = send(shell, proto::IZMRLoginTask(), login, timeout);
    }
    return error;
}

}

int runDemoSession(const std::shared_ptr<ZMRShell>& shell, const DemoAccount& demo, double timeout)
{
    std::optional<pf::Error> error;
    if (!shell->uid().isNil() && shell->nick()) {
        error = send(shell, proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>(), timeout);
        // The server answered and refused the stored sign-in (a new server
        // database, say): sign in again as a person would at the sign-in
        // screen. Failures of our own or of the network (codes of zero and
        // below) are not the server's word and end the start.
        if (error && error->code > 0) {
            std::printf("The stored sign-in was refused (%lld %s); signing in afresh\n", error->code,
                        error->description.c_str());
            error = signInAfresh(shell, demo, timeout);
        }
    } else {
        error = signInAfresh(shell, demo, timeout);
    }
    if (error) {
        printError("Sign-in", *error);
        return 1;
    }
    std::printf("Signed in: uid %s, account %s, nick %s\n", shell->uid().description().c_str(),
                shell->account().value_or("-").c_str(), shell->nick().value_or("-").c_str());
    return 0;
}
