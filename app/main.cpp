// The program's entry: reads the bundle's configuration, builds the shell and
// reports what it made. The screens and services that later stand on the
// shell start from here.

#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRServiceContainer.h"
#include "framework/core/KRShell.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/PropertyList.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: zomaru [--resources DIR]\n");
    return 2;
}

}

int main(int argc, char** argv)
{
    std::string resources = "resources";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--resources") == 0 && i + 1 < argc)
            resources = argv[++i];
        else
            return usage();
    }
    registerCoreClasses();

    auto bundle = std::make_shared<pf::Bundle>(resources);
    pf::Bundle::setMain(bundle);
    auto path = bundle->pathForResource("cfg", "plist");
    if (!path) {
        std::fprintf(stderr, "zomaru: no cfg.plist in %s\n", resources.c_str());
        return 1;
    }
    auto config = pf::readPropertyListFile(*path);
    if (!config || !config->dictionary()) {
        std::fprintf(stderr, "zomaru: %s: %s\n", path->c_str(),
                     config ? "not a dictionary" : config.error().description.c_str());
        return 1;
    }
    auto shell = KRShell::create(config->dictionary(), bundle);

    std::printf("Service containers:\n");
    for (const auto& container : shell->serviceContainers()) {
        std::string types;
        for (const pf::Protocol* type : container->taskTypes())
            types += (types.empty() ? "" : ", ") + type->name();
        std::printf("  %s%s: %s\n", container->instanceClass()->name().c_str(),
                    container->isInherit() ? " (inherit)" : "", types.c_str());
    }
    std::printf("Screen entries:\n");
    if (auto ui = shell->config()->dictionary("ui")) {
        for (const auto& [alias, entry] : *ui) {
            auto dict = entry.dictionary();
            std::string cls = dict ? dict->string("class").value_or("(no class)") : "(not an entry)";
            std::printf("  %s: %s\n", alias.c_str(), cls.c_str());
        }
    }
    return 0;
}
