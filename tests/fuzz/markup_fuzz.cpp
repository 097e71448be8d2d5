// Links: kr_dom
// Feeds arbitrary bytes to the markup tokenizer through a table that checks
// every handle is released exactly once and the parent never. (Real elements
// parsed from arbitrary markup are laid out and drawn by template_fuzz.)

#include "framework/dom/dom_html.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>

namespace {

struct Ledger {
    std::unordered_set<void*> live;
    int parent = 0;
};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

int parseWithLedger(const char* text, int caseMode)
{
    dom_html_callbacks t{};
    t.new_element = [](dom_html_callbacks*, const char* name, const char* ns, void* user) -> void* {
        check(name && ns);
        void* handle = new char[1];
        static_cast<Ledger*>(user)->live.insert(handle);
        return handle;
    };
    t.set_attribute = [](dom_html_callbacks*, void* e, const char* n, const char* v, void* user) {
        check(static_cast<Ledger*>(user)->live.count(e) && n && v);
    };
    t.add_child = [](dom_html_callbacks*, void* parent, void* child, void* user) {
        auto* l = static_cast<Ledger*>(user);
        check((parent == &l->parent || l->live.count(parent)) && l->live.count(child));
    };
    t.is_empty = [](dom_html_callbacks*, void*, void*) { return 0; };
    t.set_text = [](dom_html_callbacks*, void*, const char* text, void*) { check(text && *text); };
    t.has_body = [](dom_html_callbacks*, const char* name, const char* ns, void*) {
        return (*ns || !std::strcmp(name, "br")) ? 0 : 1;
    };
    t.release = [](dom_html_callbacks*, void* e, void* user) {
        check(static_cast<Ledger*>(user)->live.erase(e) == 1);
        delete[] static_cast<char*>(e);
    };
    t.case_mode = caseMode;
    Ledger ledger;
    int result = dom_html_parse(&t, text, &ledger.parent, &ledger);
    check(result == 0 || result == 1);
    check(ledger.live.empty());
    return result;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    int caseMode = size ? data[0] % 3 : 0;
    parseWithLedger(text.c_str(), caseMode);
    return 0;
}
