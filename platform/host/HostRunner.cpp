#include "platform/host/HostRunner.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/host/DesktopHost.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pf {

namespace {

// "X,Y[,X,Y…]" as exactly `count` finite numbers; nothing else is accepted.
std::optional<std::vector<double>> numbers(const std::string& text, std::size_t count)
{
    std::vector<double> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        char* end = nullptr;
        double value = part.empty() ? NAN : std::strtod(part.c_str(), &end);
        if (part.empty() || *end != '\0' || !std::isfinite(value))
            return std::nullopt;
        values.push_back(value);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (values.size() != count)
        return std::nullopt;
    return values;
}

}

ErrorOr<HostOptions> HostOptions::take(std::vector<std::string>& arguments)
{
    HostOptions options;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--tap" || a == "--drag" || a == "--pinch" || a == "--type") {
            if (i + 1 >= arguments.size())
                return Error{"pf::HostOptions", 2, a + " needs a value"};
            const std::string& value = arguments[++i];
            InputStep step;
            if (a == "--type") {
                step.kind = InputStep::Kind::Type;
                step.text = value;
            } else if (a == "--pinch") {
                auto xys = numbers(value, 3);
                if (!xys || (*xys)[2] <= 0)
                    return Error{"pf::HostOptions", 2, a + " " + value + ": expected X,Y in points and a SCALE above 0"};
                step.kind = InputStep::Kind::Pinch;
                step.from = step.to = {(*xys)[0], (*xys)[1]};
                step.scale = (*xys)[2];
            } else {
                bool tap = a == "--tap";
                auto xy = numbers(value, tap ? 2 : 4);
                if (!xy)
                    return Error{"pf::HostOptions", 2,
                                 a + " " + value + ": expected " + (tap ? "X,Y" : "X1,Y1,X2,Y2") + " in points"};
                step.kind = tap ? InputStep::Kind::Tap : InputStep::Kind::Drag;
                step.from = {(*xy)[0], (*xy)[1]};
                step.to = tap ? step.from : Point{(*xy)[2], (*xy)[3]};
            }
            options.steps.push_back(std::move(step));
            options.headless = true;
        } else if (a == "--shot") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                return Error{"pf::HostOptions", 1, "--shot needs a file name"};
            options.shotPath = arguments[++i];
            options.headless = true;
        } else if (a == "--headless") {
            options.headless = true;
        } else {
            rest.push_back(a);
        }
    }
    arguments = std::move(rest);
    return options;
}

bool takeOptionValue(std::vector<std::string>& arguments, const char* name, std::string& value)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != name)
            continue;
        if (i + 1 >= arguments.size())
            return false;
        value = arguments[i + 1];
        arguments.erase(arguments.begin() + long(i), arguments.begin() + long(i) + 2);
        return true;
    }
    return true;
}

bool hasDisplay()
{
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

void applyInputSteps(HeadlessHost& host, const std::vector<InputStep>& steps, const std::function<void()>& settle)
{
    for (const InputStep& step : steps) {
        switch (step.kind) {
        case InputStep::Kind::Tap: host.tap(step.from); break;
        case InputStep::Kind::Drag: host.drag(step.from, step.to); break;
        case InputStep::Kind::Type: host.type(step.text); break;
        // Fingers a thumb's width apart to start with.
        case InputStep::Kind::Pinch: host.pinch(step.from, 100, 100 * step.scale); break;
        }
        settle();
    }
}

int runHost(const HostOptions& options, Screen& screen)
{
    if (options.shotPath || !options.steps.empty()) {
        HeadlessHost host(screen);
        // Let start-up work and a first layout settle before the picture.
        host.advance(0.5);
        applyInputSteps(host, options.steps, [&host] { host.advance(0.5); });
        if (!options.shotPath)
            return 0;
        if (auto error = host.writePng(*options.shotPath)) {
            std::fprintf(stderr, "%s: cannot write the screenshot: %s\n", options.program.c_str(),
                         error->description.c_str());
            return 1;
        }
        return 0;
    }
    if (!options.headless && hasDisplay()) {
        // A window was asked for: running on unseen would leave the person
        // waiting for one that never comes.
        auto desktop = DesktopHost::create(screen, options.title);
        if (!desktop) {
            std::fprintf(stderr, "%s: no desktop window: %s\n", options.program.c_str(),
                         desktop.error().description.c_str());
            return 1;
        }
        desktop.value()->run();
        return 0;
    }
    // Headless: frames are still laid out and rendered, so the program
    // behaves as on a screen that nobody looks at.
    Compositor compositor(screen);
    auto frameTimer = RunLoop::main().scheduleTimer(Seconds(1.0 / 30), true, [&compositor] {
        if (auto rendered = compositor.render(); !rendered)
            log("rendering failed: %s", rendered.error().description.c_str());
    });
    RunLoop::main().run();
    frameTimer->invalidate();
    return 0;
}

}
