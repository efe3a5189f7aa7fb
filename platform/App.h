#pragma once
// The declarative application lifecycle (SwiftUI's App): an entry type whose delegate adaptor
// creates the one application delegate and installs it before launching finishes, and whose
// scene is a settings scene.

#include "platform/Platform.h"
#include "platform/View.h"

#include <memory>

namespace orv {

// @NSApplicationDelegateAdaptor: owns the delegate for the life of the process.
template <class Delegate> class ApplicationDelegateAdaptor {
  public:
    explicit ApplicationDelegateAdaptor(const Platform& platform)
        : application_(platform.application), delegate_(std::make_unique<Delegate>(platform)) {
        application_.setDelegate(delegate_.get());
    }
    ~ApplicationDelegateAdaptor() { application_.setDelegate(nullptr); }
    ApplicationDelegateAdaptor(const ApplicationDelegateAdaptor&) = delete;
    ApplicationDelegateAdaptor& operator=(const ApplicationDelegateAdaptor&) = delete;
    Delegate& wrappedValue() { return *delegate_; }

  private:
    Application& application_;
    std::unique_ptr<Delegate> delegate_;
};

// Settings { content }: opens no window by itself at launch.
struct SettingsScene {
    ViewPtr content;
};

} // namespace orv
