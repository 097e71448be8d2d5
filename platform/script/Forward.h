#pragma once

namespace pf {

class ScriptContext;
class ScriptContextDelegate;

}
