#pragma once
// Base of the retained user-interface objects that can send an action (NSObject as a sender).

#include <string_view>

namespace orv {

class UIObject {
  public:
    virtual ~UIObject() = default;
};

// The sender handed to an action method; actions never look at it, and it may be null.
using Sender = const UIObject*;

// An object that performs actions named by selector text ("copyPath:"), as the Objective-C
// runtime does for a menu item's target. Answers false for a selector it does not carry.
class Responder {
  public:
    virtual ~Responder() = default;
    virtual bool performAction(std::string_view selector, Sender sender) = 0;
};

} // namespace orv
