#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace pf {

class Array;
class Bundle;
class Class;
class Dictionary;
class NotificationCenter;
class Object;
class Protocol;
class RunLoop;
class DispatchQueue;
class Timer;
class URL;
class Value;
struct Error;

using Bytes = std::vector<std::uint8_t>;
using ArrayRef = std::shared_ptr<Array>;
using DictionaryRef = std::shared_ptr<Dictionary>;
using ObjectRef = std::shared_ptr<Object>;
using WeakObject = std::weak_ptr<Object>;

}
