#pragma once

// The SDK's script runtime: lets scripts call native methods and get their
// answer synchronously. Native objects are registered as modules; the
// runtime defines a script function for each method ("SendCmd.createClass");
// a call becomes a "corvanajsbridge://module/function?p0=…&p1=…" navigation
// that the script context hands to shouldStartLoad(); the runtime decodes
// the arguments by their type codes, runs the method and answers through
// SendCmd.setReturnValue before the navigation returns.
//
// Values only ever travel as script values (callFunction), never spliced
// into script text. Navigations of other schemes go to the delegate (allowed
// when there is none). Creating a runtime installs CorvanaURLCache as the
// process's shared URL cache.
//
// Main thread only. The runtime owns its script context and is the context's
// delegate; the delegate given here is not retained.

#include "platform/foundation/Value.h"
#include "platform/script/ScriptContext.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CorvanaJSObject;
class CorvanaMethodDescription;

class CorvanaJSRunEnv : public pf::ScriptContextDelegate, public std::enable_shared_from_this<CorvanaJSRunEnv> {
public:
    static constexpr const char* bridgeScheme = "corvanajsbridge";
    // The SendCmd bootstrap, run once in each new context after the script
    // package (plain ES5).
    static const char* const sendCmdScript;

    // Null without a context.
    static std::shared_ptr<CorvanaJSRunEnv> initWithContext(std::shared_ptr<pf::ScriptContext> context,
                                                            std::weak_ptr<pf::ScriptContextDelegate> delegate);

    const std::shared_ptr<pf::ScriptContext>& context() const { return m_context; }
    std::string evaluateJavascript(std::string_view text) { return m_context->evaluate(text); }

    // Stores the module under its key (replacing one of the same key) and
    // defines its functions in the script. False without a live native
    // object or a key.
    bool registNativeObj(const std::shared_ptr<CorvanaJSObject>& module);
    // Always true. The script functions stay defined; calls answer null.
    bool removeRegistObjForKey(const std::string& key);
    std::shared_ptr<CorvanaJSObject> registeredObject(const std::string& key) const;

    // The dispatcher.
    bool shouldStartLoad(const std::string& url, pf::NavigationType type) override;

    // The second part of each "name=value" piece, in order, not decoded.
    static std::vector<std::string> parseQueryParams(std::string_view query);
    static const CorvanaMethodDescription* findMethodIn(const CorvanaJSObject& module, std::string_view jsFunc);
    // The codecs of the type codes.
    static std::optional<std::string> dicToJson(const pf::Value& value);
    // Nil unless the text is a JSON object.
    static pf::DictionaryRef jsonToDic(const std::optional<std::string>& text);
    // Nil for no text or one under two characters.
    static pf::ArrayRef jsArrayToNSArray(const std::optional<std::string>& text);
    // One argument from its text (nothing when the call passed fewer).
    pf::Value decodeArgument(int code, std::optional<std::string> text) const;
    // The value handed to SendCmd.setReturnValue: text, or null.
    static pf::Value encodeResult(int code, pf::Value result);

private:
    explicit CorvanaJSRunEnv(std::shared_ptr<pf::ScriptContext> context) : m_context(std::move(context)) {}

    std::shared_ptr<pf::ScriptContext> m_context;
    std::weak_ptr<pf::ScriptContextDelegate> m_delegate;
    std::map<std::string, std::shared_ptr<CorvanaJSObject>, std::less<>> m_nativeObjPool;
};
