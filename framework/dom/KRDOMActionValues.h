#pragma once

// The IKRAction values that action-raising elements keep as attributes:
// "action-name" and "user-info". Main queue only.

#include "platform/foundation/Value.h"

#include <string>

class KRDOMElement;

// The "action-name" attribute; empty when there is none.
const std::string& krDOMActionName(const KRDOMElement& element);
// The "user-info" attribute as a string value, nil when there is none,
// read into `cache` (which the returned reference points at).
const pf::Value& krDOMUserInfo(const KRDOMElement& element, pf::Value& cache);
// Nil removes the attribute; values other than strings are kept as their
// description.
void krDOMSetUserInfo(KRDOMElement& element, const pf::Value& userInfo);
